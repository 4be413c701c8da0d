// Cost of one owner -> task -> owner round trip of MicroThread, next to the same round trip
// of a bare stack-switching fiber measured in the same run; prints the ratio at the end.
#include <benchmark/benchmark.h>

#include <boost/context/fiber.hpp>
#include <cstdio>
#include <map>
#include <string>

#include "algo/game/microthread.hpp"

namespace {

namespace bc = boost::context;

void BM_FiberRoundTrip(benchmark::State& state) {
    bool stop = false;
    long count = 0;
    bc::fiber task{[&](bc::fiber&& owner) {
        while (!stop) {
            ++count;
            owner = std::move(owner).resume();
        }
        return std::move(owner);
    }};
    task = std::move(task).resume();
    for (auto _ : state) task = std::move(task).resume();
    stop = true;
    task = std::move(task).resume();
    benchmark::DoNotOptimize(count);
}
BENCHMARK(BM_FiberRoundTrip);

void BM_MicroThreadResumeYield(benchmark::State& state) {
    algo::MicroThread task;
    bool stop = false;
    long count = 0;
    auto body = [&] {
        while (!stop) {
            ++count;
            task.yield();
        }
    };
    task.start(algo::MicroThread::Body::of(body));
    for (auto _ : state) task.resume();
    stop = true;
    task.resume();
    benchmark::DoNotOptimize(count);
}
BENCHMARK(BM_MicroThreadResumeYield);

void BM_MicroThreadStepYield(benchmark::State& state) {
    algo::MicroThread task;
    bool stop = false;
    auto body = [&] {
        while (!stop) task.yield();
    };
    task.start(algo::MicroThread::Body::of(body));
    for (auto _ : state) task.step();
    stop = true;
    task.step();
}
BENCHMARK(BM_MicroThreadStepYield);

// A restart on the kept stack: set-up of the first context plus one switch each way.
void BM_MicroThreadRestart(benchmark::State& state) {
    algo::MicroThread task;
    long count = 0;
    auto body = [&] { ++count; };
    for (auto _ : state) task.start(algo::MicroThread::Body::of(body));
    benchmark::DoNotOptimize(count);
}
BENCHMARK(BM_MicroThreadRestart);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> nsPerRound;
    void ReportRuns(const std::vector<Run>& runs) override {
        // The cores are shared with other work: CPU time is the steadier figure.
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                nsPerRound[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.nsPerRound;
    if (t.count("BM_FiberRoundTrip") && t.count("BM_MicroThreadResumeYield")) {
        double fiber = t["BM_FiberRoundTrip"];
        double task = t["BM_MicroThreadResumeYield"];
        std::printf(
            "resume/yield round trip: MicroThread %.2f ns, fiber %.2f ns, ratio %.2f "
            "(goal <= 1.50)\n",
            task, fiber, task / fiber);
    }
    benchmark::Shutdown();
    return 0;
}
