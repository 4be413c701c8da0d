// The level solver and the level rules on the real play scene: a small level solved in slices
// as an editor runs it, the edge of the rabbit's reach as both see it, and every rule broken.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/se.hpp"
#include "basic/element.hpp"
#include "basic/singleton.hpp"
#include "game/level.hpp"
#include "game/levelcheck.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/replayscript.hpp"
#include "game/scenegame.hpp"
#include "game/solver.hpp"
#include "tests/support/room.hpp"
#include "tests/support/testenv.hpp"

namespace {

using testroom::room;

int sounds = 0;
void countSound(const std::string&) {
    ++sounds;
}

class Solver : public testing::Test {
  protected:
    void SetUp() override {
        if (!game::SceneGame_::exists())
            scene_ = std::make_unique<basic::SingletonOwner<game::SceneGame_>>();
        // The sound table stays empty: an effect played for real would throw.
        game::soundTable().clear();
        sounds = 0;
        game::setSoundObserver(countSound);
    }
    void TearDown() override {
        game::setSoundObserver(nullptr);
        game::Rabbit::clearAll();
        game::DeadRabbit::clearAll();
        game::LifeBall::clearAll();
        scene_.reset();
    }
    std::unique_ptr<basic::SingletonOwner<game::SceneGame_>> scene_;
};

TEST_F(Solver, FindsARouteInSlicesUnseenUnheardAndTheGamePlaysItSo) {
    const game::Grid grid = room();
    ASSERT_TRUE(game::checkLevel(grid).empty());
    auto& input = algo::EasyInput_::instance();
    algo::EasyInput_::Counts owner{};
    owner[algo::EasyInput_::Right] = 7;  // what the editor's own keys stand at
    owner[algo::EasyInput_::Button(1)] = 3;
    input.setCounts(owner);

    game::SolverOptions options;
    options.timeLimit = 120;
    game::Solver solver(grid, options);
    int steps = 0;
    game::SolverProgress last;
    while (!solver.step(std::chrono::microseconds(2000))) {
        ++steps;
        const game::SolverProgress p = solver.progress();
        EXPECT_GE(p.passesSimulated, last.passesSimulated);
        EXPECT_GE(p.seconds, last.seconds);
        EXPECT_LE(p.bestStars, 3);
        EXPECT_EQ(p.stars, 3);
        EXPECT_FALSE(p.done);
        ASSERT_EQ(input.counts(), owner) << "step " << steps << " left the counters changed";
        last = p;
    }
    EXPECT_GT(steps, 2) << "the search did not run in slices";
    EXPECT_EQ(sounds, 0);
    EXPECT_EQ(input.counts(), owner);
    EXPECT_TRUE(solver.done());
    EXPECT_TRUE(solver.progress().done);
    EXPECT_EQ(solver.progress().bestStars, 3);

    const game::SolverResult& r = solver.result();
    ASSERT_TRUE(r.found) << r.failure;
    EXPECT_TRUE(r.missed.empty());
    EXPECT_EQ(r.switchPass, r.lastStarPass + 61);  // 60 passes of curtain, then the switch
    ASSERT_EQ(static_cast<std::int32_t>(r.trail.size()), r.switchPass);
    ASSERT_GE(r.keys.size(), 60u);
    EXPECT_TRUE(std::all_of(r.keys.begin(), r.keys.begin() + 60, [](auto k) { return k == 0; }));
    // The script says the same keys.
    int passes = 0;
    for (const auto& step : game::parseScript(r.script(), "route")) passes += step.passes;
    EXPECT_EQ(passes, r.switchPass);

    // Played through the keyboard, the event pump and the scene's own update, as the replay
    // runner plays it: the same rabbit on every pass, every star, no death.
    auto keys = algo::keyboard::scriptedKeys();
    auto& scene = game::SceneGame_::instance();
    game::setSoundsQuiet(true);  // the table is empty here
    scene.initGrid(
        grid, {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}}, true);
    const auto reach = game::reachableCells(grid);
    for (std::int32_t pass = 0; pass < r.switchPass - 1; ++pass) {
        const std::uint8_t k = pass < static_cast<std::int32_t>(r.keys.size()) ? r.keys[pass] : 0;
        std::ranges::fill(keys, 0);
        keys[SDLK_RIGHT] = (k & game::kKeyRight) != 0;
        keys[SDLK_LEFT] = (k & game::kKeyLeft) != 0;
        keys[SDLK_x] = (k & game::kKeyJump) != 0;
        ASSERT_TRUE(algo::EventControl_::instance().poll());
        scene.update();
        ASSERT_EQ(algo::ActorTable<game::DeadRabbit>::liveCount(), 0u)
            << "dead on pass " << pass + 1;
        game::SolverPoint at = r.trail[pass];
        for (const auto& rabbit : game::Rabbit::list)
            if (rabbit)
                at = {static_cast<std::int32_t>(rabbit->pos().x),
                      static_cast<std::int32_t>(rabbit->pos().y)};
        ASSERT_EQ(at.x, r.trail[pass].x) << "pass " << pass + 1;
        ASSERT_EQ(at.y, r.trail[pass].y) << "pass " << pass + 1;
        // The rules' reach holds the real rabbit's every step.
        EXPECT_TRUE(reach[(at.x + 7) / 15][(at.y + 7) / 15])
            << "the centre at (" << at.x + 7 << ", " << at.y + 7 << ") on pass " << pass + 1
            << " is outside the reach the rules allow";
        if (pass + 1 == r.lastStarPass) {
            EXPECT_EQ(scene.rest(), 0);
        } else if (pass + 1 < r.lastStarPass) {
            EXPECT_GT(scene.rest(), 0);
        }
    }
    EXPECT_EQ(scene.rest(), -60);  // the next update switches scenes
    game::setSoundsQuiet(false);
    algo::keyboard::setKeySource(nullptr);
}

TEST_F(Solver, OneCellBeyondAJumpIsOutOfReachForTheRulesAndTheSearch) {
    game::Grid grid = room();
    grid[9][26] = game::kEmpty;
    grid[9][25] = game::kStar;  // five cells up: a jump's apex falls short
    const auto problems = game::checkLevel(grid);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rule, game::LevelRule::kUnreachable);
    EXPECT_EQ(problems[0].text(), "column 9, row 25: the star is out of the rabbit's reach");

    game::Solver solver(grid);
    while (!solver.step(std::chrono::milliseconds(50))) {
    }
    const game::SolverResult& r = solver.result();
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.missed, (std::vector<std::pair<int, int>>{{9, 25}})) << r.failure;
    EXPECT_TRUE(r.keys.empty());
    EXPECT_EQ(sounds, 0);

    // Out of time: said so, with the stars not reached yet.
    game::SolverOptions hurry;
    hurry.timeLimit = 1e-4;
    game::Solver hurried(room(), hurry);
    while (!hurried.step(std::chrono::milliseconds(50))) {
    }
    EXPECT_FALSE(hurried.result().found);
    EXPECT_EQ(hurried.result().failure, "no route found in 0.0001 seconds");
    EXPECT_FALSE(hurried.result().missed.empty());
    for (const auto& cell : hurried.result().missed)
        EXPECT_EQ(room()[cell.first][cell.second], game::kStar);

    // Nothing to take.
    grid[9][25] = game::kEmpty;
    grid[6][30] = grid[13][30] = game::kEmpty;
    game::Solver empty(grid);
    EXPECT_TRUE(empty.step(std::chrono::milliseconds(50)));
    EXPECT_EQ(empty.result().failure, "the level has no star to take");
}

TEST(LevelRules, EachRuleOnABrokenGridAndTheBuiltInLevelsPass) {
    using game::LevelRule;
    auto rules = [](const game::Grid& g) {
        std::vector<std::tuple<LevelRule, int, int>> out;
        for (const auto& p : game::checkLevel(g)) out.emplace_back(p.rule, p.column, p.row);
        return out;
    };
    using List = std::vector<std::tuple<LevelRule, int, int>>;

    game::Grid g = room();
    g[2][30] = game::kEmpty;
    EXPECT_EQ(rules(g), (List{{LevelRule::kNoStart, -1, -1}}));  // and no reach to judge

    g = room();
    g[6][30] = g[9][26] = g[13][30] = game::kEmpty;
    EXPECT_EQ(rules(g), (List{{LevelRule::kNoStar, -1, -1}}));

    g = room();
    g[0][25] = game::kEmpty;
    g[31][0] = game::kSolidVanishing;  // gone at the clear: not a border
    g[31][31] = game::kStar;
    EXPECT_EQ(rules(g), (List{{LevelRule::kOpenBorder, 31, 0},
                              {LevelRule::kOpenBorder, 0, 25},
                              {LevelRule::kOpenBorder, 31, 31},
                              {LevelRule::kStarInside, 31, 31}}));

    g = room();
    g[20][10] = game::kStar;  // in the rock
    g[2][30] = game::kEmpty;
    g[25][5] = game::kStartCell;  // so is the start: nothing is within reach
    EXPECT_EQ(rules(g), (List{{LevelRule::kStartInside, 25, 5},
                              {LevelRule::kStarInside, 20, 10},
                              {LevelRule::kUnreachable, 9, 26},
                              {LevelRule::kUnreachable, 6, 30},
                              {LevelRule::kUnreachable, 13, 30}}));
    EXPECT_EQ(game::checkLevel(g)[0].text(), "column 25, row 5: the start is walled in");

    // Two starts: the play scene takes the last in row order, and so do the rules.
    g = room();
    g[25][5] = game::kStartCell;
    EXPECT_TRUE(rules(g).empty());

    // A star between four thorns: taken across their corners in one pass, without standing in
    // any of them; thorns on the corners too shut it in.
    g = room();
    g[8][28] = game::kStar;
    g[8][27] = g[7][28] = g[9][28] = g[8][29] = game::kDeadly;
    EXPECT_TRUE(rules(g).empty());
    g[7][27] = g[9][27] = g[7][29] = g[9][29] = game::kDeadly;
    EXPECT_EQ(rules(g), (List{{LevelRule::kUnreachable, 8, 28}}));

    const std::string data = testenv::binaryDir() + "/data";
    if (!std::filesystem::exists(data + "/map1.bmp")) GTEST_SKIP() << "no built data in " << data;
    for (int n = 1; n <= 8; ++n) {
        game::Grid level{};
        std::int32_t x = 0, y = 0;
        game::loadLevel(data + "/map" + std::to_string(n) + ".bmp", level, x, y);
        for (const auto& p : game::checkLevel(level))
            ADD_FAILURE() << "level " << n << ": " << p.text();
    }
}

}  // namespace
