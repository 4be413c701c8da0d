#include <gtest/gtest.h>

#include "basic/assert.hpp"
#include "basic/element.hpp"
#include "basic/pool.hpp"
#include "basic/stack.hpp"

namespace {

struct Thing {
    static inline int made = 0;
    Thing() { ++made; }
    int id = 0;
};

TEST(Pool, HandsOutExactlyItsSizeThenFails) {
    basic::Pool<Thing> pool(128, false);
    std::vector<basic::Pool<Thing>::Handle> out;
    for (int i = 0; i < 128; ++i) out.push_back(pool.get());
    try {
        pool.get();
        FAIL() << "129th get must fail";
    } catch (const basic::PoolExeption& e) {
        EXPECT_STREQ(e.what(), "pool is exhausted");
    }
    EXPECT_EQ(pool.length(), 0u);  // unchanged by the failed get
}

TEST(Pool, GrowsInBatchesOfAllocSize) {
    basic::Pool<Thing> pool(4, true);
    std::vector<basic::Pool<Thing>::Handle> out;
    for (int i = 0; i < 4; ++i) out.push_back(pool.get());
    int before = Thing::made;
    out.push_back(pool.get());
    EXPECT_EQ(Thing::made - before, 4);
    EXPECT_EQ(pool.length(), 3u);
}

TEST(Pool, GrowingWithZeroAllocSizeIsAnIndexError) {
    basic::Pool<Thing> pool(0, true);
    EXPECT_THROW(pool.get(), std::out_of_range);
}

TEST(Pool, IsLastInFirstOutAndEmptiesTheCallersVariable) {
    basic::Pool<Thing> pool(2, false);
    auto a = pool.get();
    auto b = pool.get();
    Thing* pa = a.get();
    Thing* pb = b.get();
    pool.release(a);
    pool.release(b);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(pool.get().get(), pb);
    EXPECT_EQ(pool.get().get(), pa);
}

TEST(Pool, ReleasingAnEmptyVariableIsABrokenPrecondition) {
    basic::Pool<Thing> pool(1, false);
    basic::Pool<Thing>::Handle empty;
    try {
        pool.release(empty);
        FAIL();
    } catch (const basic::AssertError& e) {
        EXPECT_EQ(e.file(), "basic/pool.hpp");
        EXPECT_GT(e.line(), 0);
    }
}

TEST(Pool, ShrinkingDropsSurplusAndIterationStopsOnNonZero) {
    basic::Pool<Thing> pool(5, false);
    pool.resize(2);
    EXPECT_EQ(pool.allocSize(), 2u);
    EXPECT_EQ(pool.length(), 2u);
    int visited = 0;
    EXPECT_EQ(pool.forEachIndexed([&](std::size_t i, Thing*) {
        ++visited;
        return i == 0 ? 9 : 0;
    }),
              9);
    EXPECT_EQ(visited, 1);
    std::vector<std::size_t> order;
    pool.forEachReverseIndexed([&](std::size_t i, Thing*) {
        order.push_back(i);
        return 0;
    });
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 0}));
}

TEST(Element, UnpacksOnlyAsThePackedType) {
    basic::Element e = basic::Element::of<int>(7);
    EXPECT_EQ(e.unpack<int>(), 7);
    try {
        (void)e.unpack<bool>();
        FAIL();
    } catch (const basic::AssertError& err) {
        EXPECT_EQ(err.message(), "pack時の型と違うのでunpack出来ません。(int -> bool)");
        EXPECT_EQ(err.file(), "basic/element.cpp");
    }
}

TEST(Element, CopiesShareTheBytesAndEmptyFails) {
    basic::Args args;
    args["map"] = basic::Element::of<int>(3);
    basic::Args copy = args;
    EXPECT_EQ(copy.at("map").unpack<int>(), 3);
    basic::Element none;
    EXPECT_THROW((void)none.unpack<int>(), basic::AssertError);
}

TEST(Stack, TopPopAndEmptyErrors) {
    basic::Stack<int> s;
    s.push(1);
    s.push(2);
    EXPECT_EQ(s.top(), 2);
    EXPECT_EQ(s.size(), 2u);
    EXPECT_EQ(s.pop(), 2);
    EXPECT_EQ(s.top(), 1);
    s.pop();
    EXPECT_THROW(s.pop(), std::out_of_range);
    EXPECT_THROW(s.top(), std::out_of_range);
}

}  // namespace
