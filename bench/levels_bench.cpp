// starhop-levels check, headless: the time it takes to find a route through each built-in
// level (the game's own levels taken as a pack), against the solver alone on the same grid in
// the same run, which is the work the check cannot do without. Median, 99th percentile and
// worst per level and over every level's runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/console.hpp"
#include "game/headless.hpp"
#include "game/levelpack.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"
#include "game/solver.hpp"
#include "tools/levels/check.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLevels = 8;
// As starhop-levels check searches: its default limit and its slice.
constexpr double kTimeLimit = 30;
constexpr std::chrono::milliseconds kSlice(50);

std::FILE* gOut = stdout;
int gOutFd = 1;
const game::LevelPack* gPack = nullptr;
levels::Terminal* gTerminal = nullptr;
// Seconds per run, by level: the check's, and the solver's alone.
std::array<std::vector<double>, kLevels> gCheck, gSolver;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

void BM_CheckLevel(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const levels::LevelCheck c = levels::checkLevelOf(*gPack, level, kTimeLimit, *gTerminal);
        const double s = seconds(Clock::now() - t0);
        if (!c.searched || !c.route.found)
            throw std::runtime_error("level " + std::to_string(level) + ": no route");
        gCheck[level - 1].push_back(s);
        state.SetIterationTime(s);
    }
}

void BM_SolverAlone(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        game::SolverOptions options;
        options.timeLimit = kTimeLimit;
        const auto t0 = Clock::now();
        game::Solver solver(gPack->level(level), options);
        while (!solver.step(kSlice)) {
        }
        const double s = seconds(Clock::now() - t0);
        if (!solver.result().found)
            throw std::runtime_error("level " + std::to_string(level) + ": no route");
        gSolver[level - 1].push_back(s);
        state.SetIterationTime(s);
    }
}

// The two alternate level by level, so that both see the machine alike.
void registerBenchmarks() {
    for (int level = 1; level <= kLevels; ++level) {
        for (auto* b : {benchmark::RegisterBenchmark("BM_CheckLevel", BM_CheckLevel),
                        benchmark::RegisterBenchmark("BM_SolverAlone", BM_SolverAlone)})
            b->Arg(level)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
    }
}

void figures() {
    std::vector<double> all, allSolver;
    for (int level = 1; level <= kLevels; ++level) {
        const auto& check = gCheck[level - 1];
        const auto& solver = gSolver[level - 1];
        if (check.empty() || solver.empty()) continue;
        all.insert(all.end(), check.begin(), check.end());
        allSolver.insert(allSolver.end(), solver.begin(), solver.end());
        std::fprintf(gOut,
                     "level %d: check finds a route in %.2f s median, %.2f s p99, %.2f s worst "
                     "over %zu runs; the solver alone %.2f s median (ratio %.2f)\n",
                     level, percentile(check, 0.5), percentile(check, 0.99), percentile(check, 1.0),
                     check.size(), percentile(solver, 0.5),
                     percentile(check, 0.5) / percentile(solver, 0.5));
    }
    if (all.empty()) return;
    std::fprintf(gOut,
                 "every level: check %.2f s median, %.2f s p99, %.2f s worst over %zu runs; the "
                 "solver alone %.2f s median, %.2f s worst\n",
                 percentile(all, 0.5), percentile(all, 0.99), percentile(all, 1.0), all.size(),
                 percentile(allSolver, 0.5), percentile(allSolver, 1.0));
}

struct Bench : game::PassObserver {
    int argc;
    char** argv;

    bool beforePass() override {
        gPack = game::SceneGame_::instance().pack();
        levels::Terminal terminal;  // progress only on a terminal; nothing is printed here
        gTerminal = &terminal;
        registerBenchmarks();
        bench::runBenchmarksTo(gOutFd, argc, argv);
        figures();
        return false;
    }
    void afterPass(bool) override {}
};

}  // namespace

int main(int argc, char** argv) {
    // The data folder of the working directory is the pack.
    bench::GameDir dir;
    gOut = dir.out();
    gOutFd = dir.outFd();
    Bench bench;
    bench.argc = argc;
    bench.argv = argv;
    return game::runHeadless(bench, 0, "data");
}
