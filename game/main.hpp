#pragma once
// The game's entry point, its shared objects and the main loop.
#include <string>
#include <vector>

namespace game {

enum class Screen { Ask, FullScreen, Window };

struct Options {
    Screen screen = Screen::Ask;
};

// Reads --fullscreen / --window; anything else is an error message in `error`.
Options parseOptions(const std::vector<std::string>& args, std::string& error);

// Asks "full screen?" on the controlling terminal; No without a terminal.
bool askFullScreen();

// Logs the build number and runs the game inside the entry handler: 0 after a quit,
// 1 after an error (logged as "[class] text").
int entry(const Options& options);

// The game itself, without the handler: open everything, title scene, main loop.
int runGame(const Options& options);

}  // namespace game
