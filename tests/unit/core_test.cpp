#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "algo/file/logger.hpp"
#include "algo/file/private/freshfile.hpp"
#include "algo/game/scene.hpp"
#include "algo/system/sdlinit.hpp"
#include "algo/timer/fps.hpp"
#include "basic/error.hpp"
#include "tests/support/testenv.hpp"

namespace {

TEST(Logger, LineFormatPadsToSixteenAndNeverTruncates) {
    EXPECT_EQ(algo::formatLogLine(42, "hi"), "              42: hi\n");
    EXPECT_EQ(algo::formatLogLine(-5, "x"), "              -5: x\n");
    EXPECT_EQ(algo::formatLogLine(12345678901234567LL, "x"), "12345678901234567: x\n");
}

TEST(Logger, LogFileStartsWithTheStartLineAndKeepsPercentSigns) {
    algo::log("100% sure %s %d");
    std::string text = testenv::logText();
    EXPECT_EQ(text.rfind("ログ開始\n", 0), 0u);
    EXPECT_NE(text.find("SDLInit ctor ..\n"), std::string::npos);
    EXPECT_NE(text.find(": 100% sure %s %d\n"), std::string::npos);
    // Every line after the first carries the 16-wide stamp column.
    auto second = text.substr(text.find('\n') + 1);
    EXPECT_EQ(second.find(": "), 16u);
}

TEST(Logger, SwitchedOffWritesNothing) {
    std::string before = testenv::logText();
    algo::logger::enabled = false;
    algo::log("hidden");
    algo::logger::enabled = true;
    EXPECT_EQ(testenv::logText(), before);
}

// The log files are emptied at each start; one that holds data is made anew rather than
// truncated, with the same outcome: the same name and mode, links written through.
TEST(Logger, FilesAreEmptiedAsTruncatingWould) {
    auto put = [](const char* path, const char* text) { std::ofstream(path) << text; };
    auto text = [](const char* path) { return testenv::readFile(path); };
    auto inode = [](const char* path) {
        struct stat st {};
        ::lstat(path, &st);
        return st;
    };
    auto rewrite = [](const char* path) {
        std::FILE* f = algo::freshfile::reopen(path, std::fopen("/dev/null", "w"));
        ASSERT_NE(f, nullptr);
        std::fputs("new\n", f);
        std::fclose(f);
    };

    put("old.txt", "the last run's lines\n");
    ::chmod("old.txt", 0640);
    const auto before = inode("old.txt");
    rewrite("old.txt");
    EXPECT_EQ(text("old.txt"), "new\n");
    EXPECT_NE(inode("old.txt").st_ino, before.st_ino);  // made anew, not truncated
    EXPECT_EQ(inode("old.txt").st_mode & 07777, 0640u);

    put("target.txt", "old\n");
    std::filesystem::create_symlink("target.txt", "link.txt");
    rewrite("link.txt");
    EXPECT_TRUE(std::filesystem::is_symlink("link.txt"));
    EXPECT_EQ(text("target.txt"), "new\n");

    put("a.txt", "old\n");
    std::filesystem::create_hard_link("a.txt", "b.txt");
    rewrite("a.txt");
    EXPECT_EQ(text("b.txt"), "new\n");

    rewrite("none.txt");
    EXPECT_EQ(text("none.txt"), "new\n");
    algo::freshfile::release();
}

TEST(SDLError, ToStringAppendsSdlReason) {
    SDL_SetError("no such thing");
    algo::SDLError e("error SDL_Init");
    EXPECT_EQ(e.toString(), "error SDL_Init / sdl:no such thing");
    EXPECT_EQ(basic::describe(e), "[algo::SDLError] error SDL_Init / sdl:no such thing");
    EXPECT_EQ(basic::describe(std::out_of_range("idx")), "[std::out_of_range] idx");
}

// Records the hook calls of scenes, in order.
struct Recorder : algo::Scene {
    std::string name;
    std::vector<std::string>* calls;
    Recorder(std::string n, std::vector<std::string>* c) : name(std::move(n)), calls(c) {}
    void init(const basic::Args& a) override {
        calls->push_back(name + ".init" +
                         (a.count("v") ? std::to_string(a.at("v").unpack<int>()) : ""));
    }
    void exit() override { calls->push_back(name + ".exit"); }
    void update() override { calls->push_back(name + ".update"); }
    void draw() override { calls->push_back(name + ".draw"); }
};

TEST(SceneControl, HookOrderOfChangePushPopReplace) {
    auto& sc = algo::SceneControl_::instance();
    // Scenes outlive the test: the stack keeps pointing at the last one.
    static std::vector<std::string> calls;
    static Recorder a("a", &calls), b("b", &calls), c("c", &calls);
    calls.clear();
    sc.change(a, {});
    EXPECT_EQ(sc.depth(), 1u);
    sc.push(b, {});
    sc.update();
    sc.pop({{"v", basic::Element::of<int>(5)}});
    sc.push(b, {});
    sc.replace(c, {});
    EXPECT_EQ(sc.depth(), 2u);
    sc.draw();
    sc.change(a, {});
    EXPECT_EQ(sc.depth(), 1u);
    EXPECT_EQ(calls, (std::vector<std::string>{"a.init", "a.exit", "b.init", "b.update", "b.exit",
                                               "a.init5", "a.exit", "b.init", "b.exit", "c.init",
                                               "c.draw", "c.exit", "a.init"}));
}

TEST(SceneControl, EmptyStackOperationsAreIndexErrors) {
    auto& sc = algo::SceneControl_::instance();
    static std::vector<std::string> calls;
    static Recorder a("a", &calls);
    sc.change(a, {});
    calls.clear();
    sc.change(a, {});
    EXPECT_THROW(sc.pop({}), std::out_of_range);  // pops a, then nothing is left to init
    EXPECT_THROW(sc.update(), std::out_of_range);
    EXPECT_THROW(sc.push(a, {}), std::out_of_range);
    EXPECT_EQ(calls, (std::vector<std::string>{"a.exit", "a.init", "a.exit"}));
}

// A clock the test drives: ticks advance only when told or when slept on.
std::uint32_t now = 1000;
std::vector<std::uint32_t> sleeps;
std::uint32_t work = 0;  // added to the clock between the two reads after sleeping
int reads = 0;
std::uint32_t fakeTicks() {
    ++reads;
    if (reads == 3) now += work;  // third read of waitFrame: the slow draw decision
    return now;
}
void fakeDelay(std::uint32_t ms) {
    sleeps.push_back(ms);
    now += ms;
}

TEST(Fps, IntervalsAndWaitFrameDecisions) {
    algo::fps::setClock({&fakeTicks, &fakeDelay});
    algo::setFPS(60);
    EXPECT_EQ(algo::fps::interval(), 16);
    algo::setFPS(20);
    EXPECT_EQ(algo::fps::interval(), 50);
    algo::setFPS(60);

    // Fast pass: sleeps the rest of the interval and draws.
    now += 6;
    reads = 0;
    work = 0;
    sleeps.clear();
    EXPECT_TRUE(algo::waitFrame());
    EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{10}));

    // Slow pass: no sleep (never a zero or negative one), lost time is not made up.
    now += 40;
    reads = 0;
    sleeps.clear();
    EXPECT_TRUE(algo::waitFrame());
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(algo::fps::last(), now);

    // Exactly due: no sleep either.
    now += 16;
    reads = 0;
    EXPECT_TRUE(algo::waitFrame());
    EXPECT_TRUE(sleeps.empty());

    // More than one interval between the last two reads: the frame is skipped.
    reads = 0;
    work = 17;
    EXPECT_FALSE(algo::waitFrame());
    reads = 0;
    work = 16;
    now += 16;
    EXPECT_TRUE(algo::waitFrame());

    // Due at once: the first frame does not wait an interval after setFPS.
    algo::setFPS(60);
    now += 3;
    algo::fps::dueNow();
    reads = 0;
    work = 0;
    sleeps.clear();
    EXPECT_TRUE(algo::waitFrame());
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(algo::fps::last(), now);
    algo::fps::setClock(algo::fps::realClock());
}

}  // namespace
