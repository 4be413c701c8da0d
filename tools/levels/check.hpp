#pragma once
// starhop-levels check and solve: the level rules, the solver and the makers' proofs over a
// pack the game has opened. Run from the game's first pass (the engine, the game's module
// start and the pack in place).
#include <string>
#include <vector>

#include "game/levelcheck.hpp"
#include "game/levelpack.hpp"
#include "game/solver.hpp"
#include "tools/levels/terminal.hpp"

namespace levels {

// What the check found on one level.
struct LevelCheck {
    int stars = 0;
    std::vector<game::LevelProblem> problems;  // the hard rules broken; no search then
    bool searched = false;
    game::SolverResult route;  // when searched
    std::string proof;         // what its proof did: "none", "clears the level in N passes", ...
    bool proofFailed = false;
    double seconds = 0;  // the whole check of the level, wall time
};

// The check of level n: the hard rules, a route searched for at most `timeLimit` seconds
// (its progress on the terminal), and the level's proof replayed when the pack has one.
LevelCheck checkLevelOf(const game::LevelPack& pack, int n, double timeLimit, Terminal& terminal);

// Every level in turn: the hard rules, a route searched for at most `timeLimit` seconds, and
// the proof beside the level replayed when there is one; a table row per level. 0 when every
// level keeps the rules and every proof present clears its level, 1 otherwise (no route found
// is reported, not a failure: it does not prove that none exists).
int checkPack(const game::LevelPack& pack, double timeLimit, Terminal& terminal);

// Searches a route through level `level` and writes it as a replay script to `script` (with
// `command` in its header) that starhop-replay --levels PACK --level N plays to the level's
// end. 1 with a line when no route is found in time.
int solveLevel(const game::LevelPack& pack, int level, double timeLimit, const std::string& script,
               const std::string& command, Terminal& terminal);

}  // namespace levels
