#pragma once
// The engine's module start routines in one fixed order, and their end routines in reverse.
#include <functional>

namespace algo {

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

// A whole program: engine start, body, engine end. An error that escapes the engine start or
// the body is written to standard error (stderr.txt once redirected, and then also to the
// standard error the program was started with) and gives status 1.
int runProgram(const std::function<int()>& body);

}  // namespace algo
