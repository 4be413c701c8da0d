#pragma once
// The memory-bandwidth reference that frame costs are judged against: the bytes a play frame
// must at least touch, the 512 × 512 16-bit screen cleared once and the tile pixels copied once.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace bench {

void bandwidthReference();

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
