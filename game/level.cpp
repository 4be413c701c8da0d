#include "game/level.hpp"

#include <SDL.h>

#include <stdexcept>

#include "algo/surface/texture.hpp"

#include "basic/assert.hpp"

namespace game {

std::uint8_t MapView::tileAt(std::int32_t x, std::int32_t y) const {
    const std::int32_t c = x / kTilePixels;
    const std::int32_t r = y / kTilePixels;
    if (c < 0 || r < 0 || r >= kGridSize || static_cast<std::uint32_t>(c) >= length) return kSolid;
    return columns[c][r];
}

std::uint8_t& MapView::cellAt(std::int32_t x, std::int32_t y) const {
    const std::int32_t c = x / kTilePixels;
    const std::int32_t r = y / kTilePixels;
    if (c < 0 || r < 0 || r >= kGridSize || static_cast<std::uint32_t>(c) >= length)
        BASIC_INDEX_ERROR("level cell outside the grid");
    return columns[c][r];
}

void checkLevelShape(const std::string& path, const LevelShape& s) {
    std::string problem;
    if (s.bitsPerPixel != 8 || !s.hasPalette)
        problem = "it has " + std::to_string(s.bitsPerPixel) + " bits per pixel" +
                  (s.hasPalette ? "" : " and no palette");
    else if (s.width != kGridSize || s.height != kGridSize)
        problem = "it is " + std::to_string(s.width) + " x " + std::to_string(s.height);
    else if (s.pitch != kGridSize)
        problem = "its rows are " + std::to_string(s.pitch) + " bytes long";
    if (!problem.empty())
        throw std::runtime_error(path +
                                 ": a level must be an 8-bit palette picture of 32 x 32 "
                                 "pixels with 32-byte rows, but " +
                                 problem);
}

int readLevel(const std::uint8_t* pixels, Grid& grid, std::int32_t& startX, std::int32_t& startY) {
    for (int r = 0; r < kGridSize; ++r)
        for (int c = 0; c < kGridSize; ++c) grid[c][r] = pixels[r * kGridSize + c];
    return scanLevel(grid, startX, startY);
}

int scanLevel(const Grid& grid, std::int32_t& startX, std::int32_t& startY) {
    int stars = 0;
    startX = 0;
    startY = 0;
    for (int r = 0; r < kGridSize; ++r) {
        for (int c = 0; c < kGridSize; ++c) {
            const std::uint8_t code = grid[c][r];
            if (code == kStar) ++stars;
            if (code == kStartCell) {
                startX = kTilePixels * c;
                startY = kTilePixels * r;
            }
        }
    }
    return stars;
}

int loadLevel(const std::string& path, Grid& grid, std::int32_t& startX, std::int32_t& startY) {
    algo::Texture picture(path);
    const SDL_Surface* s = picture.surface();
    checkLevelShape(path, LevelShape{s->format->BitsPerPixel, s->format->palette != nullptr, s->w,
                                     s->h, s->pitch});
    const int stars = readLevel(picture.lock().data(), grid, startX, startY);
    picture.unlock();
    return stars;
}

std::string levelPath(std::int32_t level) {
    return "data/map" + std::to_string(level) + ".bmp";
}

}  // namespace game
