// The starhop executable: engine start, the game's own start, the entry point.
#include <cstdio>
#include <string>
#include <vector>

#include "algo/system/engine.hpp"
#include "game/main.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    game::Options options = game::parseOptions(args, error);
    if (!error.empty()) {
        std::fprintf(stderr, "starhop: %s\n", error.c_str());
        return 2;
    }
    return algo::runProgram([&] {
        game::MainModule module;  // scenes, shared textures, actor pools
        return game::entry(options);
    });
}
