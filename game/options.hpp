#pragma once
// How a run of the game goes: starhop's command line, its --help text, and the terminal's
// full-screen question.
#include <cstdint>
#include <string>
#include <vector>

namespace game {

class PassObserver;

enum class Screen { Ask, FullScreen, Window };

// Largest --scale.
inline constexpr int kMaxScale = 4;

// Set by starhop's command line, or by a program that drives the game (the replay runner).
struct Options {
    // Ask is answered before the engine starts (a window's scaling is set up before SDL
    // reads it): the game itself only sees FullScreen or Window.
    Screen screen = Screen::Ask;
    // Window scale from 1 to kMaxScale; 0: the largest that fits the desktop.
    int scale = 0;
    // Losing the input focus pauses play. The replay runner turns it off: its trace follows
    // the script alone.
    bool pauseOnFocusLoss = true;
    // --help: print helpText() and start nothing.
    bool help = false;
    // --levels: the level pack to play (a folder or a .zip archive) instead of the game's
    // own levels; empty for those.
    std::string levels;
    // Above 0: start as if the title had pushed the play scene with this level.
    std::int32_t startLevel = 0;
    PassObserver* observer = nullptr;
};

// Reads the command line; a bad option or value leaves a one-line message in `error`.
// --help (or -h) ends the reading: what follows it is not looked at.
Options parseOptions(const std::vector<std::string>& args, std::string& error);

// What --help prints: the usage line, each option with what it does, the keys.
std::string helpText();

// Asks "full screen?" on the controlling terminal; No without a terminal.
bool askFullScreen();

}  // namespace game
