// The game's own pieces on the real engine: level grids, actors and their physics, scenes'
// arithmetic, the replay script format, the command line.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/se.hpp"
#include "basic/singleton.hpp"
#include "game/level.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/options.hpp"
#include "game/rabbit.hpp"
#include "game/replayscript.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegame.hpp"
#include "game/scenegameover.hpp"
#include "game/scenestart.hpp"

namespace {

// ---------------------------------------------------------------- level grid

TEST(Level, TileAtTruncatesTowardZeroAndReadsSolidOutside) {
    game::Grid grid{};
    grid[0][0] = 3;
    grid[31][31] = 2;
    grid[1][2] = 6;
    auto map = game::MapView::of(grid);
    EXPECT_EQ(map.tileAt(0, 0), 3);
    EXPECT_EQ(map.tileAt(-14, -14), 3);  // -14 / 15 is 0: still the first cell
    EXPECT_EQ(map.tileAt(14, 14), 3);
    EXPECT_EQ(map.tileAt(15, 30), 6);
    EXPECT_EQ(map.tileAt(479, 479), 2);
    // Outside: solid, never an index error.
    EXPECT_EQ(map.tileAt(-15, 0), game::kSolid);
    EXPECT_EQ(map.tileAt(0, -15), game::kSolid);
    EXPECT_EQ(map.tileAt(480, 0), game::kSolid);
    EXPECT_EQ(map.tileAt(0, 480), game::kSolid);
    EXPECT_EQ(map.tileAt(INT32_MIN, INT32_MAX), game::kSolid);
    // A narrower grid ends at its own length.
    game::MapView narrow{grid.data(), 2};
    EXPECT_EQ(narrow.tileAt(29, 0), 0);
    EXPECT_EQ(narrow.tileAt(30, 0), game::kSolid);
    EXPECT_THROW(map.cellAt(480, 0), std::out_of_range);
}

TEST(Level, ShapeCheckNamesTheFileAndTheProblem) {
    EXPECT_NO_THROW(game::checkLevelShape("data/map1.bmp", {8, true, 32, 32, 32}));
    auto message = [](const game::LevelShape& s) {
        try {
            game::checkLevelShape("data/map7.bmp", s);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message({24, false, 32, 32, 96}).rfind("data/map7.bmp: ", 0), 0u);
    EXPECT_NE(message({24, false, 32, 32, 96}).find("24 bits per pixel"), std::string::npos);
    EXPECT_NE(message({8, false, 32, 32, 32}).find("no palette"), std::string::npos);
    EXPECT_NE(message({8, true, 33, 32, 36}).find("33 x 32"), std::string::npos);
    EXPECT_NE(message({8, true, 32, 16, 32}).find("32 x 16"), std::string::npos);
    EXPECT_NE(message({8, true, 32, 32, 64}).find("64 bytes"), std::string::npos);
}

TEST(Level, ReadCountsStarsAndTakesTheLastStartInRowOrder) {
    std::uint8_t pixels[32 * 32] = {};
    game::Grid grid{};
    std::int32_t x = -1, y = -1;
    EXPECT_EQ(game::readLevel(pixels, grid, x, y), 0);
    EXPECT_EQ(x, 0);  // no start cell: (0, 0)
    EXPECT_EQ(y, 0);
    pixels[2 * 32 + 5] = 3;  // row 2, column 5
    pixels[2 * 32 + 6] = 3;
    pixels[10 * 32 + 30] = 15;
    pixels[20 * 32 + 1] = 15;  // lower row wins
    pixels[20 * 32 + 4] = 15;  // and within it the one further right
    pixels[9 * 32 + 31] = 15;
    EXPECT_EQ(game::readLevel(pixels, grid, x, y), 2);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 300);
    EXPECT_EQ(grid[5][2], 3);  // [column][row]
    EXPECT_EQ(grid[2][5], 0);
    EXPECT_EQ(grid[4][20], 15);
    EXPECT_EQ(game::levelPath(12), "data/map12.bmp");
}

// ---------------------------------------------------------------- replay scripts

TEST(ReplayScript, ParsesStepsKeysAndComments) {
    auto steps = game::parseScript(
        "# warm up\n3 -\n\n  2 up,z   # go\n1 escape\n10 left,right,x,c,v,down\n", "s.txt");
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].passes, 3);
    EXPECT_TRUE(steps[0].keys.empty());
    EXPECT_EQ(steps[1].line, 4);
    EXPECT_EQ(steps[1].keys, (std::vector<std::uint32_t>{273, 122}));
    EXPECT_EQ(steps[2].keys, (std::vector<std::uint32_t>{27}));
    EXPECT_EQ(steps[3].keys, (std::vector<std::uint32_t>{276, 275, 120, 99, 118, 274}));

    game::ScriptCursor cursor(steps);
    int passes = 0, withUp = 0;
    while (const auto* s = cursor.next()) {
        ++passes;
        withUp += !s->keys.empty() && s->keys[0] == 273;
    }
    EXPECT_EQ(passes, 16);
    EXPECT_EQ(withUp, 2);
    EXPECT_EQ(cursor.next(), nullptr);
}

TEST(ReplayScript, RefusesMalformedLinesWithTheirNumber) {
    const char* bad[] = {"x -",   "3",   "3 up z",        "3 up,,z", "3 jump", "0 -",
                         "-1 up", "3up", "99999999999 -", "3 UP",    "3 up,"};
    for (const char* line : bad) {
        std::string text = std::string("1 -\n") + line + "\n";
        try {
            game::parseScript(text, "s.txt");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const game::ScriptError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("s.txt:2: ", 0), 0u) << e.what();
        }
    }
    EXPECT_THROW(game::loadScript("no/such/script.txt"), game::ScriptError);
    EXPECT_TRUE(game::parseScript("", "s").empty());
}

// ---------------------------------------------------------------- clear scene grades

TEST(ClearScene, GradeBoundariesAreStrict) {
    EXPECT_EQ(game::gradeFor(400.0001L), 0);
    EXPECT_EQ(game::gradeFor(400.0L), 1);
    EXPECT_EQ(game::gradeFor(300.0L), 2);
    EXPECT_EQ(game::gradeFor(200.0L), 3);
    EXPECT_EQ(game::gradeFor(150.0001L), 3);
    EXPECT_EQ(game::gradeFor(150.0L), 4);
    EXPECT_EQ(game::gradeFor(0.0L), 4);
    // 24000 passes at the double 1/60 in extended precision lie just under 400.
    const long double s = 24000.0L * static_cast<long double>(1.0 / 60);
    EXPECT_EQ(game::gradeFor(s), 1);
}

// ---------------------------------------------------------------- command line

// --help is made from the option table: this is the text the README and the man page show.
TEST(CommandLine, HelpTextIsTheDocumentedOne) {
    EXPECT_EQ(game::helpText(),
              "usage: starhop [--window | --fullscreen] [--scale N] [--levels PATH] [--help]\n"
              "\n"
              "  --window       start in a window without asking\n"
              "  --fullscreen   start full screen without asking\n"
              "  --scale N      show the window N times as large, N from 1 to 4 (default: the\n"
              "                 largest that fits in 90 % of the desktop)\n"
              "  --levels PATH  play the levels of the pack PATH, a folder or a .zip archive\n"
              "                 holding map1.bmp, map2.bmp, ... (and its own jump.ogg and\n"
              "                 jump2.ogg, if any), instead of the game's own\n"
              "  --help         print this and quit\n"
              "\n"
              "Without --window or --fullscreen the game asks on the terminal.\n"
              "Keys: Left/Right walk, X jumps, Up/Down and Z choose, P pauses, M mutes, "
              "Escape quits.\n"
              "Game pads: the left stick walks, A confirms, B jumps, Start pauses.\n");
}

TEST(CommandLine, ValuesJoinedOrApartAndEveryComplaintInOneLine) {
    struct Case {
        std::vector<std::string> args;
        game::Screen screen;
        int scale;
        bool help;
        std::string error;
    };
    const std::string wants = "--scale takes a whole number from 1 to 4";
    const Case cases[] = {
        {{}, game::Screen::Ask, 0, false, ""},
        {{"--fullscreen", "--window", "--scale", "3"}, game::Screen::Window, 3, false, ""},
        {{"--scale=4", "--fullscreen"}, game::Screen::FullScreen, 4, false, ""},
        {{"-h", "--bogus"}, game::Screen::Ask, 0, true, ""},
        {{"--scale"}, game::Screen::Ask, 0, false, wants},
        {{"--scale", "0"}, game::Screen::Ask, 0, false, wants + ", not '0'"},
        {{"--scale=12"}, game::Screen::Ask, 0, false, wants + ", not '12'"},
        {{"--scale="}, game::Screen::Ask, 0, false, wants + ", not ''"},
        {{"--window=1"}, game::Screen::Ask, 0, false, "unknown option: --window=1 (see --help)"},
        {{"--window", "extra"},
         game::Screen::Window,
         0,
         false,
         "unknown option: extra (see --help)"},
    };
    for (const Case& c : cases) {
        std::string error;
        const game::Options o = game::parseOptions(c.args, error);
        const std::string what = testing::PrintToString(c.args);
        EXPECT_EQ(error, c.error) << what;
        if (!c.error.empty()) continue;
        EXPECT_EQ(o.screen, c.screen) << what;
        EXPECT_EQ(o.scale, c.scale) << what;
        EXPECT_EQ(o.help, c.help) << what;
    }
    std::string error;
    EXPECT_EQ(game::parseOptions({"--levels", "my pack.zip"}, error).levels, "my pack.zip");
    EXPECT_EQ(game::parseOptions({"--levels=packs/a"}, error).levels, "packs/a");
    EXPECT_EQ(error, "");
    game::parseOptions({"--levels="}, error);
    EXPECT_EQ(error, "--levels takes a folder or a .zip archive of levels, not ''");
}

// ---------------------------------------------------------------- actors on a real engine

class Actors : public testing::Test {
  protected:
    void SetUp() override {
        keys_ = algo::keyboard::scriptedKeys();  // as the replay runner feeds them
        pass();                                  // settle the counters
        game::Rabbit::clearAll();
        game::DeadRabbit::clearAll();
        game::LifeBall::clearAll();
        if (!game::SceneGame_::exists())
            scene_ = std::make_unique<basic::SingletonOwner<game::SceneGame_>>();
        // The device stays closed in the tests: effects are registered but silent.
        for (const char* k : {"dos", "getstar", "hukkatsu", "select", "sibo", "jump"})
            game::soundTable()[k] =
                std::make_unique<algo::Sound>(std::string("data/") + k + ".wav", false);
        grid_ = game::Grid{};
    }
    void TearDown() override {
        game::Rabbit::clearAll();
        game::DeadRabbit::clearAll();
        game::LifeBall::clearAll();
        game::soundTable().clear();
        scene_.reset();
        algo::keyboard::setKeySource(nullptr);
    }
    // One pass of input: the event pump runs the keyboard and EasyInput updaters.
    void pass(std::initializer_list<std::uint32_t> held = {}) {
        std::ranges::fill(keys_, 0);
        for (auto k : held) keys_[k] = 1;
        ASSERT_TRUE(algo::EventControl_::instance().poll());
    }
    basic::Args args(int color, int x, int y, int sx = 0, int sy = 0, bool left = false) {
        return {{"color", basic::Element::of<int>(color)},
                {"left", basic::Element::of<bool>(left)},
                {"map", basic::Element::of<game::MapView>(game::MapView::of(grid_))},
                {"x", basic::Element::of<int>(x)},
                {"y", basic::Element::of<int>(y)},
                {"sx", basic::Element::of<int>(sx)},
                {"sy", basic::Element::of<int>(sy)}};
    }
    void floorAt(int row) {
        for (auto& column : grid_)
            for (int r = row; r < 32; ++r) column[r] = game::kSolid;
    }
    game::Rabbit& only() {
        EXPECT_EQ(game::Rabbit::liveCount(), 1u);
        for (auto& slot : game::Rabbit::list)
            if (slot) return *slot;
        throw std::logic_error("no rabbit");
    }

    std::unique_ptr<basic::SingletonOwner<game::SceneGame_>> scene_;
    game::Grid grid_{};
    std::span<std::uint8_t> keys_;
};

constexpr std::uint32_t kRight = 275, kLeft = 276, kJump = 120;

TEST_F(Actors, WalkingAcceleratesToTheLimitAndFrictionSlowsOnRelease) {
    floorAt(10);
    auto& r = game::Rabbit::create(args(0, 45, 135));
    pass();
    game::Rabbit::updateAll();
    ASSERT_TRUE(r.onGround());
    for (int k = 1; k <= 25; ++k) {
        pass({kRight});
        game::Rabbit::updateAll();
        EXPECT_LE(r.vel().x, 2.0L);
        if (k <= 20) {
            EXPECT_NEAR(static_cast<double>(r.vel().x), 0.1 * k, 1e-12);
        }
    }
    EXPECT_EQ(r.vel().x, 2.0L);
    EXPECT_FALSE(r.left());
    pass();
    game::Rabbit::updateAll();
    EXPECT_EQ(r.vel().x, 2.0L / 1.2L);
    // Both directions: no acceleration, facing left, friction.
    pass({kRight, kLeft});
    game::Rabbit::updateAll();
    EXPECT_TRUE(r.left());
    EXPECT_EQ(r.vel().x, 2.0L / 1.2L / 1.2L);
}

TEST_F(Actors, JumpOnlyFromTheGroundAndShortWhenReleased) {
    floorAt(10);
    auto& r = game::Rabbit::create(args(0, 45, 135));
    pass();
    game::Rabbit::updateAll();
    pass({kJump});
    game::Rabbit::updateAll();
    EXPECT_NEAR(static_cast<double>(r.vel().y), -4.8, 1e-12);
    EXPECT_FALSE(r.onGround());
    pass();  // released while rising: gravity twice
    game::Rabbit::updateAll();
    EXPECT_NEAR(static_cast<double>(r.vel().y), -4.4, 1e-12);
    pass({kJump});  // a press in the air does nothing
    game::Rabbit::updateAll();
    EXPECT_NEAR(static_cast<double>(r.vel().y), -4.2, 1e-12);
}

TEST_F(Actors, SlopesLiftTheFootAndWallsStopTheBody) {
    // A rising slope cell at column 5, row 9, on a floor from row 10.
    floorAt(10);
    grid_[5][9] = game::kSlopeUp;
    grid_[8][9] = game::kSolid;  // a wall further right
    auto& r = game::Rabbit::create(args(0, 75, 120));
    for (int i = 0; i < 10; ++i) {
        pass();
        game::Rabbit::updateAll();
    }
    // px = 75: r = (75 - 8) rem 15 = 7; the foot settles r + 1 above the cell's bottom row.
    EXPECT_EQ(static_cast<int>(r.pos().y) + 14, 149 - 8);
    EXPECT_TRUE(r.onGround());
    for (int i = 0; i < 60; ++i) {
        pass({kRight});
        game::Rabbit::updateAll();
    }
    // The right probe (px + 12) stays out of column 8.
    EXPECT_LT(static_cast<int>(r.pos().x) + 12, 120);
    EXPECT_GE(static_cast<int>(r.pos().x) + 12, 119 - 2);
    EXPECT_LT(r.vel().x, 0.5L);
}

TEST_F(Actors, StarTakenByCentreAndDeathLeavesCorpseAndBall) {
    floorAt(10);
    grid_[4][9] = game::kStar;
    grid_[6][9] = game::kDeadly;
    auto& scene = game::SceneGame_::instance();
    const int restBefore = scene.rest();
    game::Rabbit::create(args(0, 40, 135));  // centre at 47: column 3
    pass();
    game::Rabbit::updateAll();
    EXPECT_EQ(grid_[4][9], game::kStar);
    int passes = 0;
    while (game::Rabbit::liveCount() == 1 && passes++ < 200) {
        if (grid_[4][9] == game::kStar) {
            EXPECT_LT(static_cast<int>(only().pos().x) + 7, 60);
        }
        pass({kRight});
        game::Rabbit::updateAll();
    }
    EXPECT_EQ(grid_[4][9], game::kEmpty);
    EXPECT_EQ(scene.rest(), restBefore - 1);
    ASSERT_EQ(game::Rabbit::liveCount(), 0u);
    ASSERT_EQ(algo::ActorTable<game::DeadRabbit>::liveCount(), 1u);
    ASSERT_EQ(game::LifeBall::liveCount(), 1u);
    const game::DeadRabbit* corpse = nullptr;
    for (auto& slot : algo::ActorTable<game::DeadRabbit>::list)
        if (slot) corpse = slot.get();
    EXPECT_EQ(corpse->color(), 0);
    EXPECT_EQ(corpse->vel().x, 2.0L);  // the rabbit's whole speed
    EXPECT_EQ(corpse->pos().x, std::trunc(corpse->pos().x));
    const game::LifeBall* ball = nullptr;
    for (auto& slot : game::LifeBall::list)
        if (slot) ball = slot.get();
    EXPECT_EQ(ball->life(), 60);
    EXPECT_EQ(ball->pos().x, 40 + 24);  // the start of the life that ended
    EXPECT_EQ(ball->pos().y, 135 + 24);
}

TEST_F(Actors, CorpseTruncatesItsStartingSpeedAndTakesStarsSilently) {
    floorAt(10);
    grid_[3][8] = game::kStar;
    auto& c = game::DeadRabbit::create(args(1, 40, 100, 1, 0, true));
    EXPECT_EQ(c.vel().x, 1.0L);
    EXPECT_TRUE(c.left());
    const int rest = game::SceneGame_::instance().rest();
    for (int i = 0; i < 30; ++i) game::DeadRabbit::updateAll();
    EXPECT_EQ(grid_[3][8], game::kEmpty);
    EXPECT_EQ(game::SceneGame_::instance().rest(), rest - 1);
    EXPECT_TRUE(c.onGround());
    EXPECT_EQ(game::Rabbit::liveCount(), 0u);  // corpses live in their own table
}

TEST_F(Actors, LifeBallBringsTheRabbitOnItsFiftiethMoveAndEndsOnItsSixtieth) {
    auto& ball = game::LifeBall::create(args(1, 30, 45));
    EXPECT_EQ(ball.pos().x, 54);
    EXPECT_EQ(ball.pos().y, 69);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(static_cast<double>(ball.points()[i].length()), 60.0, 1e-12);
        const double deg =
            std::fmod(static_cast<double>(ball.points()[i].angle()) * 180 / M_PI + 360, 360);
        EXPECT_NEAR(deg, 72.0 * i, 1e-9);
    }
    for (int n = 1; n <= 49; ++n) game::LifeBall::updateAll();
    EXPECT_EQ(game::Rabbit::liveCount(), 0u);
    EXPECT_NEAR(static_cast<double>(ball.points()[0].length()), 11.0, 1e-9);
    game::LifeBall::updateAll();
    ASSERT_EQ(game::Rabbit::liveCount(), 1u);
    EXPECT_EQ(only().color(), 1);
    EXPECT_EQ(only().pos().x, 30);
    EXPECT_EQ(ball.life(), 10);
    for (int n = 51; n <= 59; ++n) game::LifeBall::updateAll();
    EXPECT_EQ(game::LifeBall::liveCount(), 1u);
    game::LifeBall::updateAll();
    EXPECT_EQ(game::LifeBall::liveCount(), 0u);
    EXPECT_EQ(game::Rabbit::liveCount(), 1u);
}

TEST_F(Actors, BuriedBodyInABorderlessLevelDoesNotHang) {
    // Solid from top to bottom: outside cells read solid too, so the push-outs must end.
    for (auto& column : grid_) column.fill(game::kSolid);
    auto& r = game::Rabbit::create(args(0, 100, 100));
    pass();
    game::Rabbit::updateAll();
    EXPECT_EQ(game::Rabbit::liveCount(), 1u);
    EXPECT_LT(std::fabs(static_cast<double>(r.pos().y) - 100), 1000);
}

// A level start on real files: data/clear.bmp and data/map<n>.bmp made here with SDL.
void saveBmp(const std::string& path, int bpp, int w, int h, std::uint8_t code) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, code);
    if (bpp == 8) static_cast<std::uint8_t*>(s->pixels)[3 * s->pitch + 4] = game::kStar;
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
    SDL_FreeSurface(s);
}

TEST_F(Actors, EachLevelStartReleasesThePreviousMusicAndRefusesMisshapenLevels) {
    ::mkdir("data", 0755);
    saveBmp("data/clear.bmp", 8, 8, 8, 0);
    saveBmp("data/map1.bmp", 8, 32, 32, 0);
    saveBmp("data/map2.bmp", 24, 32, 32, 0);
    saveBmp("data/map3.bmp", 8, 40, 32, 0);
    auto& scene = game::SceneGame_::instance();
    const basic::Args level1{{"map", basic::Element::of<int>(1)},
                             {"time", basic::Element::of<int>(7)}};
    scene.init(level1);
    EXPECT_EQ(scene.rest(), 1);
    EXPECT_EQ(scene.time(), 7);
    EXPECT_EQ(game::LifeBall::liveCount(), 1u);
    const auto registered = algo::Audio_::instance().registeredCount();
    for (int i = 0; i < 5; ++i) scene.init(level1);
    EXPECT_EQ(algo::Audio_::instance().registeredCount(), registered);
    EXPECT_EQ(game::LifeBall::liveCount(), 1u);  // the old ball was cleared, not ended

    for (int n : {2, 3}) {
        try {
            scene.init({{"map", basic::Element::of<int>(n)}, {"time", basic::Element::of<int>(1)}});
            ADD_FAILURE() << "level " << n << " accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("data/map" + std::to_string(n) + ".bmp: ", 0), 0u)
                << e.what();
        }
    }
    EXPECT_THROW(scene.init({{"map", basic::Element::of<int>(1)}}), std::out_of_range);
}

}  // namespace
