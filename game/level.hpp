#pragma once
// The level grid shared by the play scene and its actors, and what a level bitmap must be.
#include <array>
#include <cstdint>
#include <string>

namespace game {

inline constexpr int kGridSize = 32;
inline constexpr int kTilePixels = 15;

// Tile codes with a meaning to the scene or the actors.
enum Tile : std::uint8_t {
    kEmpty = 0,
    kSolid = 1,
    kDeadly = 2,
    kStar = 3,
    kSolidVanishing = 4,
    kDeadlyVanishing = 5,
    kSlopeUp = 6,
    kSlopeDown = 7,
    kStartCell = 15,
};

// [column][row], as the level is walked by the actors.
using Grid = std::array<std::array<std::uint8_t, kGridSize>, kGridSize>;

// What the actors hold: a view onto the scene's grid, never a copy (stars taken by an actor
// vanish from the scene's grid). Plain data, so it travels in an argument map.
struct MapView {
    std::array<std::uint8_t, kGridSize>* columns = nullptr;
    std::uint32_t length = 0;

    static MapView of(Grid& grid) { return MapView{grid.data(), kGridSize}; }

    // Tile code at play-field pixel (x, y); division truncates toward zero. Cells outside the
    // grid read as solid, so a level without a border keeps its rabbit in.
    std::uint8_t tileAt(std::int32_t x, std::int32_t y) const;
    std::uint8_t& cellAt(std::int32_t x, std::int32_t y) const;  // inside the grid only
};

// Shape of a level bitmap as decoded; checked before its bytes are read as a grid.
struct LevelShape {
    int bitsPerPixel = 0;
    bool hasPalette = false;
    int width = 0;
    int height = 0;
    int pitch = 0;
};

// Throws std::runtime_error naming `path` and what is wrong unless the picture is an 8-bit
// palette 32 x 32 image with 32-byte rows.
void checkLevelShape(const std::string& path, const LevelShape& shape);

// Reads the pixel bytes (row r, column c at r * 32 + c) into the grid; returns the number of
// stars and sets (startX, startY) to 15 * the last start cell in row order, (0, 0) without one.
int readLevel(const std::uint8_t* pixels, Grid& grid, std::int32_t& startX, std::int32_t& startY);

// The same count and start as readLevel, of a grid already in memory (the editor's, a pack's).
int scanLevel(const Grid& grid, std::int32_t& startX, std::int32_t& startY);

// Loads the level bitmap at `path` (loose or archived), checks its shape and reads it into the
// grid; returns the number of stars, as readLevel.
int loadLevel(const std::string& path, Grid& grid, std::int32_t& startX, std::int32_t& startY);

// "data/map" + level + ".bmp"
std::string levelPath(std::int32_t level);

}  // namespace game
