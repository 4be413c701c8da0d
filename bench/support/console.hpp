#pragma once
// Benchmarks that run inside the game: the engine's logger has standard output, so the report
// goes to a copy of the terminal taken before the engine started.
namespace bench {

// Runs the benchmarks the command line selects, reporting to descriptor `fd`.
void runBenchmarksTo(int fd, int& argc, char** argv);

}  // namespace bench
