#include "bench/support/bandwidth.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {
namespace {
std::vector<std::uint8_t> refScreen(512 * 512 * 2), refSrc(1024 * 16 * 16 * 2),
    refDst(1024 * 16 * 16 * 2);

// Both pages already written (never the shared zero page), the source not all zeros.
std::vector<std::uint8_t> frameFrom = [] {
    std::vector<std::uint8_t> v(kFrameBytes);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return v;
}();
std::vector<std::uint8_t> frameTo(kFrameBytes, 1);
}  // namespace

void bandwidthReference() {
    std::memset(refScreen.data(), 0xFF, refScreen.size());
    std::memcpy(refDst.data(), refSrc.data(), refSrc.size());
    benchmark::DoNotOptimize(refScreen.data());
    benchmark::DoNotOptimize(refDst.data());
    benchmark::ClobberMemory();
}

// The buffers escape to the optimiser's unknown before and after: it must do every byte.
void frameWrite() {
    benchmark::DoNotOptimize(frameTo.data());
    std::memset(frameTo.data(), 0xFF, frameTo.size());
    benchmark::DoNotOptimize(frameTo.data());
    benchmark::ClobberMemory();
}

void frameCopy() {
    benchmark::DoNotOptimize(frameFrom.data());
    benchmark::DoNotOptimize(frameTo.data());
    std::memcpy(frameTo.data(), frameFrom.data(), frameTo.size());
    benchmark::DoNotOptimize(frameTo.data());
    benchmark::ClobberMemory();
}

}  // namespace bench
