// A small level the solver, the check and the test play all finish in well under a second.
// Only for tests that link the game.
#pragma once

#include "game/level.hpp"

namespace testroom {

// A room of 14 x 11 cells in solid rock, its floor the bottom border: the start at its left
// end, a star on the floor, one four cells up (as high as a jump takes the rabbit's centre)
// and one behind a thorn.
inline game::Grid room() {
    game::Grid g;
    for (auto& column : g) column.fill(game::kSolid);
    for (int c = 1; c <= 14; ++c)
        for (int r = 20; r <= 30; ++r) g[c][r] = game::kEmpty;
    g[2][30] = game::kStartCell;
    g[6][30] = game::kStar;
    g[9][26] = game::kStar;
    g[11][30] = game::kDeadly;
    g[13][30] = game::kStar;
    return g;
}

}  // namespace testroom
