#pragma once
// Where starhop-levels speaks. The engine sends standard output and standard error to its log
// files, so the tool keeps the terminal's own descriptors, taken before the engine starts.
#include <cstdio>
#include <string>

namespace levels {

class Terminal {
  public:
    // Takes copies of standard output and standard error: call before the engine starts.
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // A line of the tool's report on standard output, also logged.
    void line(const std::string& text);
    // Where a long step stands, on one line of the terminal rewritten in place; nothing when
    // standard error is no terminal (a file or a pipe gets the report alone).
    void progress(const std::string& text);
    // Takes the progress line away before the report goes on.
    void endProgress();

  private:
    std::FILE* out_ = nullptr;
    std::FILE* err_ = nullptr;
    bool live_ = false;
    bool shown_ = false;
};

}  // namespace levels
