#pragma once
// Benchmarks that run inside the game: the engine's logger has standard output, so the report
// goes to a copy of the terminal taken before the engine started.
#include <cstdio>
#include <string>

namespace bench {

// Runs the benchmarks the command line selects, reporting to descriptor `fd`.
void runBenchmarksTo(int fd, int& argc, char** argv);

// Where a benchmark of the game runs: a working directory of its own with the built data/
// linked in, entered at construction (headless drivers unless the environment names others)
// and removed at the end; the terminal is kept first, for the report.
class GameDir {
  public:
    GameDir();
    ~GameDir();
    GameDir(const GameDir&) = delete;
    GameDir& operator=(const GameDir&) = delete;

    std::FILE* out() const { return out_; }  // the terminal, line-buffered
    int outFd() const { return outFd_; }

  private:
    std::string work_;
    std::FILE* out_ = nullptr;
    int outFd_ = -1;
};

}  // namespace bench
