#pragma once
// References that frame costs are judged against.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace bench {

// The bytes a tile-drawn play frame must at least touch: the 512 × 512 16-bit screen cleared
// once and the tile pixels (another 512 KiB) copied once; 1.5 MiB, all inside the cache.
void bandwidthReference();

// The physical floor of one 512 × 512 16-bit frame: its 512 KiB written once, and copied once
// from another 512 KiB (what showing a ready picture of the whole screen costs at least).
inline constexpr std::size_t kFrameBytes = 512 * 512 * 2;
void frameWrite();
void frameCopy();

// Median wall time of `runs` calls, in microseconds.
template <class F>
double medianMicros(F&& f, int runs) {
    std::vector<double> t(static_cast<std::size_t>(runs));
    for (auto& v : t) {
        const auto start = std::chrono::steady_clock::now();
        f();
        v = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
    }
    std::nth_element(t.begin(), t.begin() + runs / 2, t.end());
    return t[static_cast<std::size_t>(runs / 2)];
}

}  // namespace bench
