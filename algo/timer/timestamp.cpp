#include "algo/timer/timestamp.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

namespace algo {
namespace {

std::uint64_t base = 0;

std::uint64_t counter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

}  // namespace

std::int64_t timestamp() {
    return static_cast<std::int64_t>(counter() - base);
}

void resetTimestamp() {
    base = counter();
}

namespace timestamp_module {
void moduleStart() {
    resetTimestamp();
}
}  // namespace timestamp_module

}  // namespace algo
