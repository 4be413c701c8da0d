#include "tools/assetgen/level.hpp"

#include "game/levelfile.hpp"
#include "tools/assetgen/source.hpp"

namespace assetgen {

namespace {

bool solid(std::uint8_t t) {
    return t == game::kSolid || t == game::kSolidVanishing;
}

}  // namespace

game::Grid readLevel(const std::string& path) {
    const game::Grid grid = game::parseLevelText(readFile(path), path);
    constexpr int n = game::kGridSize;
    // The rabbit must never leave the grid: the outer ring is solid.
    for (int i = 0; i < n; ++i) {
        if (!solid(grid[i][0]))
            throw SourceError(
                path, 1, "column " + std::to_string(i + 1) + ": the border must be solid (# or B)");
        if (!solid(grid[i][n - 1]))
            throw SourceError(
                path, n, "column " + std::to_string(i + 1) + ": the border must be solid (# or B)");
        if (!solid(grid[0][i]) || !solid(grid[n - 1][i]))
            throw SourceError(path, i + 1, "the left and right border must be solid (# or B)");
    }
    int starts = 0, stars = 0;
    for (const auto& column : grid)
        for (std::uint8_t t : column) {
            starts += t == game::kStartCell;
            stars += t == game::kStar;
        }
    if (starts != 1)
        throw SourceError(
            path, 0, "a level needs exactly one start cell S, found " + std::to_string(starts));
    if (stars == 0) throw SourceError(path, 0, "a level needs at least one star *");
    return grid;
}

}  // namespace assetgen
