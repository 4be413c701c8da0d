#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "basic/assert.hpp"

#include "util/mt.hpp"

namespace {

TEST(MersenneTwister, UnseededIsTheReferenceSequenceFor5489) {
    // Must run first in this program: nothing else seeds before it.
    std::mt19937 ref;  // default seed 5489
    for (int i = 0; i < 9999; ++i) ASSERT_EQ(util::mt::next(), ref()) << i;
    EXPECT_EQ(util::mt::next(), 4123659995u);  // the 10000th output
}

TEST(MersenneTwister, SeedZeroAndReseedingRestarts) {
    util::mt::seed(0);
    std::mt19937 ref(0);
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 1500; ++i) {  // crosses two regenerations
        first.push_back(util::mt::next());
        ASSERT_EQ(first.back(), ref()) << i;
    }
    util::mt::seed(0);
    for (int i = 0; i < 1500; ++i) ASSERT_EQ(util::mt::next(), first[i]);
}

// The ranged draws take their numbers from the one sequence, unchanged: a span that divides
// 2^32 uses one output per draw, as next() % span; other spans draw again only past the last
// whole multiple, so no number is favoured.
TEST(MersenneTwister, RangedDrawsComeFromTheSameSequenceWithoutBias) {
    util::mt::seed(2024);
    std::vector<std::uint32_t> raw;
    for (int i = 0; i < 1000; ++i) raw.push_back(util::mt::next());
    util::mt::seed(2024);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(util::mt::nextInt(-8, 7), -8 + static_cast<int>(raw[i] % 16));
    for (int i = 500; i < 1000; ++i) ASSERT_EQ(util::mt::nextReal(), raw[i] / 4294967296.0);
    util::mt::seed(7);
    const std::uint32_t first = util::mt::next();
    util::mt::seed(7);
    EXPECT_EQ(util::mt::nextInt(INT32_MIN, INT32_MAX),
              static_cast<std::int32_t>(static_cast<std::int64_t>(INT32_MIN) + first));
    EXPECT_EQ(util::mt::nextInt(5, 5), 5);

    util::mt::seed(1);
    int faces[6] = {};
    double least = 1, most = 0;
    for (int i = 0; i < 60000; ++i) {
        const int f = util::mt::nextInt(1, 6);
        ASSERT_TRUE(f >= 1 && f <= 6) << f;
        ++faces[f - 1];
        const double r = util::mt::nextReal();
        ASSERT_TRUE(r >= 0.0 && r < 1.0) << r;
        least = std::min(least, r);
        most = std::max(most, r);
    }
    for (int n : faces) EXPECT_NEAR(n, 10000, 400);  // about 4.4 standard deviations
    EXPECT_LT(least, 0.001);
    EXPECT_GT(most, 0.999);
    EXPECT_THROW(util::mt::nextInt(2, 1), basic::AssertError);
}

}  // namespace
