// The level editor's pass (update, draw, flip, as its main loop runs it, without the wait)
// while its check searches a route through the slowest built-in level a slice per pass: the
// median, 99th percentile and worst pass against the 16.7 ms of a frame at 60 passes a second,
// beside the same editor's pass with no check running, measured in the same run.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "algo/input/event.hpp"
#include "algo/system/engine.hpp"
#include "bench/support/console.hpp"
#include "editor/checkrunner.hpp"
#include "editor/editor.hpp"
#include "editor/input.hpp"
#include "game/main.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kFrameMs = 1000.0 / 60;
// The level whose search takes longest.
const char kLevel[] = "data/map6.bmp";

std::FILE* gOut = stdout;
int gOutFd = 1;
editor::Editor* gEditor = nullptr;

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

// One pass as the editor's loop runs it, in milliseconds.
double pass() {
    const auto start = Clock::now();
    algo::EventControl_::instance().poll();
    gEditor->pass(true);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(benchmark::State& state, const char* what, const std::vector<double>& ms) {
    state.counters["median_ms"] = percentile(ms, 0.5);
    state.counters["p99_ms"] = percentile(ms, 0.99);
    state.counters["worst_ms"] = percentile(ms, 1.0);
    state.counters["passes"] = static_cast<double>(ms.size());
    std::fprintf(gOut,
                 "%s: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms over %zu passes "
                 "(a frame: %.1f ms)\n",
                 what, percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0), ms.size(),
                 kFrameMs);
}

// The editor idle on the level: the peer of the passes below, doing the same drawing.
void BM_EditorPassIdle(benchmark::State& state) {
    std::vector<double> ms;
    for (auto _ : state)
        for (int i = 0; i < 600; ++i) ms.push_back(pass());
    report(state, "idle editor pass", ms);
}
BENCHMARK(BM_EditorPassIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

// C pressed: the rules, then the search, a slice per pass, to its end.
void BM_EditorPassWhileChecking(benchmark::State& state) {
    std::vector<double> ms;
    for (auto _ : state) {
        editor::InputEvents::instance().keys.push_back({SDLK_c, KMOD_NONE, 'c'});
        ms.push_back(pass());
        while (gEditor->check().running()) ms.push_back(pass());
        if (gEditor->check().state() != editor::CheckRunner::State::Found)
            state.SkipWithError("the check found no route");
    }
    report(state, "editor pass while checking", ms);
}
BENCHMARK(BM_EditorPassWhileChecking)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const fs::path build = fs::canonical("/proc/self/exe").parent_path().parent_path();
    const fs::path work = fs::temp_directory_path() / ("starhop-bench-" + std::to_string(getpid()));
    fs::create_directories(work / "config");
    fs::create_directory_symlink(build / "data", work / "data");
    fs::create_directory_symlink(build / "edit", work / "edit");
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    fs::current_path(work);
    gOutFd = dup(STDOUT_FILENO);
    gOut = fdopen(gOutFd, "w");
    if (!gOut) return 1;
    std::setvbuf(gOut, nullptr, _IOLBF, 0);

    editor::EditorOptions options;
    options.file = kLevel;
    options.scale = 1;
    const int status = algo::runProgram([&] {
        game::MainModule module;
        editor::Editor editor(options);
        gEditor = &editor;
        bench::runBenchmarksTo(gOutFd, argc, argv);
        gEditor = nullptr;
        return 0;
    });
    fs::current_path(work.parent_path());
    fs::remove_all(work);
    return status;
}
