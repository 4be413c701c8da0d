#pragma once
// Beam search for a key script that clears one level, run on the real play scene.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rabbit.hpp"

namespace solver {

// Keys held during one pass, as bits.
enum Key : std::uint8_t { kRight = 1, kLeft = 2, kJump = 4 };

// A stretch of input: a direction held for `length` passes, the jump key held for the first
// `jump` of them (0: not pressed). A jump segment always ends with the key up, so the next one
// is a fresh press.
struct Segment {
    std::uint8_t direction = 0;  // 0, kRight or kLeft
    std::uint8_t jump = 0;
    std::uint8_t length = 0;
};

std::vector<std::uint8_t> expand(const std::vector<Segment>& segments);

// Run-length script lines "<passes> <keys>" for a pass-by-pass key list.
std::string scriptText(const std::vector<std::uint8_t>& passes);

// What became of one run from the level start.
struct Outcome {
    bool dead = false;
    bool cleared = false;     // every star taken
    std::int32_t rest = 0;    // stars left
    std::uint64_t stars = 0;  // bit i: the i-th star of the level (row order) still there
    std::int32_t passes = 0;  // passes run (up to the last star when cleared)
    long double x = 0, y = 0, vx = 0, vy = 0;
    bool onGround = false;
    bool alive = false;  // a rabbit is in play (not only the life ball)
};

// Where a search node stands: the rabbit (a copy of the live one) and the stars left. The
// input counters are not kept: every segment ends with the jump key up, and the rabbit only
// asks whether a direction is held, so a neutral pass before resuming gives the same play.
struct Snapshot {
    // Shared and never changed once taken: search nodes are copied and sorted often.
    std::shared_ptr<const game::Rabbit> rabbit;
    std::uint64_t stars = 0;
    std::int32_t rest = 0;
    std::int32_t passes = 0;
};

// The play scene, driven pass by pass; the engine and the game must be running (the solver
// runs inside the game's main loop).
class Level {
  public:
    explicit Level(int number);
    // Plays `passes` from the level start; stops early at a death or the last star.
    Outcome run(const std::vector<std::uint8_t>& passes);
    // Plays `passes` from the level start drawing every pass, as the game does.
    void play(const std::vector<std::uint8_t>& passes);
    // The state after `run`, and a way back to it.
    Snapshot capture(std::int32_t passes) const;
    void restore(const Snapshot& snapshot);
    // Plays `passes` on from the current state; stops early at a death or the last star.
    Outcome resume(const std::vector<std::uint8_t>& passes, std::int32_t before);
    // Plays `passes`, then neutral passes until the scene moves on; false if the rabbit dies
    // on the way or the level never ends. `total` gets the passes up to and with the switch.
    bool finish(const std::vector<std::uint8_t>& passes, std::int32_t& total);
    std::int64_t passesSimulated() const { return simulated_; }
    int number() const { return number_; }
    // Tile codes as the level starts, [column][row].
    const std::vector<std::uint8_t>& tiles() const { return tiles_; }
    const std::vector<std::pair<int, int>>& starCells() const { return starCells_; }

  private:
    void restart();
    void step(std::uint8_t keys);
    Outcome observe(std::int32_t passes) const;
    bool dead() const;

    // More stars than one segment can take: above this the scene's count may run behind.
    static constexpr std::int32_t kExactBelow = 6;

    int number_;
    std::int32_t offset_ = 0;  // true stars left = the scene's count + offset_
    std::vector<std::uint8_t> tiles_;
    std::vector<std::pair<int, int>> starCells_;
    std::int64_t simulated_ = 0;
};

struct Settings {
    // Areas in the order their stars are wanted: the search heads for the nearest star of the
    // first area that has any left. Empty: the nearest star anywhere.
    struct Area {
        int top = 0, bottom = 31, left = 0, right = 31;
    };
    std::vector<Area> bands;
    int beam = 48;
    // Neutral passes before the search starts: at least the life ball's 60; more makes a
    // solution for a player who dawdles at the start.
    std::int32_t wait = 60;
    std::int32_t maxPasses = 4000;
    bool verbose = false;
};

// Searches a clearing script; throws std::runtime_error when none is found.
std::vector<std::uint8_t> solve(Level& level, const Settings& settings);

}  // namespace solver
