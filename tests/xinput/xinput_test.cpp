// Real X input: xdotool presses keys and mouse buttons on a real window under Xvfb, and the
// state must arrive through SDL's queue at KeyBoard_, EasyInput_ and Mouse_.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/input/mouse.hpp"
#include "algo/surface/display.hpp"

namespace {

using algo::EasyInput_;
using algo::EventControl_;

const char kCaption[] = "starhop input check";

// Runs xdotool with these arguments; its output, or the failure as text.
std::string xdo(const std::string& args) {
    const char* tool = std::getenv("XDOTOOL");
    std::string cmd = std::string("timeout 20 ") + (tool ? tool : "xdotool") + " " + args;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "<popen failed>";
    std::string out;
    std::array<char, 256> buf;
    while (std::fgets(buf.data(), buf.size(), p)) out += buf.data();
    int status = pclose(p);
    if (status != 0) ADD_FAILURE() << cmd << " failed with status " << status << ": " << out;
    return out;
}

// Polls pass after pass until `done` holds; false if it never does or the pump quits.
bool pollUntil(const std::function<bool()>& done, int passes = 1000) {
    for (int i = 0; i < passes; ++i) {
        if (!EventControl_::instance().poll()) return false;
        if (done()) return true;
        SDL_Delay(5);
    }
    return false;
}

class XInput : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!SDL_WasInit(SDL_INIT_VIDEO)) {
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        }
        if (!SDL_GetVideoSurface()) {
            algo::Display_::instance().setVideoMode(512, 512, 16, false);
        }
        SDL_WM_SetCaption(kCaption, nullptr);
        pollUntil([] { return false; }, 10);
        window = xdo(std::string("search --sync --name '^") + kCaption + "$'");
        window = window.substr(0, window.find('\n'));
        ASSERT_FALSE(window.empty());
        xdo("windowfocus --sync " + window);
    }
    static std::string window;
};
std::string XInput::window;

TEST_F(XInput, AKeyPressReachesEasyInput) {
    auto& ei = EasyInput_::instance();
    auto& kb = algo::KeyBoard_::instance();
    const auto z = EasyInput_::Button(0);
    xdo("keydown z");
    ASSERT_TRUE(pollUntil([&] { return ei.count(z) > 0; }));
    EXPECT_EQ(ei.count(z), 1);  // counted in the very pass the keyboard saw it
    EXPECT_TRUE(kb.isPush(SDLK_z));
    ASSERT_TRUE(EventControl_::instance().poll());
    EXPECT_EQ(ei.count(z), 2);
    EXPECT_FALSE(kb.isPush(SDLK_z));
    xdo("keyup z");
    EXPECT_TRUE(pollUntil([&] { return ei.count(z) == 0; }));
    EXPECT_FALSE(kb.isPress(SDLK_z));

    xdo("keydown Right");
    EXPECT_TRUE(pollUntil([&] { return ei.count(EasyInput_::Right) == 1; }));
    xdo("keyup Right");
    EXPECT_TRUE(pollUntil([&] { return ei.count(EasyInput_::Right) == 0; }));
}

TEST_F(XInput, EscapeEndsThePump) {
    xdo("keydown Escape");
    EXPECT_FALSE(pollUntil([] { return false; }));  // ends with poll answering false
    xdo("keyup Escape");
    // Quits pushed while Escape was still down come out first; then the pump carries on.
    bool settled = false;
    for (int i = 0; i < 500 && !settled; ++i) {
        settled =
            EventControl_::instance().poll() && !algo::KeyBoard_::instance().isPress(SDLK_ESCAPE);
        SDL_Delay(5);
    }
    EXPECT_TRUE(settled);
}

TEST_F(XInput, MouseMotionAndButtons) {
    auto& m = algo::Mouse_::instance();
    xdo("mousemove --window " + window + " 100 50");
    ASSERT_TRUE(pollUntil([&] { return m.x() == 100 && m.y() == 50; }));
    // Moved in one step or several, the deltas add up to the way travelled.
    int sumX = 0, sumY = 0;
    xdo("mousemove --window " + window + " 130 40");
    ASSERT_TRUE(pollUntil([&] {
        sumX += m.dx();
        sumY += m.dy();
        return m.x() == 130 && m.y() == 40;
    }));
    EXPECT_EQ(sumX, 30);
    EXPECT_EQ(sumY, -10);
    xdo("mousedown 1");
    ASSERT_TRUE(pollUntil([&] { return m.isPressLeft(); }));
    EXPECT_TRUE(m.isPushLeft());
    ASSERT_TRUE(EventControl_::instance().poll());
    EXPECT_TRUE(m.isPressLeft());
    EXPECT_FALSE(m.isPushLeft());
    xdo("mouseup 1");
    ASSERT_TRUE(pollUntil([&] { return !m.isPressLeft(); }));
    EXPECT_FALSE(m.isPushLeft());
    EXPECT_FALSE(m.isPressRight());
}

}  // namespace
