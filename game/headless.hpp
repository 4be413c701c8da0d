#pragma once
// The game driven by a program instead of a player: the replay runner, the solver and the
// game benchmark all start it this way.
#include <cstdint>
#include <string>

namespace game {

class PassObserver;

// The whole program as starhop runs it (engine start, the game's module start, the entry
// point, the engine's end) in a window, without asking about full screen and without pausing
// when the window loses the focus, with `observer` watching every pass; `startLevel` above 0
// starts in that level as the title's menu would; `levels`, when not empty, is the level pack
// to play (starhop's --levels).
// Headless when SDL_VIDEODRIVER says so. Returns the program's status: 0 when the observer or
// a quit ends the loop, 1 after an error (logged by the entry point).
int runHeadless(PassObserver& observer, std::int32_t startLevel = 0,
                const std::string& levels = {});

}  // namespace game
