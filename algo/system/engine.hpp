#pragma once
/// @file
/// The engine's module start routines in one fixed order, and their end routines in reverse.
#include <functional>

/// The engine: start-up and shutdown, the screen and pictures, input, sound, scenes and
/// actors, resources, timing, logging and scripting. The classes whose names end in `_` are
/// singletons that live from the engine's start to its end.
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
    /// Runs every module start. If one fails, its error is written as a "[class] text" line
    /// to standard error (and to the terminal once the logger has started), the modules
    /// already started are ended, and the error is rethrown: std::runtime_error when a log
    /// file cannot be opened, SDLError when SDL or a subsystem will not start.
    Engine();
    /// Runs the end routines in reverse order. An end routine that throws is reported like a
    /// failed start and the others still run.
    ~Engine();
    /// Not copyable: there is one engine at a time.
    Engine(const Engine&) = delete;
    /// Not copyable: there is one engine at a time.
    Engine& operator=(const Engine&) = delete;

  private:
    int started_ = 0;
};

/// The usual way to start the engine: engine start, body, engine end; everything a program
/// does with the engine goes in the body. Returns the body's result, or 1 when the engine
/// does not start or an error escapes the body (a std::exception, or anything else thrown):
/// the error is written as a "[class] text" line to standard error (stderr.txt once
/// redirected, and then also to the standard error the program was started with), and the
/// engine is ended all the same. While the engine runs, a fatal signal leaves its line in
/// the log and on the terminal (see logger::setFaultExplainer) and ends the program with the
/// signal's status.
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
int runProgram(const std::function<int()>& body);

}  // namespace algo
