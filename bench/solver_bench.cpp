// The level solver, headless: the time to a route through each built-in level without hints
// (median and worst over runs), its passes simulated against the cost of a bare play pass
// measured in the same run, and what a step given a frame's budget really takes (median, 99th
// percentile, worst): the share of an editor's frame a search in the background costs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "algo/input/easyinput.hpp"
#include "basic/element.hpp"
#include "bench/support/console.hpp"
#include "game/headless.hpp"
#include "game/level.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"
#include "game/solver.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// What an editor drawing 60 frames a second might give a search each frame.
constexpr std::chrono::microseconds kBudget(4000);
constexpr int kLevels = 8;

// The terminal, kept before the engine's logger takes standard output over.
std::FILE* gOut = stdout;
int gOutFd = 1;

std::array<game::Grid, kLevels> gGrids{};
// Every step of every run, microseconds of wall time and of this thread's processor time
// (the difference is time the machine gave to others), and the passes each level's runs
// simulated.
std::vector<double> gSteps, gStepsCpu;
std::array<std::int64_t, kLevels> gPasses{};
// Per level, each run's seconds to the route (wall and processor), and the bare pass measured
// right before each run, so that both see the machine alike.
std::array<std::vector<double>, kLevels> gWall, gCpu, gBare;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double cpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

// The floor under a search: one pass of play on a level, fed as the search feeds its keys
// (counters set, the scene advanced, no drawing), walking and jumping. The levels' thorns
// are taken away and their stars put out of reach, so no pass ends a life or the level.
// Median of blocks of 1000 passes.
double barePassMicros(int rounds) {
    std::array<game::Grid, kLevels> grids = gGrids;
    for (auto& g : grids) {
        for (auto& column : g)
            for (auto& cell : column)
                if (cell == game::kDeadly || cell == game::kDeadlyVanishing || cell == game::kStar)
                    cell = game::kEmpty;
        g[0][0] = game::kStar;  // in the border
    }
    game::setSoundsQuiet(true);
    auto& scene = game::SceneGame_::instance();
    auto& input = algo::EasyInput_::instance();
    const auto saved = input.counts();
    algo::EasyInput_::Counts counts{};
    std::vector<double> blocks;
    for (int round = 0; round < rounds; ++round) {
        scene.initGrid(grids[round % kLevels],
                       {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}},
                       true);
        counts = {};
        for (int pass = 0; pass < 60; ++pass) {
            input.setCounts(counts);
            scene.advance();
        }
        const auto t0 = Clock::now();
        constexpr int kBlock = 1000;
        for (int pass = 0; pass < kBlock; ++pass) {
            const bool right = (pass / 90) % 2 == 0;
            counts[algo::EasyInput_::Right] = right ? counts[algo::EasyInput_::Right] + 1 : 0;
            counts[algo::EasyInput_::Left] = right ? 0 : counts[algo::EasyInput_::Left] + 1;
            counts[algo::EasyInput_::Button(1)] =
                pass % 45 < 10 ? counts[algo::EasyInput_::Button(1)] + 1 : 0;
            input.setCounts(counts);
            scene.advance();
        }
        blocks.push_back(micros(Clock::now() - t0) / kBlock);
    }
    input.setCounts(saved);
    game::setSoundsQuiet(false);
    return percentile(blocks, 0.5);
}

// One search to the end in steps of the frame budget; its seconds of stepping.
double solve(int level) {
    gBare[level - 1].push_back(barePassMicros(16));
    game::Solver solver(gGrids[level - 1]);
    double total = 0;
    const double cpu0 = cpuMicros();
    for (bool done = false; !done;) {
        const auto t0 = Clock::now();
        const double c0 = cpuMicros();
        done = solver.step(kBudget);
        const double us = micros(Clock::now() - t0);
        gStepsCpu.push_back(cpuMicros() - c0);
        gSteps.push_back(us);
        total += us;
    }
    if (!solver.result().found)
        throw std::runtime_error("level " + std::to_string(level) + ": " + solver.result().failure);
    gPasses[level - 1] = solver.progress().passesSimulated;
    gWall[level - 1].push_back(total / 1e6);
    gCpu[level - 1].push_back((cpuMicros() - cpu0) / 1e6);
    return total / 1e6;
}

void BM_RouteWithoutHints(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) state.SetIterationTime(solve(level));
    state.counters["passes"] = static_cast<double>(gPasses[level - 1]);
}
BENCHMARK(BM_RouteWithoutHints)
    ->DenseRange(1, kLevels)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });

void figures() {
    for (int level = 1; level <= kLevels; ++level) {
        const auto& wall = gWall[level - 1];
        const auto& cpu = gCpu[level - 1];
        if (wall.empty()) continue;
        // The passes alone, at the bare cost: what the search could not do with less.
        const double bare = percentile(gBare[level - 1], 0.5);
        const double floor = static_cast<double>(gPasses[level - 1]) * bare / 1e6;
        std::fprintf(gOut,
                     "level %d: route in %.2f s median, %.2f s worst over %zu runs (processor "
                     "%.2f s median); %lld passes simulated at a bare %.3f us a pass: %.2f s, "
                     "processor time %.2f times that\n",
                     level, percentile(wall, 0.5), percentile(wall, 1.0), wall.size(),
                     percentile(cpu, 0.5), static_cast<long long>(gPasses[level - 1]), bare, floor,
                     percentile(cpu, 0.5) / floor);
    }
    std::fprintf(gOut,
                 "step with a budget of %.1f ms: median %.2f ms, 99th percentile %.2f ms, worst "
                 "%.2f ms over %zu steps\n",
                 static_cast<double>(kBudget.count()) / 1000, percentile(gSteps, 0.5) / 1000,
                 percentile(gSteps, 0.99) / 1000, percentile(gSteps, 1.0) / 1000, gSteps.size());
    std::fprintf(gOut,
                 "the same steps in processor time: median %.2f ms, 99th percentile %.2f ms, "
                 "worst %.2f ms\n",
                 percentile(gStepsCpu, 0.5) / 1000, percentile(gStepsCpu, 0.99) / 1000,
                 percentile(gStepsCpu, 1.0) / 1000);
}

struct Bench : game::PassObserver {
    int argc;
    char** argv;

    bool beforePass() override {
        for (int n = 1; n <= kLevels; ++n) {
            std::int32_t x = 0, y = 0;
            game::loadLevel(game::levelPath(n), gGrids[n - 1], x, y);
        }
        bench::runBenchmarksTo(gOutFd, argc, argv);
        if (!gSteps.empty()) figures();
        return false;
    }
    void afterPass(bool) override {}
};

}  // namespace

int main(int argc, char** argv) {
    bench::GameDir dir;
    gOut = dir.out();
    gOutFd = dir.outFd();
    Bench bench;
    bench.argc = argc;
    bench.argv = argv;
    return game::runHeadless(bench);
}
