#pragma once
// Searches a key script that clears a level, playing it on the real play scene and rabbit,
// unseen and unheard, in slices short enough to run between an editor's frames.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/level.hpp"

namespace game {

/// Keys held in one pass of a solution, as bits.
enum SolverKey : std::uint8_t { kKeyRight = 1, kKeyLeft = 2, kKeyJump = 4 };

/// Replay-script lines "<passes> <keys>" (docs/replay.md) for keys given pass by pass.
std::string solverScript(const std::vector<std::uint8_t>& keys);

/// How a search goes about it.
struct SolverOptions {
    /// Seconds of searching (time spent inside step) before it gives up.
    double timeLimit = 60;
    /// Neutral passes before the first key: at least the life ball's 60; more makes a route
    /// for a player who dawdles at the start.
    std::int32_t wait = 60;
    /// Longest route sought, in passes after the wait.
    std::int32_t maxPasses = 4000;

    /// Hand-given hints for the older beam search over short key segments, kept so that the
    /// recorded solutions' command lines still reproduce: with `beam` above 0 that search runs,
    /// heading for the stars of the first area that has any left. It runs whole in one step,
    /// without the time limit.
    struct Area {
        int top = 0, bottom = 31, left = 0, right = 31;  // rows and columns, inclusive
    };
    std::vector<Area> bands;
    int beam = 0;
    /// When set, called with a line per stage of the search (the tool's -v).
    std::function<void(const std::string&)> report;
};

/// Where a search stands.
struct SolverProgress {
    int stars = 0;                     ///< stars in the level
    int bestStars = 0;                 ///< taken by the best candidate so far
    std::int64_t passesSimulated = 0;  ///< passes of play run by the search
    double seconds = 0;                ///< time spent inside step
    bool done = false;                 ///< finished, with or without a route
};

/// A point of the route: the rabbit's top-left corner in play-field pixels (the whole parts of
/// its position; add 16 for screen pixels).
struct SolverPoint {
    std::int32_t x = 0, y = 0;
};

/// What a finished search found.
struct SolverResult {
    bool found = false;
    /// Keys pass by pass from the level start (the wait included) until the last star is
    /// taken; after it the keys are up and the level closes by itself.
    std::vector<std::uint8_t> keys;
    /// The pass on which the last star is taken, and the one on which the play scene moves on
    /// after the closing curtain.
    std::int32_t lastStarPass = 0;
    std::int32_t switchPass = 0;
    /// Where the rabbit is after each pass up to the switch, one point per pass (the start
    /// corner while the life ball brings it in).
    std::vector<SolverPoint> trail;
    /// Without a route: cells (column, row) of the stars the search never took, and why.
    std::vector<std::pair<int, int>> missed;
    std::string failure;
    /// `keys` as a replay script, then neutral passes up to the switch: replayed from the
    /// level start, it clears the level.
    std::string script() const;
};

/// A search for a route through one level. It owns the play scene while step runs: each
/// step starts the scene afresh from its own state, so the owner may use the scene between
/// steps (a test play), and leaves the keys' counters as it found them. The engine and the
/// game's module start (the play scene) must exist; the sound table need not be filled.
/// Nothing is drawn and no sound plays; stopping is no longer calling step.
///
/// @code
/// game::Solver solver(grid, {.timeLimit = 30});
/// while (!solver.step(std::chrono::milliseconds(4))) drawFrame(solver.progress());
/// if (solver.result().found) save(solver.result().script());
/// else say("no route found in 30 seconds", solver.result().missed);
/// @endcode
class Solver {
  public:
    /// Takes a copy of the grid. Throws std::invalid_argument for a level it cannot search:
    /// no rabbit would ever appear in it (no start cell is fine: the game starts at (0, 0)).
    Solver(const Grid& grid, SolverOptions options = {});
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    /// Searches for about `budget` (one unit of work at least: a few hundred passes at most)
    /// and returns whether the search is done.
    bool step(std::chrono::microseconds budget);
    bool done() const;
    SolverProgress progress() const;
    /// Complete once done.
    const SolverResult& result() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace game
