#include "util/mt.hpp"

#include <string>

#include "basic/assert.hpp"

namespace util::mt {
namespace {

constexpr std::uint32_t N = 624;
constexpr std::uint32_t M = 397;
constexpr std::uint32_t kUpper = 0x80000000u;
constexpr std::uint32_t kLower = 0x7FFFFFFFu;
constexpr std::uint32_t kMag01[2] = {0u, 0x9908B0DFu};

std::uint32_t state[N];
std::uint32_t position = N + 1;  // never seeded

void regenerate() {
    std::uint32_t k = 0;
    for (; k < N - M; ++k) {
        std::uint32_t y = (state[k] & kUpper) | (state[k + 1] & kLower);
        state[k] = state[k + M] ^ (y >> 1) ^ kMag01[y & 1u];
    }
    for (; k < N - 1; ++k) {
        std::uint32_t y = (state[k] & kUpper) | (state[k + 1] & kLower);
        state[k] = state[k - (N - M)] ^ (y >> 1) ^ kMag01[y & 1u];
    }
    std::uint32_t y = (state[N - 1] & kUpper) | (state[0] & kLower);
    state[N - 1] = state[M - 1] ^ (y >> 1) ^ kMag01[y & 1u];
    position = 0;
}

}  // namespace

void seed(std::uint32_t s) {
    state[0] = s;
    for (std::uint32_t i = 1; i < N; ++i)
        state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + i;
    position = N;
}

std::uint32_t next() {
    if (position >= N) {
        if (position == N + 1) seed(5489u);
        regenerate();
    }
    std::uint32_t y = state[position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

std::int32_t nextInt(std::int32_t a, std::int32_t b) {
    BASIC_ASSERT(a <= b,
                 "util::mt::nextInt: " + std::to_string(a) + " is above " + std::to_string(b));
    const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t{b} - a) + 1;
    const std::uint64_t whole = std::uint64_t{1} << 32;
    // Outputs at or past the last whole multiple of the span are drawn again, so that no
    // number of the range comes up more often than another.
    const std::uint64_t limit = whole - whole % span;
    std::uint64_t v = next();
    while (v >= limit) v = next();
    return static_cast<std::int32_t>(std::int64_t{a} + static_cast<std::int64_t>(v % span));
}

double nextReal() {
    return next() * (1.0 / 4294967296.0);
}

}  // namespace util::mt
