// The examples: start-up of hello to its first drawn frame, a new process each time (engine
// start, display, font loading, one pass), and the size of every example's executable as
// built and as a package would ship it (stripped).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

#ifdef HELLO_RUN
const char kHelloRun[] = HELLO_RUN;
const char kHelloDir[] = HELLO_DIR;
#endif
#ifdef EXAMPLE_PROGRAMS
const char kPrograms[] = EXAMPLE_PROGRAMS;  // "name=path,name=path..."
#endif

fs::path gWork;

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

#ifdef HELLO_RUN
// One run of hello from a fresh process: the time from the spawn to its first drawn frame.
double helloFirstFrameMs() {
    fs::remove(gWork / "first-frame.txt");
    std::vector<std::string> args = {kHelloRun, "--first-frame", "first-frame.txt", "script.txt"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const long long start = monotonicNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, kHelloRun, nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error(std::string("cannot start ") + kHelloRun);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("hello failed; see " + (gWork / "stderr.txt").string());
    std::ifstream in(gWork / "first-frame.txt");
    long long drawn = 0;
    if (!(in >> drawn)) throw std::runtime_error("hello reported no first frame");
    return static_cast<double>(drawn - start) / 1e6;
}

void BM_HelloStartToFirstFrame(benchmark::State& state) {
    std::vector<double> times;
    for (auto _ : state) {
        const double ms = helloFirstFrameMs();
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["max_ms"] = times.back();
}
BENCHMARK(BM_HelloStartToFirstFrame)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);
#endif

std::string sizeText(std::uintmax_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f KiB", static_cast<double>(bytes) / 1024);
    return text;
}

void reportSizes() {
#ifdef EXAMPLE_PROGRAMS
    std::printf("%-10s %12s %12s\n", "example", "as built", "stripped");
    std::stringstream list(kPrograms);
    for (std::string entry; std::getline(list, entry, ',');) {
        const auto eq = entry.find('=');
        const std::string name = entry.substr(0, eq), path = entry.substr(eq + 1);
        std::error_code e;
        const auto built = fs::file_size(path, e);
        if (e) {
            std::printf("%-10s %12s\n", name.c_str(), "not built");
            continue;
        }
        const fs::path stripped = gWork / (name + ".stripped");
        const std::string cmd = "strip -o '" + stripped.string() + "' '" + path + "' 2>/dev/null";
        std::string strippedText = "n/a";
        if (std::system(cmd.c_str()) == 0) strippedText = sizeText(fs::file_size(stripped));
        std::printf("%-10s %12s %12s\n", name.c_str(), sizeText(built).c_str(),
                    strippedText.c_str());
    }
#else
    std::printf("examples not built: no sizes\n");
#endif
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    gWork = fs::temp_directory_path() / ("algo-examples-bench-" + std::to_string(getpid()));
    fs::create_directories(gWork);
#ifdef HELLO_RUN
    fs::copy(fs::path(kHelloDir) / "data", gWork / "data", fs::copy_options::recursive);
    std::ofstream(gWork / "script.txt") << "1 -\n";
#endif
    const fs::path home = fs::current_path();
    fs::current_path(gWork);
    reportSizes();
    int status = 0;
    try {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "examples_bench: %s\n", e.what());
        status = 1;
    }
    fs::current_path(home);
    fs::remove_all(gWork);
    return status;
}
