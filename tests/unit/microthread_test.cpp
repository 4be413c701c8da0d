#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "algo/game/microthread.hpp"
#include "basic/assert.hpp"

namespace {

using algo::MicroThread;

// A body that records every step of the task next to the owner's own records.
struct Script {
    MicroThread* task = nullptr;
    std::vector<std::string>* log = nullptr;
    int yields = 0;
    void run() {
        log->push_back("body begins");
        for (int i = 0; i < yields; ++i) {
            log->push_back("body yields " + std::to_string(i + 1));
            task->yield();
            log->push_back("body continues " + std::to_string(i + 1));
        }
        log->push_back("body ends");
    }
};

TEST(MicroThreadOrder, BodyWithoutYieldRunsWholeInsideStart) {
    MicroThread t;
    std::vector<std::string> log;
    Script s{&t, &log, 0};
    t.start(MicroThread::Body::bind<&Script::run>(s));
    log.push_back("start returned");
    EXPECT_TRUE(t.isFinished());
    EXPECT_FALSE(t.isSuspended());
    t.step();
    t.resume();
    EXPECT_EQ(log, (std::vector<std::string>{"body begins", "body ends", "start returned"}));
    EXPECT_EQ(t.stackSize(), MicroThread::kDefaultStackSize);
}

TEST(MicroThreadOrder, TwoYieldsSpreadOverStartAndTwoSteps) {
    MicroThread t;
    std::vector<std::string> log;
    Script s{&t, &log, 2};
    t.start(MicroThread::Body::bind<&Script::run>(s));
    log.push_back("start returned");
    EXPECT_TRUE(t.isSuspended());
    EXPECT_FALSE(t.isFinished());
    t.step();
    log.push_back("step 1 returned");
    EXPECT_TRUE(t.isSuspended());
    t.step();
    log.push_back("step 2 returned");
    EXPECT_FALSE(t.isSuspended());
    EXPECT_TRUE(t.isFinished());
    t.step();  // finished: nothing
    EXPECT_EQ(log, (std::vector<std::string>{"body begins", "body yields 1", "start returned",
                                             "body continues 1", "body yields 2", "step 1 returned",
                                             "body continues 2", "body ends", "step 2 returned"}));
}

TEST(MicroThreadOrder, WaitThreeNeedsThreeResumes) {
    MicroThread t;
    int stage = 0;
    auto body = [&] {
        stage = 1;
        t.wait(3);
        stage = 2;
    };
    t.start(MicroThread::Body::of(body));
    EXPECT_EQ(stage, 1);
    t.resume();
    t.resume();
    EXPECT_EQ(stage, 1);
    EXPECT_TRUE(t.isSuspended());
    t.resume();
    EXPECT_EQ(stage, 2);
    EXPECT_TRUE(t.isFinished());
}

TEST(MicroThreadOrder, ResumeOnFinishedOrNeverStartedDoesNothing) {
    MicroThread fresh;
    fresh.resume();
    EXPECT_FALSE(fresh.isSuspended());
    EXPECT_FALSE(fresh.isFinished());
    EXPECT_EQ(fresh.stackSize(), 0u);
    EXPECT_EQ(fresh.stackArea(), nullptr);

    MicroThread t;
    int runs = 0;
    auto body = [&] { ++runs; };
    t.start(MicroThread::Body::of(body));
    t.resume();
    t.resume();
    t.step();
    EXPECT_EQ(runs, 1);
}

TEST(MicroThreadOrder, NestedTaskIsDrivenFromInsideAnotherBody) {
    MicroThread outer, inner;
    std::string trace;
    auto innerBody = [&] {
        trace += "i1 ";
        inner.yield();
        trace += "i2 ";
    };
    auto outerBody = [&] {
        trace += "o1 ";
        inner.start(MicroThread::Body::of(innerBody));
        outer.yield();
        trace += "o2 ";
        inner.step();
        trace += "o3 ";
    };
    outer.start(MicroThread::Body::of(outerBody));
    trace += "| ";
    outer.step();
    EXPECT_EQ(trace, "o1 i1 | o2 i2 o3 ");
    EXPECT_TRUE(inner.isFinished());
    EXPECT_TRUE(outer.isFinished());
}

TEST(MicroThreadOrder, StartOfAParkedTaskUnwindsItThenBeginsAfresh) {
    MicroThread t;
    std::string trace;
    struct Note {
        std::string& trace;
        ~Note() { trace += "unwound "; }
    };
    auto body = [&] {
        Note note{trace};
        trace += "begins ";
        t.yield();
        trace += "goes on ";
    };
    t.start(MicroThread::Body::of(body));
    t.start(MicroThread::Body::of(body));  // the first run is unwound where it was parked
    EXPECT_EQ(trace, "begins unwound begins ");
    t.step();
    EXPECT_EQ(trace, "begins unwound begins goes on unwound ");
    EXPECT_TRUE(t.isFinished());

    // A handler that rethrows lets the unwinding through; one that swallows it and parks
    // again leaves nothing to do but abandon the body, loudly.
    int swallowed = 0;
    auto stubborn = [&] {
        for (;;) {
            try {
                t.yield();
            } catch (...) {
                ++swallowed;
            }
        }
    };
    t.start(MicroThread::Body::of(stubborn));
    EXPECT_THROW(t.start(MicroThread::Body::of(body)), basic::AssertError);
    EXPECT_EQ(swallowed, 1);
    EXPECT_TRUE(t.isFinished());
    trace.clear();
    t.start(MicroThread::Body::of(body));  // the object is usable again
    EXPECT_EQ(trace, "begins ");
}

TEST(MicroThreadStack, RestartWithSizeZeroReusesAreaAndSize) {
    MicroThread t;
    int runs = 0;
    auto body = [&] { ++runs; };
    t.start(MicroThread::Body::of(body), 8192);
    const std::byte* area = t.stackArea();
    t.start(MicroThread::Body::of(body));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(t.stackArea(), area);
    EXPECT_EQ(t.stackSize(), 8192u);
    EXPECT_EQ(t.stackCapacity(), 8192u);
}

TEST(MicroThreadStack, LargerSizeReplacesAreaSmallerReusesIt) {
    MicroThread t;
    const std::byte* frame = nullptr;
    std::uint32_t used = 0;
    // Kept small: the body runs on as little as 2048 bytes.
    auto body = [&] {
        frame = static_cast<const std::byte*>(__builtin_frame_address(0));
        used = t.stackUsage();
    };
    // The body must really run inside the first stackSize bytes of the area.
    auto ranInside = [&] {
        return frame >= t.stackArea() && frame < t.stackArea() + t.stackSize();
    };
    t.start(MicroThread::Body::of(body));
    EXPECT_EQ(t.stackCapacity(), 4096u);
    EXPECT_TRUE(ranInside());

    t.start(MicroThread::Body::of(body), 8192);
    EXPECT_EQ(t.stackSize(), 8192u);
    EXPECT_EQ(t.stackCapacity(), 8192u);
    const std::byte* big = t.stackArea();
    EXPECT_TRUE(ranInside());

    t.start(MicroThread::Body::of(body), 2048);
    EXPECT_EQ(t.stackSize(), 2048u);
    EXPECT_EQ(t.stackCapacity(), 8192u);
    EXPECT_EQ(t.stackArea(), big);
    EXPECT_TRUE(ranInside());
    EXPECT_GT(used, 0u);
    EXPECT_LT(used, 2048u);

    t.start(MicroThread::Body::of(body));  // size 0 keeps 2048
    EXPECT_EQ(t.stackSize(), 2048u);
}

TEST(MicroThreadStack, UsageGrowsWithDepth) {
    MicroThread t;
    std::uint32_t shallow = 0, deep = 0;
    struct Rec {
        [[gnu::noinline]] static std::uint32_t at(MicroThread& t, int n) {
            volatile char pad[64] = {};
            std::uint32_t r = n == 0 ? t.stackUsage() : at(t, n - 1);
            return r + pad[n % 64];
        }
    };
    auto body = [&] {
        shallow = t.stackUsage();
        deep = Rec::at(t, 8);
    };
    t.start(MicroThread::Body::of(body), 65536);
    EXPECT_GT(shallow, 0u);
    EXPECT_GE(deep, shallow + 8 * 64);
    EXPECT_LT(deep, 65536u);
}

// Deeper and deeper until something stops it; the bound only keeps the compiler from
// calling the recursion infinite.
[[gnu::noinline]] int recurse(int depth) {
    volatile char frame[256];
    frame[depth % 256] = static_cast<char>(depth);
    return depth < (1 << 30) ? recurse(depth + 1) + frame[0] : 0;
}

const std::byte* gGuard = nullptr;
void exitByFaultAddress(int, siginfo_t* info, void*) {
    const auto* at = static_cast<const std::byte*>(info->si_addr);
    _exit(at >= gGuard && at < gGuard + sysconf(_SC_PAGESIZE) ? 3 : 4);
}

// Runs a body that overflows a stack of `size` bytes in an area first made for `area` bytes.
// The child exits with 3 when the fault is in the page right below the stack, with 4 when
// it is anywhere else (the handler has a stack of its own: the task's is used up).
void overflow(std::uint32_t area, std::uint32_t size) {
    MicroThread t;
    auto nothing = [] {};
    t.start(MicroThread::Body::of(nothing), area);
    gGuard = t.stackArea() - MicroThread::kUnwindReserve - sysconf(_SC_PAGESIZE);
    static char handlerStack[1 << 16];
    stack_t alt{};
    alt.ss_sp = handlerStack;
    alt.ss_size = sizeof handlerStack;
    sigaltstack(&alt, nullptr);
    struct sigaction action {};
    action.sa_sigaction = &exitByFaultAddress;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
    auto body = [] { recurse(0); };
    t.start(MicroThread::Body::of(body), size);
    _exit(0);
}

TEST(MicroThreadStackDeathTest, OverflowFaultsInTheGuardPageBelowTheReserve) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(overflow(16384, 16384), testing::ExitedWithCode(3), "");
    // A reused larger area: the stack still ends right above the guard.
    EXPECT_EXIT(overflow(65536, 5000), testing::ExitedWithCode(3), "");
}

TEST(MicroThreadErrors, BrokenPreconditionsAreAssertions) {
    MicroThread t;
    EXPECT_THROW(t.start(MicroThread::Body()), basic::AssertError);
    EXPECT_THROW(t.step(), basic::AssertError);  // never started: stored body is null
    EXPECT_THROW(t.yield(), basic::AssertError);
    EXPECT_THROW(t.stackUsage(), basic::AssertError);
    auto nothing = [] {};
    EXPECT_THROW(t.start(MicroThread::Body::of(nothing), 16), basic::AssertError);
    EXPECT_EQ(t.stackSize(), 0u);  // a refused size is not kept

    std::string waitError, stepError;
    auto body = [&] {
        try {
            t.wait(0);
        } catch (const basic::AssertError& e) {
            waitError = e.message();
        }
        try {
            t.step();
        } catch (const basic::AssertError& e) {
            stepError = e.message();
        }
        t.yield();
    };
    t.start(MicroThread::Body::of(body));  // the default size: the reserve takes the unwinder
    EXPECT_NE(waitError.find("at least 1"), std::string::npos) << waitError;
    EXPECT_NE(stepError.find("inside"), std::string::npos) << stepError;
    EXPECT_TRUE(t.isSuspended());
    t.step();
    EXPECT_TRUE(t.isFinished());
}

TEST(MicroThreadErrors, ErrorEscapingTheBodyReachesTheOwnerAsAssertion) {
    MicroThread t;
    int after = 0;
    auto body = [&] {
        t.yield();
        throw std::runtime_error("broken body");
    };
    t.start(MicroThread::Body::of(body));  // the default size: the reserve takes the unwinder
    try {
        t.step();
        FAIL() << "no error";
    } catch (const basic::AssertError& e) {
        EXPECT_EQ(e.file(), "algo/game/microthread.cpp");
        EXPECT_NE(e.message().find("[std::runtime_error] broken body"), std::string::npos)
            << e.message();
    }
    EXPECT_TRUE(t.isFinished());
    EXPECT_FALSE(t.isSuspended());
    t.step();  // finished: nothing more happens and nothing is thrown again

    // The object is usable again after a failed run, also when the first slice throws.
    auto failsAtOnce = [] { throw 42; };
    EXPECT_THROW(t.start(MicroThread::Body::of(failsAtOnce)), basic::AssertError);
    auto counts = [&] { ++after; };
    t.start(MicroThread::Body::of(counts));
    EXPECT_EQ(after, 1);
}

TEST(MicroThreadErrors, ErrorsCaughtInsideTheBodyStayThere) {
    MicroThread t;
    std::string seen;
    auto body = [&] {
        for (int i = 0; i < 3; ++i) {
            try {
                t.yield();
                throw std::out_of_range("slot " + std::to_string(i));
            } catch (const std::out_of_range& e) {
                seen += e.what();
                seen += ';';
            }
        }
    };
    t.start(MicroThread::Body::of(body));  // the default size: the reserve takes the unwinder
    while (!t.isFinished()) t.step();
    EXPECT_EQ(seen, "slot 0;slot 1;slot 2;");
}

TEST(MicroThreadErrors, DroppingAParkedTaskIsHarmless) {
    int reached = 0;
    {
        auto t = std::make_unique<MicroThread>();
        MicroThread* raw = t.get();
        auto body = [&] {
            raw->yield();
            ++reached;
        };
        t->start(MicroThread::Body::of(body));
        EXPECT_TRUE(t->isSuspended());
    }
    EXPECT_EQ(reached, 0);
}

}  // namespace
