#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/lua.hpp"
#include "algo/system/luaparticle.hpp"
#include "tests/support/testenv.hpp"

namespace {

using algo::Lua;
using algo::LuaError;

struct Colour {
    int r, g, b;
    bool operator==(const Colour&) const = default;
};
void PrintTo(const Colour& c, std::ostream* os) {
    *os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

Colour pixel(int x, int y) {
    SDL_Surface* s = algo::Display_::instance().surface();
    SDL_LockSurface(s);
    auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
    Uint32 value = 0;
    std::memcpy(&value, row + x * s->format->BytesPerPixel, s->format->BytesPerPixel);
    SDL_UnlockSurface(s);
    Uint8 r, g, b;
    SDL_GetRGB(value, s->format, &r, &g, &b);
    return {r, g, b};
}

std::string stderrText() {
    std::fflush(stderr);
    return testenv::readFile(testenv::workDir() + "/stderr.txt");
}

// A host: its own state with the standard libraries and the particle functions, a black
// 32-bit screen and the camera centred on the world origin.
struct Particles : testing::Test {
    Lua lua;
    Particles() {
        lua_State* L = luaL_newstate();
        luaL_openlibs(L);
        lua.setState(L);
        algo::luaparticle::registerFunctions(lua);
        auto& display = algo::Display_::instance();
        if (!display.surface() || display.bitsPerPixel() != 32)
            display.setVideoMode(512, 512, 32, false);
        display.fill(0, 0, 0);
        algo::Camera2D_::instance().set(0, 0, 1.0L);
    }
    void run(const std::string& source) {
        lua.setSource(source);
        lua.run();
    }
    double number(const char* global) {
        lua_getglobal(lua.getState(), global);
        double v = lua_tonumber(lua.getState(), -1);
        lua_pop(lua.getState(), 1);
        return v;
    }
    std::string text(const char* global) {
        lua_getglobal(lua.getState(), global);
        std::string v = lua_isstring(lua.getState(), -1) ? lua_tostring(lua.getState(), -1) : "";
        lua_pop(lua.getState(), 1);
        return v;
    }
};

TEST_F(Particles, ScriptDrawsAtWorldPositionsOntoTheDisplay) {
    run("drawrect(-100, -100, -91, -91, 0, 255, 0, 255, true)\n"
        "drawdot(10, 20, 255, 0, 0)\n"
        "drawline(0, 100, 50, 100, 0, 0, 255)\n"
        "drawcircle(100, -100, 10, 255, 255, 0, nil, true)\n"
        "for i = 0, 4 do drawdot(mod(i * 7, 5), 60, 255, 255, 255) end\n"
        "drawcircle(-100, 100, 20, 0, 255, 255)\n");
    const Colour black{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255},
        yellow{255, 255, 0}, white{255, 255, 255}, cyan{0, 255, 255};
    // World (0, 0) is the centre of the 512 x 512 screen.
    EXPECT_EQ(pixel(156, 156), green);
    EXPECT_EQ(pixel(165, 165), green);
    EXPECT_EQ(pixel(166, 166), black);
    EXPECT_EQ(pixel(266, 276), red);
    EXPECT_EQ(pixel(267, 276), black);
    EXPECT_EQ(pixel(256, 356), blue);
    EXPECT_EQ(pixel(306, 356), blue);
    EXPECT_EQ(pixel(307, 356), black);
    EXPECT_EQ(pixel(356, 156), yellow);
    EXPECT_EQ(pixel(363, 156), yellow);
    EXPECT_EQ(pixel(356, 168), black);
    for (int x = 256; x <= 260; ++x) EXPECT_EQ(pixel(x, 316), white) << x;
    // An outline circle leaves its centre alone.
    EXPECT_EQ(pixel(156, 376), cyan);
    EXPECT_EQ(pixel(156, 356), black);
}

TEST_F(Particles, CameraPositionAndZoomApply) {
    algo::Camera2D_::instance().set(100, 50, 2.0L);
    run("drawdot(110, 50, 255, 0, 0)\ndrawdot(100, 40, 0, 255, 0)");
    EXPECT_EQ(pixel(276, 256), (Colour{255, 0, 0}));
    EXPECT_EQ(pixel(256, 236), (Colour{0, 255, 0}));
}

TEST_F(Particles, BadArgumentsRaiseALuaErrorTheScriptCanSee) {
    run("ok, few = pcall(drawrect, 1, 2, 3)\n"
        "ok, kind = pcall(drawdot, {}, 1, 0, 0, 0)\n"
        "ok, range = pcall(drawline, 0, 0, 1, 1, 256, 0, 0)\n"
        "ok, fill = pcall(drawcircle, 0, 0, 5, 1, 1, 1, 255, 'yes')\n"
        "ok, radius = pcall(drawcircle, 0, 0, -5, 1, 1, 1)\n"
        "ok, many = pcall(drawdot, 1, 2, 3, 4, 5, 6, 7)\n"
        "ok, far = pcall(drawdot, 3e10, 0, 1, 1, 1)\n"
        "ok, zero = pcall(mod, 1, 0)\n"
        "ok, empty = pcall(rand, 5, 1)\n");
    EXPECT_EQ(text("few"), "lua argments panic.[drawrect: expected 7 to 9 arguments, got 3]");
    EXPECT_EQ(text("kind"),
              "lua argments panic.[drawdot: argument 1 (x) is a table, not a number]");
    EXPECT_EQ(text("range"), "lua argments panic.[drawline: argument 5 (r) is outside 0..255]");
    EXPECT_EQ(text("fill"),
              "lua argments panic.[drawcircle: argument 8 (fill) is a string, not a boolean]");
    EXPECT_EQ(text("radius"), "lua argments panic.[drawcircle: argument 3 (radius) is negative]");
    EXPECT_EQ(text("many"), "lua argments panic.[drawdot: expected 5 to 6 arguments, got 7]");
    EXPECT_EQ(text("far"),
              "lua argments panic.[drawdot: argument 1 (x) is outside the 32-bit range]");
    EXPECT_EQ(text("zero"), "lua argments panic.[mod: argument 2 (b) is 0]");
    EXPECT_EQ(text("empty"), "lua argments panic.[rand: the interval 5..1 is empty]");
    // Nothing was drawn by the refused calls, and the state is still usable.
    EXPECT_EQ(pixel(256, 256), (Colour{0, 0, 0}));
    run("after = 1");
    EXPECT_EQ(number("after"), 1);
}

TEST_F(Particles, UncaughtBadCallReachesTheHostAsLuaError) {
    std::string before = stderrText();
    lua.setSource("drawdot(1, 2)");
    EXPECT_THROW(lua.run(), LuaError);
    EXPECT_EQ(stderrText().substr(before.size()),
              "lua argments panic.[drawdot: expected 5 to 6 arguments, got 2]\n");
    EXPECT_FALSE(lua.isDone());
}

TEST_F(Particles, ModTakesTheSignOfTheDivisor) {
    run("a = mod(-1, 5)  b = mod(5.5, 2)  c = mod(1, -3)  d = mod('7', 4)");
    EXPECT_EQ(number("a"), 4);
    EXPECT_EQ(number("b"), 1.5);
    EXPECT_EQ(number("c"), -2);
    EXPECT_EQ(number("d"), 3);
}

TEST_F(Particles, RandStaysInItsRangeAndRepeatsAfterReseeding) {
    algo::luaparticle::seed(7);
    run("lo, hi, bad = 1, 0, 0\n"
        "for i = 1, 2000 do\n"
        "  local r = rand()  if r < 0 or r >= 1 then bad = bad + 1 end\n"
        "  local n = rand(6)  if n < 1 or n > 6 or n ~= math.floor(n) then bad = bad + 1 end\n"
        "  local m = rand(-2, 2)  if m < lo then lo = m end  if m > hi then hi = m end\n"
        "end\n"
        "same = rand(3, 3)\n"
        "first = rand(1000000)");
    EXPECT_EQ(number("bad"), 0);
    EXPECT_EQ(number("lo"), -2);
    EXPECT_EQ(number("hi"), 2);
    EXPECT_EQ(number("same"), 3);
    double first = number("first");
    algo::luaparticle::seed(7);
    run("for i = 1, 2000 do rand() rand(6) rand(-2, 2) end  rand(3, 3)  again = rand(1000000)");
    EXPECT_EQ(number("again"), first);
}

TEST_F(Particles, AllSixNamesAreHostFunctions) {
    for (const char* name : {"drawrect", "drawcircle", "drawline", "drawdot", "mod", "rand"}) {
        lua.pushString(name);
        lua.getTable(LUA_GLOBALSINDEX);
        EXPECT_NE(lua.toFunction(-1), nullptr) << name;
        lua.pop(1);
    }
}

}  // namespace
