#include "bench/support/bandwidth.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {
namespace {
std::vector<std::uint8_t> refScreen(512 * 512 * 2), refSrc(1024 * 16 * 16 * 2),
    refDst(1024 * 16 * 16 * 2);
}  // namespace

void bandwidthReference() {
    std::memset(refScreen.data(), 0xFF, refScreen.size());
    std::memcpy(refDst.data(), refSrc.data(), refSrc.size());
    benchmark::DoNotOptimize(refScreen.data());
    benchmark::DoNotOptimize(refDst.data());
    benchmark::ClobberMemory();
}

}  // namespace bench
