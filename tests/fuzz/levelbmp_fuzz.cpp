// Level bitmaps of any bytes: the game's way of reading one (SDL_image decodes it, the shape
// is checked, the pixels read as a grid) either gives a 32 x 32 grid or refuses the file with
// an error that names it, never reading outside the picture. The strict parser of level files
// and packs accepts only what that way reads as the same grid; the same bytes as a text level
// parse or are refused.
#include <SDL.h>
#include <SDL_image.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "game/level.hpp"
#include "game/levelfile.hpp"

namespace {

// A refusal is the answer to most inputs, but it must say which file it refuses.
void namesFile(const std::runtime_error& e, const char* name) {
    if (std::string(e.what()).rfind(name, 0) != 0) __builtin_trap();
}

// game::loadLevel without its Texture, which refuses to load before the engine has started
// (and the engine's logger would take the fuzzer's output): the same decoding and checks.
bool loadLikeTheGame(const std::uint8_t* data, std::size_t size, game::Grid& grid) {
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return false;
    SDL_Surface* s = IMG_Load_RW(rw, 1);
    if (!s) return false;
    bool ok = true;
    try {
        game::checkLevelShape(
            "data/map1.bmp", game::LevelShape{s->format->BitsPerPixel,
                                              s->format->palette != nullptr, s->w, s->h, s->pitch});
        std::int32_t x = -1, y = -1;
        SDL_LockSurface(s);
        const int stars = game::readLevel(static_cast<const std::uint8_t*>(s->pixels), grid, x, y);
        SDL_UnlockSurface(s);
        if (stars < 0 || stars > 1024 || x < 0 || y < 0 || x > 465 || y > 465) __builtin_trap();
    } catch (const std::runtime_error& e) {
        namesFile(e, "data/map1.bmp");
        ok = false;  // refusals are the expected answer to most inputs
    }
    SDL_FreeSurface(s);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    game::Grid grid{};
    const bool loaded = loadLikeTheGame(data, size, grid);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const game::Grid strict = game::parseLevelBitmap(bytes, "map1.bmp");
        // A pack's level is the one the game's own way would read from the same file.
        if (!loaded || strict != grid) __builtin_trap();
    } catch (const std::runtime_error& e) {
        namesFile(e, "map1.bmp");
    }
    try {
        game::parseLevelText(bytes, "level.txt");
    } catch (const std::runtime_error& e) {
        namesFile(e, "level.txt");
    }
    return 0;
}
