// Level bitmaps of any bytes: the game's loader either reads a 32 x 32 grid or refuses the
// file with an error that names it; it never reads outside the picture.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "algo/file/logger.hpp"
#include "game/level.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/starhop-levelfuzz-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
    if (system("mkdir -p data") != 0) std::abort();
    algo::logger::enabled = false;  // the engine is not started: nothing to log to
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = "data/map1.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    game::Grid grid{};
    std::int32_t x = -1, y = -1;
    try {
        int stars = game::loadLevel(path, grid, x, y);
        if (stars < 0 || stars > 1024 || x < 0 || y < 0 || x > 465 || y > 465) __builtin_trap();
    } catch (const std::exception&) {
        // Refusals are the expected answer to most inputs.
    }
    return 0;
}
