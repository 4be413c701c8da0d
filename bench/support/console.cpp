#include "bench/support/console.hpp"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace bench {

void runBenchmarksTo(int fd, int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::ofstream terminal("/dev/fd/" + std::to_string(fd));
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&terminal);
    reporter.SetErrorStream(&terminal);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    terminal.flush();  // before any figures that go out another way
}

GameDir::GameDir() {
    namespace fs = std::filesystem;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const fs::path build = fs::canonical("/proc/self/exe").parent_path().parent_path();
    const fs::path work = fs::temp_directory_path() / ("starhop-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::create_directory_symlink(build / "data", work / "data");
    fs::current_path(work);
    work_ = work.string();
    outFd_ = dup(STDOUT_FILENO);
    out_ = outFd_ < 0 ? nullptr : fdopen(outFd_, "w");
    if (!out_) throw std::runtime_error("no copy of standard output for the report");
    std::setvbuf(out_, nullptr, _IOLBF, 0);
}

GameDir::~GameDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::current_path(fs::path(work_).parent_path(), ec);
    fs::remove_all(work_, ec);
}

}  // namespace bench
