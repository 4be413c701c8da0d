#include <gtest/gtest.h>

#include <random>

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

}  // namespace
