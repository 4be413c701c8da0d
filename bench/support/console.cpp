#include "bench/support/console.hpp"

#include <benchmark/benchmark.h>

#include <fstream>
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

}  // namespace bench
