#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/joystick.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/input/mouse.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"
#include "tests/support/testenv.hpp"

namespace {

using algo::EasyInput_;
using algo::EventControl_;
using algo::JoyStick;
using algo::KeyBoard_;
using algo::Mouse_;

// Whether the engine itself started video; if not, the tests do (SDL's queue needs it).
bool engineVideo = false;

void ensureVideo() {
    static bool done = false;
    if (done) return;
    done = true;
    engineVideo = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (!engineVideo) {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    // The pointer can only be warped inside a window.
    if (!SDL_GetVideoSurface()) {
        algo::Display_::instance().setVideoMode(512, 512, 16, false);
    }
}

// Key states the keyboard reads instead of SDL's.
std::array<std::uint8_t, algo::kKeyCount> keys{};
int keyCount = algo::kKeyCount;
const std::uint8_t* fakeKeys(int* n) {
    if (n) *n = keyCount;
    return keys.data();
}

void pushEvent(std::uint8_t type) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

bool poll() {
    return EventControl_::instance().poll();
}

// Fresh keyboard and EasyInput, restarted in engine order so the keyboard updates first.
void restartKeyboardAndEasyInput() {
    algo::easyinput::moduleEnd();
    algo::keyboard::moduleEnd();
    algo::keyboard::moduleStart();
    algo::easyinput::moduleStart();
}

class Input : public testing::Test {
  protected:
    void SetUp() override {
        ensureVideo();
        keys.fill(0);
        keyCount = algo::kKeyCount;
        algo::keyboard::setKeySource(&fakeKeys);
        // Leave nothing queued from an earlier test.
        for (int i = 0; i < 8 && !poll(); ++i) {
        }
        restartKeyboardAndEasyInput();
    }
    void TearDown() override { algo::keyboard::setKeySource(nullptr); }
};

// Counts calls; two methods so object-and-method identity can be told apart.
struct Probe {
    int ticks = 0, tocks = 0, events = 0;
    std::vector<std::uint8_t> seen;
    void tick() { ++ticks; }
    void tock() { ++tocks; }
    void onEvent(SDL_Event* e) {
        ++events;
        seen.push_back(e->type);
    }
};

// ---- event pump ----

TEST_F(Input, QuitMidQueueStopsTheDrainAndSkipsUpdaters) {
    static Probe handler;  // handlers stay registered for the rest of the program
    EventControl_::instance().setHandler({SDL_KEYDOWN, SDL_USEREVENT}, {handler, &Probe::onEvent});
    Probe p;
    EventControl_::Updater u{p, &Probe::tick};
    EventControl_::instance().addUpdater(u);

    pushEvent(SDL_KEYDOWN);
    pushEvent(SDL_QUIT);
    pushEvent(SDL_USEREVENT);
    EXPECT_FALSE(poll());
    EXPECT_EQ(handler.seen, std::vector<std::uint8_t>{SDL_KEYDOWN});
    EXPECT_EQ(p.ticks, 0);

    // The event behind the quit is still queued for the next pass.
    EXPECT_TRUE(poll());
    EXPECT_EQ(handler.seen, (std::vector<std::uint8_t>{SDL_KEYDOWN, SDL_USEREVENT}));
    EXPECT_EQ(p.ticks, 1);
    EXPECT_TRUE(poll());
    EXPECT_EQ(p.ticks, 2);
    EventControl_::instance().removeUpdater(u);
}

TEST_F(Input, UpdatersAreKeptOncePerObjectAndMethod) {
    auto& ec = EventControl_::instance();
    const std::size_t base = ec.updaterCount();
    Probe a, b;
    ec.addUpdater({a, &Probe::tick});
    ec.addUpdater({a, &Probe::tick});  // same again: one entry
    ec.addUpdater({a, &Probe::tock});  // same object, other method
    ec.addUpdater({b, &Probe::tick});  // other object, same method
    EXPECT_EQ(ec.updaterCount(), base + 3);
    EXPECT_TRUE(poll());
    EXPECT_EQ(a.ticks, 1);
    EXPECT_EQ(a.tocks, 1);
    EXPECT_EQ(b.ticks, 1);

    ec.removeUpdater({a, &Probe::tick});
    ec.removeUpdater({a, &Probe::tick});  // absent: nothing happens
    EXPECT_TRUE(poll());
    EXPECT_EQ(a.ticks, 1);
    EXPECT_EQ(a.tocks, 2);
    ec.removeUpdater({a, &Probe::tock});
    ec.removeUpdater({b, &Probe::tick});
    EXPECT_EQ(ec.updaterCount(), base);
}

// An updater that registers another one: the newcomer runs from the next pass on.
struct Adder {
    Probe* late;
    void run() { EventControl_::instance().addUpdater({*late, &Probe::tick}); }
};

TEST_F(Input, UpdaterAddedDuringAPassRunsFromTheNextPass) {
    auto& ec = EventControl_::instance();
    Probe late;
    Adder adder{&late};
    ec.addUpdater({adder, &Adder::run});
    EXPECT_TRUE(poll());
    EXPECT_EQ(late.ticks, 0);
    EXPECT_TRUE(poll());
    EXPECT_EQ(late.ticks, 1);
    ec.removeUpdater({adder, &Adder::run});
    ec.removeUpdater({late, &Probe::tick});
}

TEST_F(Input, SetHandlerRefusesHighTypesAndTakenTypesAtomically) {
    static Probe h;
    auto& ec = EventControl_::instance();
    EXPECT_THROW(ec.setHandler({33}, {h, &Probe::onEvent}), basic::AssertError);
    ec.setHandler({32}, {h, &Probe::onEvent});
    // 20 is free but 32 is taken: the whole call is refused, 20 stays free.
    EXPECT_THROW(ec.setHandler({20, 32}, {h, &Probe::onEvent}), basic::AssertError);
    EXPECT_THROW(ec.setHandler({21, 21}, {h, &Probe::onEvent}), basic::AssertError);
    ec.setHandler({20, 21}, {h, &Probe::onEvent});
}

TEST_F(Input, PushQuitEndsTheNextPoll) {
    EventControl_::instance().pushQuit();
    EXPECT_FALSE(poll());
    EXPECT_TRUE(poll());
}

TEST_F(Input, PushQuitWithoutAQueueIsAnSdlError) {
    if (engineVideo) GTEST_SKIP() << "video belongs to the engine here";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    try {
        EventControl_::instance().pushQuit();
        ADD_FAILURE() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "Quitイベント がプッシュできませんでした。");
    }
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    algo::Display_::instance().setVideoMode(512, 512, 16, false);
}

// ---- keyboard ----

TEST_F(Input, NothingIsDownBeforeTheFirstUpdate) {
    keys[SDLK_a] = 1;
    for (std::uint32_t k = 0; k < algo::kKeyCount; ++k) {
        EXPECT_FALSE(KeyBoard_::instance().isPress(k));
        EXPECT_FALSE(KeyBoard_::instance().isPush(k));
    }
}

TEST_F(Input, IsPushOnlyInThePassTheKeyGoesDown) {
    auto& kb = KeyBoard_::instance();
    keys[SDLK_a] = 1;
    std::vector<int> push, press;
    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_TRUE(poll());
        push.push_back(kb.isPush(SDLK_a));
        press.push_back(kb.isPress(SDLK_a));
    }
    keys[SDLK_a] = 0;
    ASSERT_TRUE(poll());
    push.push_back(kb.isPush(SDLK_a));
    press.push_back(kb.isPress(SDLK_a));
    keys[SDLK_a] = 1;
    ASSERT_TRUE(poll());
    push.push_back(kb.isPush(SDLK_a));
    EXPECT_EQ(push, (std::vector<int>{1, 0, 0, 0, 1}));
    EXPECT_EQ(press, (std::vector<int>{1, 1, 1, 0}));
    EXPECT_FALSE(kb.isPress(SDLK_b));
}

TEST_F(Input, EscapeEndsTheLoopOnTheNextPoll) {
    keys[SDLK_ESCAPE] = 1;
    EXPECT_TRUE(poll());   // the keyboard sees Escape and asks to quit
    EXPECT_FALSE(poll());  // ... which this poll finds
    keys[SDLK_ESCAPE] = 0;
    EXPECT_TRUE(poll());
    EXPECT_TRUE(poll());
}

TEST_F(Input, RemovedQuitKeyNoLongerQuitsAndOthersCanBeAdded) {
    auto& kb = KeyBoard_::instance();
    kb.removeQuitKey(SDLK_ESCAPE);
    keys[SDLK_ESCAPE] = 1;
    EXPECT_TRUE(poll());
    EXPECT_TRUE(poll());
    EXPECT_TRUE(kb.isPress(SDLK_ESCAPE));

    kb.addQuitKey(SDLK_q);
    keys[SDLK_q] = 1;
    EXPECT_TRUE(poll());
    EXPECT_FALSE(poll());
    keys.fill(0);
    EXPECT_TRUE(poll());
}

TEST_F(Input, KeyCodesMustBeBelow323) {
    auto& kb = KeyBoard_::instance();
    EXPECT_NO_THROW(kb.isPress(322));
    EXPECT_THROW(kb.isPress(323), basic::AssertError);
    EXPECT_THROW(kb.isPush(1000), basic::AssertError);
    EXPECT_THROW(kb.addQuitKey(323), basic::AssertError);
    EXPECT_THROW(kb.removeQuitKey(323), basic::AssertError);
}

TEST_F(Input, ShortKeyStateLeavesTheRestUp) {
    keys.fill(1);
    keyCount = 100;  // reading past it would be caught by the sanitizer build
    keys[SDLK_ESCAPE] = 0;
    ASSERT_TRUE(poll());
    EXPECT_TRUE(KeyBoard_::instance().isPress(99));
    EXPECT_FALSE(KeyBoard_::instance().isPress(100));
    EXPECT_FALSE(KeyBoard_::instance().isPress(SDLK_UP));
}

TEST_F(Input, WithoutAKeySourceSdlsStateIsRead) {
    algo::keyboard::setKeySource(nullptr);
    keys[SDLK_z] = 1;  // ignored now: nothing is down on the dummy driver
    ASSERT_TRUE(poll());
    EXPECT_FALSE(KeyBoard_::instance().isPress(SDLK_z));
    EXPECT_EQ(EasyInput_::instance().count(EasyInput_::Button(0)), 0);
}

// ---- EasyInput ----

std::vector<int> countsOf(std::uint32_t button, const std::vector<std::vector<int>>& held) {
    std::vector<int> out;
    for (const auto& pass : held) {
        keys.fill(0);
        for (int k : pass) keys[k] = 1;
        EXPECT_TRUE(poll());
        out.push_back(EasyInput_::instance().count(button));
    }
    return out;
}

TEST_F(Input, EasyInputCountsHeldPassesAndResetsOnRelease) {
    // The count reads this pass's key snapshot: the keyboard updates first.
    EXPECT_EQ(countsOf(EasyInput_::Button(0), {{SDLK_z}, {SDLK_z}, {SDLK_z}, {}}),
              (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(countsOf(EasyInput_::Button(0), {{SDLK_z}, {}, {}}), (std::vector<int>{1, 0, 0}));
}

TEST_F(Input, EasyInputDefaultKeys) {
    const int defaults[] = {SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT,
                            SDLK_z,  SDLK_x,     SDLK_c,    SDLK_v};
    for (std::uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(countsOf(i, {{defaults[i]}}), std::vector<int>{1}) << i;
        for (std::uint32_t j = 0; j < EasyInput_::kButtonCount; ++j)
            if (j != i) {
                EXPECT_EQ(EasyInput_::instance().count(j), 0) << i << " " << j;
            }
    }
}

TEST_F(Input, SetKeyRebindsAButton) {
    auto& ei = EasyInput_::instance();
    ei.setKey(EasyInput_::Right, SDLK_f);
    EXPECT_EQ(countsOf(EasyInput_::Right, {{SDLK_f}, {SDLK_f}, {SDLK_RIGHT}, {}}),
              (std::vector<int>{1, 2, 0, 0}));
    ei.setKey(40, SDLK_g);
    EXPECT_EQ(countsOf(40, {{SDLK_g}, {SDLK_g}}), (std::vector<int>{1, 2}));
    ei.setDefaultKeys();
    EXPECT_EQ(countsOf(EasyInput_::Right, {{SDLK_RIGHT}}), std::vector<int>{1});

    EXPECT_THROW(ei.setKey(64, SDLK_a), std::out_of_range);
    EXPECT_THROW(ei.count(64), std::out_of_range);
    EXPECT_THROW(ei.setKey(0, 323), basic::AssertError);
    EXPECT_EQ(countsOf(EasyInput_::Up, {{SDLK_UP}}), std::vector<int>{1});  // binding kept
}

// The log line just before the first "Easyinput ctor ..".
std::string lineBeforeEasyInputCtor(std::size_t from) {
    std::string text = testenv::logText().substr(from);
    std::istringstream in(text);
    std::string line, previous;
    while (std::getline(in, line)) {
        if (line.size() > 18 && line.substr(18) == "Easyinput ctor ..")
            return previous.size() > 18 ? previous.substr(18) : "";
        previous = line;
    }
    return "<no Easyinput ctor line>";
}

TEST_F(Input, WithoutAJoystickTheButtonCountZeroIsLoggedFirst) {
    EXPECT_EQ(lineBeforeEasyInputCtor(0), "0");
    EXPECT_FALSE(EasyInput_::instance().joystick().isOpened());
    EXPECT_EQ(&EasyInput_::instance().keyboard(), &KeyBoard_::instance());
}

// ---- joystick (a stand-in device: no joystick exists here) ----

struct FakePad {
    int devices = 1;
    int buttons = 4;
    int balls = 1;
    std::vector<bool> refuse;  // open fails for these indices
    std::array<bool, 4> open{};
    std::int16_t x = 0, y = 0;
    std::uint8_t hat = 0;
    std::array<std::uint8_t, 8> button{};
    int ballDx = 0, ballDy = 0;
    bool ballFails = false;
    int closes = 0;
} pad;

SDL_Joystick* handleOf(int i) {
    return reinterpret_cast<SDL_Joystick*>(&pad.open[i]);
}
int indexOf(SDL_Joystick* j) {
    return static_cast<int>(reinterpret_cast<bool*>(j) - pad.open.data());
}

const algo::joystick::Device kFakeDevice = {
    [] { return pad.devices; },
    [](int i) -> SDL_Joystick* {
        if (i < static_cast<int>(pad.refuse.size()) && pad.refuse[i]) return nullptr;
        pad.open[i] = true;
        return handleOf(i);
    },
    [](int i) { return i >= 0 && pad.open[i] ? 1 : 0; },
    [](SDL_Joystick* j) {
        pad.open[indexOf(j)] = false;
        ++pad.closes;
    },
    [](int i) { return i == 0 ? "Test Pad" : nullptr; },
    [](SDL_Joystick*) { return 2; },
    [](SDL_Joystick*) { return pad.balls; },
    [](SDL_Joystick*) { return 1; },
    [](SDL_Joystick*) { return pad.buttons; },
    [](SDL_Joystick*, int a) { return a == 0   ? pad.x
                                      : a == 1 ? pad.y
                                               : std::int16_t{0}; },
    [](SDL_Joystick*, int) { return pad.hat; },
    [](SDL_Joystick*, int b) {
        return b >= 0 && b < static_cast<int>(pad.button.size()) ? pad.button[b] : std::uint8_t{0};
    },
    [](SDL_Joystick*, int, int* dx, int* dy) {
        *dx = pad.ballDx;
        *dy = pad.ballDy;
        return pad.ballFails ? -1 : 0;
    },
};

class Joystick : public Input {
  protected:
    void SetUp() override {
        pad = FakePad{};
        algo::joystick::setDevice(&kFakeDevice);
        Input::SetUp();  // EasyInput restarts on the stand-in device
    }
    void TearDown() override {
        algo::joystick::setDevice(nullptr);
        restartKeyboardAndEasyInput();
        Input::TearDown();
    }
};

TEST_F(Joystick, EasyInputClaimsThePadAndLogsItsButtons) {
    const std::size_t before = testenv::logText().size();
    restartKeyboardAndEasyInput();
    EXPECT_EQ(lineBeforeEasyInputCtor(before), "4");
    auto& j = EasyInput_::instance().joystick();
    EXPECT_TRUE(j.isOpened());
    EXPECT_EQ(j.name(), "Test Pad");
    EXPECT_EQ(j.setThreshold(0), EasyInput_::kThreshold);
}

TEST_F(Joystick, AxisThresholdIsStrict) {
    auto& ei = EasyInput_::instance();
    struct Case {
        std::int16_t x, y;
        int up, right, down, left;
    };
    const Case cases[] = {
        {16384, 0, 0, 0, 0, 0},      {16385, 0, 0, 1, 0, 0},  {-16384, 0, 0, 0, 0, 0},
        {-16385, 0, 0, 0, 0, 1},     {0, -16385, 1, 0, 0, 0}, {0, 16385, 0, 0, 1, 0},
        {32767, -32768, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        pad.x = c.x;
        pad.y = c.y;
        ASSERT_TRUE(poll());
        EXPECT_EQ(ei.count(EasyInput_::Up) > 0, c.up) << c.x << "," << c.y;
        EXPECT_EQ(ei.count(EasyInput_::Right) > 0, c.right) << c.x << "," << c.y;
        EXPECT_EQ(ei.count(EasyInput_::Down) > 0, c.down) << c.x << "," << c.y;
        EXPECT_EQ(ei.count(EasyInput_::Left) > 0, c.left) << c.x << "," << c.y;
        pad.x = pad.y = 0;
        ASSERT_TRUE(poll());
    }
}

TEST_F(Joystick, KeyboardAndPadTogetherCountOncePerPass) {
    auto& ei = EasyInput_::instance();
    std::vector<int> right, jump;
    auto pass = [&](bool key, std::int16_t x, bool button1) {
        keys[SDLK_RIGHT] = key;
        keys[SDLK_x] = key;
        pad.x = x;
        pad.button[1] = button1;
        ASSERT_TRUE(poll());
        right.push_back(ei.count(EasyInput_::Right));
        jump.push_back(ei.count(EasyInput_::Button(1)));
    };
    pass(true, 0, false);      // keyboard only
    pass(true, 30000, true);   // both: still one count per pass
    pass(false, 30000, true);  // switching device while holding does not reset
    pass(false, 0, false);     // released everywhere
    pass(false, 20000, true);  // pad only
    EXPECT_EQ(right, (std::vector<int>{1, 2, 3, 0, 1}));
    EXPECT_EQ(jump, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST_F(Joystick, OneDeviceIsClaimedByOneObjectAtATime) {
    // EasyInput holds device 0; a second device is free for one more object only.
    EXPECT_EQ(EasyInput_::instance().joystick().index(), 0);
    auto second = std::make_unique<JoyStick>();
    EXPECT_FALSE(second->isOpened());
    EXPECT_EQ(second->index(), -1);

    pad.devices = 2;
    auto third = std::make_unique<JoyStick>();
    EXPECT_EQ(third->index(), 1);
    EXPECT_EQ(third->name(), "");  // a null name reads as empty
    third.reset();
    EXPECT_EQ(pad.closes, 1);

    // Once the holder is gone, its device can be claimed again.
    algo::easyinput::moduleEnd();
    auto again = std::make_unique<JoyStick>();
    EXPECT_EQ(again->index(), 0);
    again.reset();
    algo::easyinput::moduleStart();
}

TEST_F(Joystick, AFailedOpenMovesOnToTheNextDevice) {
    algo::easyinput::moduleEnd();
    pad.devices = 3;
    pad.refuse = {true, false};
    {
        JoyStick j;
        EXPECT_EQ(j.index(), 1);
        EXPECT_TRUE(j.isOpened());
    }
    pad.refuse = {true, true, true};
    JoyStick none;
    EXPECT_FALSE(none.isOpened());
    algo::easyinput::moduleStart();
}

TEST_F(Joystick, ClosedObjectAnswersNeutrally) {
    pad.devices = 0;
    JoyStick j;
    pad.x = -30000;
    pad.button[0] = 1;
    pad.hat = 1;
    EXPECT_FALSE(j.isOpened());
    EXPECT_EQ(j.name(), "");
    EXPECT_EQ(j.numButtons(), 0);
    EXPECT_EQ(j.numAxes() + j.numBalls() + j.numHats(), 0);
    EXPECT_FALSE(j.button(0));
    EXPECT_EQ(j.axisX(), 0);
    EXPECT_EQ(j.hat(0), 0);
    EXPECT_FALSE(j.isLeft() || j.isRight() || j.isUp() || j.isDown());
    EXPECT_EQ(j.ballX(0), 0);
    EXPECT_EQ(j.ballY(5), 0);
}

TEST_F(Joystick, ThresholdSettingAndItsDefaultOfZero) {
    algo::easyinput::moduleEnd();
    {
        JoyStick j;
        pad.x = -1;
        EXPECT_TRUE(j.isLeft());  // threshold never set: any negative value
        pad.x = 0;
        EXPECT_FALSE(j.isLeft() || j.isRight());
        EXPECT_EQ(j.setThreshold(16384), 16384);
        EXPECT_EQ(j.setThreshold(0), 16384);
        EXPECT_EQ(j.setThreshold(-5), 16384);
        pad.x = 16384;
        EXPECT_FALSE(j.isRight());
        pad.x = 16385;
        EXPECT_TRUE(j.isRight());
        pad.hat = SDL_HAT_LEFTUP;
        EXPECT_EQ(j.hat(0), SDL_HAT_LEFTUP);
    }
    algo::easyinput::moduleStart();
}

TEST_F(Joystick, TrackballTotalsGrowPerPass) {
    auto& j = EasyInput_::instance().joystick();
    pad.ballDx = 3;
    pad.ballDy = -1;
    ASSERT_TRUE(poll());
    ASSERT_TRUE(poll());
    EXPECT_EQ(j.ballX(0), 6);
    EXPECT_EQ(j.ballY(0), -2);
    EXPECT_THROW(j.ballX(1), std::out_of_range);

    pad.ballFails = true;
    try {
        poll();
        ADD_FAILURE() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "トラックボールの更新に失敗。");
    }
}

TEST_F(Joystick, DestroyingAnOpenObjectUnregistersIt) {
    auto& ec = EventControl_::instance();
    const std::size_t base = ec.updaterCount();
    pad.devices = 2;
    {
        JoyStick j;
        EXPECT_EQ(ec.updaterCount(), base + 1);
    }
    EXPECT_EQ(ec.updaterCount(), base);
    EXPECT_EQ(pad.closes, 1);
    EXPECT_TRUE(poll());
}

// ---- mouse ----

class Mouse : public Input {
  protected:
    void SetUp() override {
        Input::SetUp();
        algo::mouse::moduleEnd();
        algo::mouse::moduleStart();
    }
};

TEST_F(Mouse, StartStateIsZero) {
    auto& m = Mouse_::instance();
    EXPECT_EQ(m.x() + m.y() + m.dx() + m.dy(), 0);
    for (std::uint32_t b = 0; b < 8; ++b) {
        EXPECT_FALSE(m.isPress(b));
        EXPECT_FALSE(m.isPush(b));
    }
    EXPECT_THROW(m.isPress(8), basic::AssertError);
    EXPECT_THROW(m.isPush(8), basic::AssertError);
}

TEST_F(Mouse, DeltasFollowWarps) {
    auto& m = Mouse_::instance();
    m.warp(100, 50);
    EXPECT_EQ(m.x(), 0);  // not before the next pass
    ASSERT_TRUE(poll());
    EXPECT_EQ(m.x(), 100);
    EXPECT_EQ(m.y(), 50);
    EXPECT_EQ(m.dx(), 100);  // from the zero start state
    EXPECT_EQ(m.dy(), 50);
    m.warp(10, 20);
    ASSERT_TRUE(poll());
    EXPECT_EQ(m.x(), 10);
    EXPECT_EQ(m.y(), 20);
    EXPECT_EQ(m.dx(), -90);
    EXPECT_EQ(m.dy(), -30);
    ASSERT_TRUE(poll());
    EXPECT_EQ(m.dx(), 0);
    EXPECT_EQ(m.dy(), 0);
}

TEST_F(Mouse, CursorCanBeHiddenAndShown) {
    auto& m = Mouse_::instance();
    m.showCursor(false);
    EXPECT_FALSE(m.isCursorShown());
    m.showCursor(true);
    EXPECT_TRUE(m.isCursorShown());
}

// A tap that goes down and up between two polls: the snapshot never sees it, the latch does,
// for one pass only; with no events (scripted keys) the latch is isPush.
TEST_F(Input, ATapShorterThanAPassIsSeenByWasPushedOnly) {
    auto& kb = KeyBoard_::instance();
    auto& input = algo::EasyInput_::instance();
    auto key = [](Uint8 type, SDLKey sym) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = type;
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    };
    key(SDL_KEYDOWN, SDLK_z);
    key(SDL_KEYUP, SDLK_z);
    ASSERT_TRUE(poll());
    EXPECT_FALSE(kb.isPress(SDLK_z));
    EXPECT_FALSE(kb.isPush(SDLK_z));
    EXPECT_TRUE(kb.wasPushed(SDLK_z));
    EXPECT_FALSE(kb.wasPushed(SDLK_x));
    EXPECT_EQ(input.count(algo::EasyInput_::Button(0)), 0);  // the counters stay as they were
    EXPECT_TRUE(input.wasPushed(algo::EasyInput_::Button(0)));
    EXPECT_FALSE(input.wasPushed(algo::EasyInput_::Button(1)));
    EXPECT_FALSE(input.wasPushed(algo::EasyInput_::Button(10)));  // no key: no latch
    ASSERT_TRUE(poll());
    EXPECT_FALSE(kb.wasPushed(SDLK_z));  // the next pass has seen nothing new

    keys[SDLK_x] = 1;  // held through the snapshot: isPush, so wasPushed too
    ASSERT_TRUE(poll());
    EXPECT_TRUE(kb.wasPushed(SDLK_x));
    EXPECT_TRUE(input.wasPushed(algo::EasyInput_::Button(1)));
    ASSERT_TRUE(poll());
    EXPECT_FALSE(kb.wasPushed(SDLK_x));
    EXPECT_THROW(kb.wasPushed(algo::kKeyCount), basic::AssertError);
}

}  // namespace
