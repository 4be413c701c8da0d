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
    /// Neutral passes before the first key: at least the life ball's 60 (less counts as 60);
    /// more makes a route for a player who dawdles at the start.
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
    /// Keys pass by pass from the level start, the wait included; after them the keys are up
    /// until the scene moves on. The route ends with the last star taken, unless cutting its
    /// rests left a few keys held into the curtain.
    std::vector<std::uint8_t> keys;
    /// The pass on which the last star is taken, and the one on which the play scene moves on
    /// after the closing curtain (passes counted from 1 at the level start).
    std::int32_t lastStarPass = 0;
    std::int32_t switchPass = 0;
    /// Where the rabbit is after each pass up to the switch, one point per pass (the start
    /// corner while the life ball brings it in).
    std::vector<SolverPoint> trail;
    /// Without a route: why, and the cells (column, row) of the stars no candidate ever took.
    std::string failure;
    std::vector<std::pair<int, int>> missed;
    /// `keys` as a replay script, then neutral passes up to the switch: replayed from the
    /// level start (starhop-replay --level N), it clears the level.
    std::string script() const;
};

/// A search for a route through one level, on the real play scene and rabbit: first every
/// resting place and the moves between them, then a beam of real states over those moves.
/// It owns the play scene while step runs and starts it afresh from its own state at each
/// unit of work, so the owner may draw and play between steps (not a test play it wants to
/// keep: the next step overwrites the scene). It puts back the keys' counters it found and
/// keeps the sound effects quiet; nothing is drawn. Needs the engine and the game's module
/// start (the play scene), between whose start and end it lives; the sound table need not
/// be filled. Step it from the game's thread, never from inside the play scene's update.
/// Stopping is no longer calling step; the object can then be dropped at any time.
///
/// @code
/// game::SolverOptions options;
/// options.timeLimit = 30;
/// game::Solver solver(grid, options);
/// while (!solver.step(std::chrono::milliseconds(4))) drawFrame(solver.progress());
/// if (solver.result().found) save(solver.result().script());
/// else report("no route found", solver.result().missed);
/// @endcode
class Solver {
  public:
    /// Takes a copy of the grid ([column][row] tile codes, as the play scene reads them).
    /// A level it cannot search (no star, a rabbit that dies before it can move) ends at the
    /// first step with the reason in the result.
    Solver(const Grid& grid, SolverOptions options = {});
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    /// Searches for about `budget` and returns whether the search is done. A step always does
    /// one unit of work: a move of up to a few hundred passes, or once near the end a replay
    /// of the route (a few thousand passes, about a millisecond).
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
