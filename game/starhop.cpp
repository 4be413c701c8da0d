// The starhop executable: engine start, the game's own start, the entry point.
#include <cstdio>
#include <string>
#include <vector>

#include "algo/system/engine.hpp"
#include "game/main.hpp"
#include "game/options.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    game::Options options = game::parseOptions(args, error);
    if (!error.empty()) {
        std::fprintf(stderr, "starhop: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(game::helpText().c_str(), stdout);
        return 0;
    }
    // Asked before SDL starts: a window's scaling settings must be in place when SDL reads
    // them, and full screen keeps the layer's own.
    if (options.screen == game::Screen::Ask)
        options.screen = game::askFullScreen() ? game::Screen::FullScreen : game::Screen::Window;
    game::presetSdl(options);
    return algo::runProgram([&] {
        game::MainModule module;  // scenes, shared textures, actor pools
        return game::entry(options);
    });
}
