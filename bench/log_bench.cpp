// The cost of a log line now that each one is written through to stdout.txt as it is logged
// (a crash must not take buffered lines with it), beside a peer measured in the same run:
// the same line into a fully buffered file, as lines were written before; and the floor of
// writing through: one write(2) of the same bytes. Lines as the game logs them (the loaders'
// start and end lines); steady play logs none, so a pass of play costs what it did.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/timer/timestamp.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kLines[] = {"start Texture.loadimg", "end Texture.loadimg", "start Sound.load",
                              "end Sound.load"};
constexpr int kLineCount = 4;

std::FILE* gOut = stdout;

void BM_LogWrittenThrough(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) algo::log(kLines[i++ & (kLineCount - 1)]);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogWrittenThrough);

// The peer: the same formatted line into a file buffered as standard output was before.
void BM_LogBufferedPeer(benchmark::State& state) {
    std::FILE* f = std::fopen("buffered.txt", "w");
    std::setvbuf(f, nullptr, _IOFBF, BUFSIZ);
    int i = 0;
    for (auto _ : state) {
        const std::string line =
            algo::formatLogLine(algo::timestamp(), kLines[i++ & (kLineCount - 1)]);
        std::fprintf(f, "%.*s", static_cast<int>(line.size()), line.data());
    }
    std::fclose(f);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogBufferedPeer);

// The floor of writing a line through: one system call with the same bytes.
void BM_WriteFloor(benchmark::State& state) {
    const int fd = ::open("floor.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string line = algo::formatLogLine(123456789, kLines[0]);
    for (auto _ : state) benchmark::DoNotOptimize(::write(fd, line.data(), line.size()));
    ::close(fd);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteFloor);

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

template <class F>
void figures(const char* what, F&& one) {
    constexpr int kRuns = 20000;
    std::vector<double> us;
    us.reserve(kRuns);
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = Clock::now();
        one(i);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::fprintf(gOut, "%s: median %.2f us, 99th percentile %.2f us, worst %.2f us\n", what,
                 percentile(us, 0.5), percentile(us, 0.99),
                 *std::max_element(us.begin(), us.end()));
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        fs::temp_directory_path() / ("starhop-logbench-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::current_path(work);
    // The report goes to the terminal; the logger takes standard output over.
    const int outFd = dup(STDOUT_FILENO);
    gOut = fdopen(outFd, "w");
    if (!gOut) return 1;
    std::setvbuf(gOut, nullptr, _IOLBF, 0);
    __gnu_cxx::stdio_filebuf<char> outBuf(dup(outFd), std::ios::out);
    std::ostream report(&outBuf);

    algo::timestamp_module::moduleStart();
    algo::logger::moduleStart();
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter console;
    console.SetOutputStream(&report);
    console.SetErrorStream(&report);
    benchmark::RunSpecifiedBenchmarks(&console);
    report.flush();

    figures("log line, written through", [](int i) { algo::log(kLines[i & (kLineCount - 1)]); });
    std::FILE* buffered = std::fopen("buffered2.txt", "w");
    std::setvbuf(buffered, nullptr, _IOFBF, BUFSIZ);
    figures("peer: the same line, buffered", [&](int i) {
        const std::string line =
            algo::formatLogLine(algo::timestamp(), kLines[i & (kLineCount - 1)]);
        std::fprintf(buffered, "%.*s", static_cast<int>(line.size()), line.data());
    });
    std::fclose(buffered);
    const int fd = ::open("floor2.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string line = algo::formatLogLine(123456789, kLines[0]);
    figures("floor: one write(2) of the line",
            [&](int) { benchmark::DoNotOptimize(::write(fd, line.data(), line.size())); });
    ::close(fd);

    algo::logger::moduleEnd();
    benchmark::Shutdown();
    fs::current_path(work.parent_path());
    fs::remove_all(work);
    return 0;
}
