#pragma once
// The engine's module start routines in one fixed order, and their end routines in reverse.
#include <functional>

namespace algo {

/// The engine's start and end in one object. Constructing it runs every module start in a
/// fixed order (logger, SDL, timer, frame pacing, resource reader, video, display, fonts,
/// input, audio, scenes, camera, Lua, sprites); destroying it runs their ends in reverse. The
/// singletons (Display_, Audio_, SceneControl_, ...) live exactly as long as it does. Most
/// programs let algo::runProgram own it; tests and tools make one themselves, one at a time.
///
/// @code
/// int main() {
///     algo::Engine engine;  // stdout.txt: "ログ開始", "SDLInit ctor ..", ...
///     algo::Display_::instance().setVideoMode(320, 240, 16, false);
///     return 0;             // the end routines run here, down to "ログ終了"
/// }
/// @endcode
class Engine {
  public:
    // Runs every module start; if one fails, the error is written to standard error, the
    // modules already started are ended, and the error is rethrown.
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

  private:
    int started_ = 0;
};

/// The usual way to start the engine: everything a program does with it goes in the body.
///
/// @code
/// int main() {
///     return algo::runProgram([] {
///         algo::Display_::instance().setVideoMode(512, 512, 16, false);
///         // ... open the audio, change to the first scene, run the main loop ...
///         return 0;
///     });
/// }
/// @endcode
// A whole program: engine start, body, engine end. An error that escapes the engine start or
// the body (a std::exception, or anything else thrown) is written to standard error
// (stderr.txt once redirected, and then also to the standard error the program was started
// with) and gives status 1. While the engine runs, a fatal signal leaves its line in the log
// and on the terminal (see logger::setFaultExplainer) and ends with the signal's status.
int runProgram(const std::function<int()>& body);

}  // namespace algo
