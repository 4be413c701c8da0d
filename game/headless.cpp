#include "game/headless.hpp"

#include "algo/system/engine.hpp"
#include "game/main.hpp"

namespace game {

int runHeadless(PassObserver& observer, std::int32_t startLevel, const std::string& levels) {
    return algo::runProgram([&] {
        MainModule module;  // scenes, shared textures, actor pools
        Options options;
        options.screen = Screen::Window;
        options.startLevel = startLevel;
        options.levels = levels;
        options.pauseOnFocusLoss = false;  // the passes follow the program, not the window
        options.observer = &observer;
        return entry(options);
    });
}

}  // namespace game
