#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/game/actor.hpp"
#include "algo/game/vector2d.hpp"
#include "basic/assert.hpp"
#include "basic/pool.hpp"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

TEST(Vector2D, DefaultPointsDownAndArithmeticIsExtended) {
    algo::Vector2D v;
    EXPECT_EQ(v.x, 0.0L);
    EXPECT_EQ(v.y, 1.0L);
    EXPECT_EQ(std::numeric_limits<long double>::digits, 64);  // x87 extended reals

    algo::Vector2D a{1.0L, 2.0L};
    a += algo::Vector2D{0.5L, -1.0L};
    a *= 4.0L;
    a -= algo::Vector2D{1.0L, 1.0L};
    a /= 2.0L;
    EXPECT_EQ(a.x, 2.5L);
    EXPECT_EQ(a.y, 1.5L);
    // 1/3 kept to 64 bits, not rounded to a double.
    algo::Vector2D third{1.0L, 0.0L};
    third /= 3.0L;
    EXPECT_NE(static_cast<long double>(static_cast<double>(third.x)), third.x);
}

TEST(Vector2D, AnglesRotationAndLength) {
    algo::Vector2D v{1.0L, 0.0L};
    v.rotate(kPi / 2);
    EXPECT_NEAR(static_cast<double>(v.x), 0.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(v.y), 1.0, 1e-15);

    algo::Vector2D w{0.0L, 2.0L};
    w.setAngle(0.0L);
    EXPECT_NEAR(static_cast<double>(w.x), 2.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(w.y), 0.0, 1e-15);

    EXPECT_EQ(algo::toRadian(180.0L), kPi);
    EXPECT_EQ((algo::Vector2D{-1.0L, 0.0L}).angle(), kPi);
    EXPECT_EQ((algo::Vector2D{0.0L, -1.0L}).angle(), -kPi / 2);

    algo::Vector2D l{3.0L, 4.0L};
    EXPECT_EQ(l.length(), 5.0L);
    l.setLength(10.0L);
    EXPECT_EQ(l.x, 6.0L);
    EXPECT_EQ(l.y, 8.0L);

    // The zero vector has no direction: it stays zero instead of turning into NaN.
    algo::Vector2D down;
    down.setLength(0.0L);
    down.setAngle(algo::toRadian(72.0L));
    down.setLength(5.0L);
    EXPECT_EQ(down.x, 0.0L);
    EXPECT_EQ(down.y, 0.0L);
}

TEST(Vector2D, PixelConversionTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(algo::toPixel16(13.9L), 13);
    EXPECT_EQ(algo::toPixel16(-2.7L), -2);
    EXPECT_EQ(algo::toPixel16(32767.5L), 32767);
    EXPECT_EQ(algo::toPixel16(1e9L), 32767);
    EXPECT_EQ(algo::toPixel16(-1e9L), -32768);
    EXPECT_EQ(algo::toPixel16(std::numeric_limits<long double>::infinity()), 32767);
    EXPECT_EQ(algo::toPixel16(std::numeric_limits<long double>::quiet_NaN()), 0);
}

std::vector<std::string> calls;

struct Probe : algo::ActorTable<Probe> {
    int id = 0;
    int lives = 0;
    bool killInMove = false;
    bool spawnInMove = false;
    bool spawnInEnd = false;
    void start(const basic::Args& args) override {
        ++lives;
        id = args.count("id") ? args.at("id").unpack<int>() : -1;
        killInMove = args.count("killInMove") > 0;
        spawnInMove = args.count("spawnInMove") > 0;
        spawnInEnd = args.count("spawnInEnd") > 0;
    }
    void end() override {
        calls.push_back("end" + std::to_string(id));
        if (spawnInEnd) create({{"id", basic::Element::of<int>(id + 100)}});
    }
    void move() override {
        calls.push_back("move" + std::to_string(id));
        if (spawnInMove) create({{"id", basic::Element::of<int>(id + 50)}});
        if (killInMove) kill();
    }
    void draw() override { calls.push_back("draw" + std::to_string(id)); }
};

basic::Args idArgs(int id) {
    return {{"id", basic::Element::of<int>(id)}};
}

class ActorTableTest : public testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        Probe::clearAll();
        Probe::cursor = 0;
        calls.clear();
    }
};

// Its objects see the engine running when they are made: an actor may load a picture in
// its constructor.
struct Lazy : algo::ActorTable<Lazy> {
    static inline int made = 0;
    static inline int madeWithoutEngine = 0;
    Lazy() {
        ++made;
        if (!algo::logger::running()) ++madeWithoutEngine;
    }
    void start(const basic::Args&) override {}
    void end() override {}
    void move() override {}
    void draw() override {}
};

TEST(ActorPool, ObjectsAreMadeOnFirstUseWhileTheEngineRuns) {
    EXPECT_EQ(Lazy::made, 0);  // nothing at static initialisation
    EXPECT_EQ(Lazy::pool.length(), 0u);
    Lazy& first = Lazy::create({});
    EXPECT_EQ(Lazy::made, 128);
    EXPECT_EQ(Lazy::madeWithoutEngine, 0);
    EXPECT_EQ(Lazy::pool.length(), 127u);
    first.kill();
    Lazy::makePool();  // made already: nothing more
    EXPECT_EQ(Lazy::made, 128);
    EXPECT_EQ(Lazy::pool.length(), 128u);
}

TEST_F(ActorTableTest, PoolIsMadeUpFrontAndCreateFillsSlotsInOrder) {
    Probe::makePool();
    EXPECT_EQ(Probe::pool.length(), 128u);
    EXPECT_FALSE(Probe::pool.doNew());
    for (int i = 0; i < 128; ++i) {
        Probe& p = Probe::create(idArgs(i));
        EXPECT_EQ(p.index, static_cast<std::uint32_t>(i));
        EXPECT_EQ(Probe::list[i].get(), &p);
        EXPECT_EQ(p.id, i);
    }
    EXPECT_EQ(Probe::cursor, 127u);  // stays on the slot just filled
    EXPECT_EQ(Probe::pool.length(), 0u);
    try {
        Probe::create(idArgs(999));
        ADD_FAILURE() << "no PoolExeption";
    } catch (const basic::PoolExeption& e) {
        EXPECT_STREQ(e.what(), "pool is exhausted");
        // The logged line says which pool and how large it is.
        EXPECT_EQ(basic::describe(e),
                  "[basic::PoolExeption] pool is exhausted: all 128 objects of "
                  "(anonymous namespace)::Probe are in use (the pool does not grow)");
    }
    EXPECT_EQ(Probe::liveCount(), 128u);
    EXPECT_EQ(Probe::cursor, 127u);
}

TEST_F(ActorTableTest, SearchWrapsFromTheLastSlotToTheFreedOne) {
    for (int i = 0; i < 128; ++i) Probe::create(idArgs(i));
    Probe* five = Probe::list[5].get();
    const int lives = five->lives;
    five->kill();
    EXPECT_EQ(Probe::list[5], nullptr);
    EXPECT_EQ(calls, std::vector<std::string>{"end5"});
    EXPECT_EQ(Probe::cursor, 127u);

    Probe& again = Probe::create(idArgs(500));
    EXPECT_EQ(again.index, 5u);
    EXPECT_EQ(Probe::cursor, 5u);
    EXPECT_EQ(&again, five);  // the pool hands back the object just released
    EXPECT_EQ(again.lives, lives + 1);
}

TEST_F(ActorTableTest, WalksGoUpwardAndSeeChangesMadeDuringTheWalk) {
    Probe::create(idArgs(0));
    Probe::create({{"id", basic::Element::of<int>(1)}, {"killInMove", {}}});
    Probe::create({{"id", basic::Element::of<int>(2)}, {"spawnInMove", {}}});
    Probe::create(idArgs(3));
    Probe::list[0]->kill();  // frees slot 0, cursor stays at 3
    calls.clear();
    // Slot 1 kills itself; slot 2 spawns 52, which lands in slot 4 (after 2): moved now.
    Probe::updateAll();
    EXPECT_EQ(calls, (std::vector<std::string>{"move1", "end1", "move2", "move3", "move52"}));
    EXPECT_EQ(Probe::list[1], nullptr);
    ASSERT_NE(Probe::list[4], nullptr);
    EXPECT_EQ(Probe::list[4]->id, 52);

    // A spawn landing before the walker is not moved in the same walk.
    Probe::cursor = 0;
    calls.clear();
    Probe::list[2]->spawnInMove = false;
    Probe::list[3]->spawnInMove = true;  // spawns 53 into slot 0
    Probe::updateAll();
    EXPECT_EQ(calls, (std::vector<std::string>{"move2", "move3", "move52"}));
    EXPECT_EQ(Probe::list[0]->id, 53);
    calls.clear();
    Probe::drawAll();
    EXPECT_EQ(calls, (std::vector<std::string>{"draw53", "draw2", "draw3", "draw52"}));
}

TEST_F(ActorTableTest, KillRunsEndFirstAndClearAllRunsNoEnd) {
    Probe::create({{"id", basic::Element::of<int>(7)}, {"spawnInEnd", {}}});
    Probe::list[0]->kill();
    EXPECT_EQ(calls, std::vector<std::string>{"end7"});
    ASSERT_NE(Probe::list[1], nullptr);  // the successor took the next slot
    EXPECT_EQ(Probe::list[1]->id, 107);
    EXPECT_EQ(Probe::list[0], nullptr);

    for (int i = 0; i < 20; ++i)
        Probe::create({{"id", basic::Element::of<int>(i)}, {"spawnInEnd", {}}});
    calls.clear();
    auto cursor = Probe::cursor;
    Probe::clearAll();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Probe::liveCount(), 0u);
    EXPECT_EQ(Probe::pool.length(), 128u);
    EXPECT_EQ(Probe::cursor, cursor);
    for (int i = 0; i < 128; ++i) Probe::create(idArgs(i));
    EXPECT_EQ(Probe::liveCount(), 128u);
}

TEST_F(ActorTableTest, KillingADeadActorIsRefusedAndLeavesTheTableAlone) {
    Probe& a = Probe::create(idArgs(1));
    a.kill();
    calls.clear();
    EXPECT_THROW(a.kill(), basic::AssertError);  // its slot is empty now
    Probe& b = Probe::create(idArgs(2));         // slot 0 again
    Probe::create(idArgs(3));                    // slot 1
    Probe stray;                                 // never live; index 0 names b's slot
    EXPECT_THROW(stray.kill(), basic::AssertError);
    EXPECT_EQ(Probe::list[0].get(), &b);
    EXPECT_EQ(Probe::liveCount(), 2u);
    EXPECT_TRUE(calls.empty());  // no end ran for the refused kills
}

TEST_F(ActorTableTest, FullTableWithObjectsLeftInThePoolAssertsAndKeepsThePoolWhole) {
    for (int i = 0; i < 128; ++i) Probe::create(idArgs(i));
    Probe::pool.resize(1);  // one more object than slots
    try {
        Probe::create(idArgs(128));
        ADD_FAILURE() << "no assertion";
    } catch (const basic::AssertError& e) {
        EXPECT_EQ(e.message(), "プールが尽きました。");
        EXPECT_EQ(e.file(), "algo/game/actor.hpp");
    }
    EXPECT_EQ(Probe::pool.length(), 1u);
    EXPECT_EQ(Probe::cursor, 127u);
    Probe::clearAll();
    Probe::pool.resize(128);
}

TEST_F(ActorTableTest, LiveWalksTheSlotsAndSeesKillsMadeOnTheWay) {
    for (int i = 0; i < 6; ++i) Probe::create(idArgs(i));
    Probe::list[2]->kill();
    std::string seen;
    for (Probe& p : Probe::live()) {
        seen += std::to_string(p.id);
        if (p.id == 3) Probe::list[4]->kill();  // a later slot emptied during the walk
    }
    EXPECT_EQ(seen, "0135");
    int n = 0;
    for (Probe& p : Probe::live()) {
        (void)p;
        ++n;
    }
    EXPECT_EQ(n, 4);
    Probe::clearAll();
    EXPECT_TRUE(Probe::live().begin() == Probe::live().end());
}

TEST(Overlaps, SharedPixelsOnlyAndNoWrapAtTheCoordinateLimits) {
    const SDL_Rect a{10, 10, 20, 20};
    EXPECT_TRUE(algo::overlaps(a, SDL_Rect{29, 29, 5, 5}));   // one pixel shared
    EXPECT_FALSE(algo::overlaps(a, SDL_Rect{30, 10, 5, 5}));  // edge to edge
    EXPECT_FALSE(algo::overlaps(a, SDL_Rect{10, 30, 5, 5}));
    EXPECT_TRUE(algo::overlaps(a, SDL_Rect{0, 0, 100, 100}));  // one inside the other
    EXPECT_TRUE(algo::overlaps(SDL_Rect{15, 15, 1, 1}, a));
    EXPECT_FALSE(algo::overlaps(a, SDL_Rect{15, 15, 0, 5}));  // nothing has no pixels
    EXPECT_TRUE(algo::overlaps(SDL_Rect{-5, -5, 10, 10}, SDL_Rect{0, 0, 1, 1}));
    // 32760 + 100 does not wrap into negative coordinates.
    EXPECT_FALSE(algo::overlaps(SDL_Rect{32760, 0, 100, 10}, SDL_Rect{-32768, 0, 10, 10}));
    EXPECT_TRUE(algo::overlaps(SDL_Rect{32760, 0, 100, 10}, SDL_Rect{32767, 5, 1, 1}));
}

}  // namespace
