// The real game, headless: start-up to the first drawn title frame, the cost of one play pass
// (update and draw, the flip apart), its drawing alone against the bandwidth reference, heap
// allocations per steady play pass, peak resident memory, and a long soak of seeded random
// input through starhop-replay.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "basic/element.hpp"
#include "bench/support/alloc_count.hpp"
#include "bench/support/bandwidth.hpp"
#include "game/headless.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The keys the benchmark holds, read by the keyboard in place of SDL's state.
std::span<std::uint8_t> gKeys;

// The terminal, kept before the engine's logger takes standard output over.
std::FILE* gOut = stdout;
int gOutFd = 1;

fs::path gBuildDir;  // the build tree: data/ and tools/replay/starhop-replay live there
Clock::time_point gStart;
double gStartupMs = -1;

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

// Level 1 walked back and forth with a jump now and then: steady play, no deaths, no end.
void startLevel() {
    std::ranges::fill(gKeys, 0);
    algo::EventControl_::instance().poll();
    algo::SceneControl_::instance().change(
        game::SceneGame_::instance(),
        {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}});
}

void setKeys(long pass) {
    std::ranges::fill(gKeys, 0);
    gKeys[(pass / 90) % 2 ? SDLK_LEFT : SDLK_RIGHT] = 1;
    gKeys[SDLK_x] = pass % 45 < 10;
}

struct PassTimes {
    double updateDraw = 0;  // microseconds
    double draw = 0;
    double flip = 0;
};

PassTimes onePass(long pass) {
    setKeys(pass);
    algo::EventControl_::instance().poll();
    auto& scenes = algo::SceneControl_::instance();
    const auto t0 = Clock::now();
    scenes.update();
    const auto drawStart = Clock::now();
    scenes.draw();
    const auto t1 = Clock::now();
    algo::Display_::instance().flip();
    const auto t2 = Clock::now();
    return {std::chrono::duration<double, std::micro>(t1 - t0).count(),
            std::chrono::duration<double, std::micro>(t1 - drawStart).count(),
            std::chrono::duration<double, std::micro>(t2 - t1).count()};
}

void BM_PlayPass(benchmark::State& state) {
    startLevel();
    long pass = 0;
    for (; pass < 120; ++pass) onePass(pass);  // the life ball, then the rabbit is in
    for (auto _ : state) {
        const PassTimes t = onePass(pass++);
        state.SetIterationTime(t.updateDraw / 1e6);
    }
}
BENCHMARK(BM_PlayPass)->UseManualTime()->Iterations(20000);

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

// Median and 99th percentile of update + draw and of the flip, and heap allocations per pass,
// over passes of steady play after a warm-up.
void playFigures() {
    startLevel();
    long pass = 0;
    for (; pass < 600; ++pass) onePass(pass);
    const int n = 20000;
    std::vector<double> work, draws, flips;
    work.reserve(n);
    draws.reserve(n);
    flips.reserve(n);
    const long before = bench::allocationCount();
    for (int i = 0; i < n; ++i) {
        const PassTimes t = onePass(pass++);
        work.push_back(t.updateDraw);
        draws.push_back(t.draw);
        flips.push_back(t.flip);
    }
    const long allocations = bench::allocationCount() - before;
    // The reference right after the passes, so both see the same machine.
    const double reference = bench::medianMicros(bench::bandwidthReference, 400);
    const double draw = percentile(draws, 0.5);
    auto& play = game::SceneGame_::instance();
    const double plain = bench::medianMicros([&] { play.drawPlain(); }, 400);
    std::fprintf(gOut, "play pass, update and draw: median %.1f us, 99th percentile %.1f us\n",
                 percentile(work, 0.5), percentile(work, 0.99));
    std::fprintf(gOut,
                 "play draw: median %.1f us, reference %.1f us, ratio %.2f (goal: at most 3)\n",
                 draw, reference, draw / reference);
    std::fprintf(gOut, "play draw, tile by tile: median %.1f us\n", plain);
    std::fprintf(gOut, "play pass, flip: median %.1f us, 99th percentile %.1f us\n",
                 percentile(flips, 0.5), percentile(flips, 0.99));
    std::fprintf(gOut, "heap allocations per steady play pass: %.4f (%ld in %d passes; goal 0)\n",
                 static_cast<double>(allocations) / n, allocations, n);
}

// 100 000 passes of seeded random keys through the replay runner, from level 3 (thorns near
// the start bring game overs; the title then starts the game again).
void soak() {
    fs::path replay = gBuildDir / "starhop-replay";
    if (!fs::exists(replay)) replay = gBuildDir / "tools/replay/starhop-replay";
    if (!fs::exists(replay)) {
        std::fprintf(gOut, "soak: %s not built, skipped\n", replay.c_str());
        return;
    }
    std::mt19937 rng(20261208);
    const char* keys[] = {"-", "right", "left", "x",          "right,x",      "left,x",
                          "z", "c",     "v",    "right,left", "right,left,x", "z,x"};
    const int lengths[] = {1, 2, 3, 5, 8, 13, 30};
    const long total = 100000;
    {
        std::ofstream script("soak.txt");
        for (long done = 0; done < total;) {
            long n = std::min<long>(lengths[rng() % 7], total - done);
            script << n << ' ' << keys[rng() % 12] << '\n';
            done += n;
        }
    }
    std::string cmd = "'";
    cmd += replay.string();
    cmd += "' --level 3 --trace soak.jsonl soak.txt";
    const auto t0 = Clock::now();
    const int status = std::system(cmd.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    long lines = 0;
    std::ifstream trace("soak.jsonl");
    for (std::string line; std::getline(trace, line);) ++lines;
    std::fprintf(gOut,
                 "soak: %ld passes of random input, exit status %d, %ld trace lines, %.1f s "
                 "(%.1f us a pass)\n",
                 total, status, lines, seconds, seconds * 1e6 / static_cast<double>(total));
    if (status != 0 || lines != total) throw std::runtime_error("soak: the run failed");
}

struct Bench : game::PassObserver {
    int argc;
    char** argv;
    long pass = 0;

    bool beforePass() override {
        if (pass == 0) return true;  // the title's first pass
        gKeys = algo::keyboard::scriptedKeys();
        std::fprintf(gOut, "start-up to the first drawn title frame: %.1f ms\n", gStartupMs);
        benchmark::Initialize(&argc, argv);
        std::ofstream terminal("/dev/fd/" + std::to_string(gOutFd));
        benchmark::ConsoleReporter reporter;
        reporter.SetOutputStream(&terminal);
        reporter.SetErrorStream(&terminal);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        playFigures();
        soak();
        std::fprintf(gOut, "peak resident memory: %ld kB (now %ld kB)\n", statusKb("VmHWM:"),
                     statusKb("VmRSS:"));
        return false;
    }
    void afterPass(bool drawn) override {
        ++pass;
        if (drawn && gStartupMs < 0)
            gStartupMs = std::chrono::duration<double, std::milli>(Clock::now() - gStart).count();
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    gBuildDir = fs::canonical("/proc/self/exe").parent_path().parent_path();
    // A working directory of its own, with the built data beside it.
    const fs::path work = fs::temp_directory_path() / ("starhop-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::create_directory_symlink(gBuildDir / "data", work / "data");
    fs::current_path(work);
    gOutFd = dup(STDOUT_FILENO);
    gOut = fdopen(gOutFd, "w");
    if (!gOut) return 1;
    std::setvbuf(gOut, nullptr, _IOLBF, 0);

    Bench bench;
    bench.argc = argc;
    bench.argv = argv;
    gStart = Clock::now();
    const int status = game::runHeadless(bench);
    fs::current_path(work.parent_path());
    fs::remove_all(work);
    return status;
}
