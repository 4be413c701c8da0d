// util::mt against std::mt19937 in the same run, and pool get/release with an allocation count.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "basic/pool.hpp"
#include "bench/support/alloc_count.hpp"
#include "util/mt.hpp"

namespace {

void BM_UtilMtNext(benchmark::State& state) {
    util::mt::seed(5489);
    std::uint32_t sink = 0;
    for (auto _ : state) sink ^= util::mt::next();
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UtilMtNext);

void BM_StdMt19937(benchmark::State& state) {
    std::mt19937 gen(5489);
    std::uint32_t sink = 0;
    for (auto _ : state) sink ^= gen();
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StdMt19937);

struct Actorish {
    long double x = 0, y = 0, vx = 0, vy = 0;
};

void BM_PoolGetRelease(benchmark::State& state) {
    basic::Pool<Actorish> pool(128, false);
    std::vector<basic::Pool<Actorish>::Handle> held(16);
    long before = bench::allocationCount();
    for (auto _ : state) {
        for (auto& h : held) h = pool.get();
        for (auto& h : held) pool.release(h);
    }
    state.counters["allocs_per_pair"] =
        benchmark::Counter(static_cast<double>(bench::allocationCount() - before) /
                           static_cast<double>(state.iterations() * held.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<long>(held.size()));
}
BENCHMARK(BM_PoolGetRelease);

}  // namespace

BENCHMARK_MAIN();
