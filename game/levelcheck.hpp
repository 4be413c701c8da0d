#pragma once
// The hard rules of a level, checked on its grid alone: what the editor marks and the pack
// tool refuses before any search runs.
#include <array>
#include <string>
#include <vector>

#include "game/level.hpp"

namespace game {

/// A rule a level can break.
enum class LevelRule {
    kNoStart,      ///< no start cell (the rabbit would come in at the top-left corner)
    kNoStar,       ///< no star: the level would close as soon as it starts
    kOpenBorder,   ///< a cell of the outer ring is not solid
    kStartInside,  ///< the start cell is walled in on all four sides
    kStarInside,   ///< a star is walled in on all four sides
    kUnreachable,  ///< no place the rabbit can stand on is within a walk and a jump of a star
};

/// One broken rule at one cell; column and row are -1 for a rule of the whole level.
struct LevelProblem {
    LevelRule rule = LevelRule::kNoStart;
    int column = -1;
    int row = -1;
    /// "column C, row R: what is wrong", or the level-wide text alone.
    std::string text() const;
};

/// Every broken rule, whole-level problems first, then by cell in row order. An empty list
/// is a level the game can play; whether a route exists is the solver's to say. The reach
/// check is skipped without a start cell.
std::vector<LevelProblem> checkLevel(const Grid& grid);

/// Cells the rabbit's centre could ever be in, from the start cell: an over-approximation of
/// its real walk, jump and fall (a jump rises at most four cells and crosses at most five
/// across before its first cell down, one more per cell down), through cells that are neither
/// solid nor deadly, corners cut. [column][row]; all false without a start cell.
std::array<std::array<bool, kGridSize>, kGridSize> reachableCells(const Grid& grid);

}  // namespace game
