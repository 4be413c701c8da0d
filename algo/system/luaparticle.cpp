#include "algo/system/luaparticle.hpp"

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>

#include "algo/surface/camera2d.hpp"
#include "basic/error.hpp"

namespace algo::luaparticle {

namespace {

std::mt19937 generator(5489u);

// The two kinds of problem the message distinguishes.
struct ArgumentProblem : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct ReturnProblem : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A Lua object that never closes the state it reads: the script's owner does.
struct Borrowed : Lua {
    ~Borrowed() override { setState(nullptr); }
};

// Reads the arguments of one call through a Lua object that borrows the state.
class Call {
  public:
    Call(lua_State* state, int minimum, int maximum) {
        lua_.setState(state);
        int count = lua_.getTop();
        if (count < minimum || count > maximum)
            throw ArgumentProblem("expected " + std::to_string(minimum) +
                                  (minimum == maximum ? "" : " to " + std::to_string(maximum)) +
                                  " arguments, got " + std::to_string(count));
    }

    bool given(int i) { return i <= lua_.getTop() && lua_.typeName(i) != "nil"; }

    double number(int i, const char* what) {
        if (lua_.typeName(i) != "number" && lua_.typeName(i) != "string")
            throw ArgumentProblem(argument(i, what) + " is a " + std::string(lua_.typeName(i)) +
                                  ", not a number");
        try {
            return lua_.toDouble(i);
        } catch (const std::exception&) {
            throw ArgumentProblem(argument(i, what) + " is not a number");
        }
    }

    std::int32_t whole(int i, const char* what) {
        double v = std::trunc(number(i, what));
        if (!(v >= -2147483648.0 && v <= 2147483647.0))
            throw ArgumentProblem(argument(i, what) + " is outside the 32-bit range");
        return static_cast<std::int32_t>(v);
    }

    std::uint8_t colour(int i, const char* what) {
        double v = std::trunc(number(i, what));
        if (!(v >= 0.0 && v <= 255.0))
            throw ArgumentProblem(argument(i, what) + " is outside 0..255");
        return static_cast<std::uint8_t>(v);
    }

    std::uint8_t colourOr(int i, const char* what, std::uint8_t otherwise) {
        return given(i) ? colour(i, what) : otherwise;
    }

    bool flagOr(int i, const char* what, bool otherwise) {
        if (!given(i)) return otherwise;
        if (lua_.typeName(i) != "boolean")
            throw ArgumentProblem(argument(i, what) + " is a " + std::string(lua_.typeName(i)) +
                                  ", not a boolean");
        return lua_.toBool(i);
    }

    int result(double value) {
        if (!lua_checkstack(lua_.getState(), 1))
            throw ReturnProblem("no stack room for the result");
        lua_.pushNumber(value);
        return 1;
    }

  private:
    static std::string argument(int i, const char* what) {
        return "argument " + std::to_string(i) + " (" + what + ")";
    }
    Borrowed lua_;
};

// Runs a host function; anything it throws becomes a Lua error, because an exception must not
// unwind through Lua's own frames.
template <int (*Body)(lua_State*)>
int guarded(lua_State* L, const char* name) {
    {
        std::string message;
        try {
            return Body(L);
        } catch (const ArgumentProblem& e) {
            message = std::string("lua argments panic.[") + name + ": " + e.what() + "]";
        } catch (const ReturnProblem& e) {
            message = std::string("lua return values panic.[") + name + ": " + e.what() + "]";
        } catch (const std::exception& e) {
            message = std::string(name) + ": " + basic::describe(e);
        }
        lua_pushlstring(L, message.data(), message.size());
    }
    return lua_error(L);  // no C++ object may be alive across this jump
}

int rectBody(lua_State* L) {
    Call c(L, 7, 9);
    auto x1 = c.whole(1, "x1"), y1 = c.whole(2, "y1"), x2 = c.whole(3, "x2"), y2 = c.whole(4, "y2");
    auto r = c.colour(5, "r"), g = c.colour(6, "g"), b = c.colour(7, "b");
    auto a = c.colourOr(8, "a", 255);
    bool fill = c.flagOr(9, "fill", false);
    Camera2D_::instance().putRect(x1, y1, x2, y2, r, g, b, a, fill);
    return 0;
}

int circleBody(lua_State* L) {
    Call c(L, 6, 8);
    auto x = c.whole(1, "x"), y = c.whole(2, "y"), radius = c.whole(3, "radius");
    if (radius < 0) throw ArgumentProblem("argument 3 (radius) is negative");
    auto r = c.colour(4, "r"), g = c.colour(5, "g"), b = c.colour(6, "b");
    auto a = c.colourOr(7, "a", 255);
    bool fill = c.flagOr(8, "fill", false);
    Camera2D_::instance().putEllipse(x, y, radius, radius, r, g, b, a, fill);
    return 0;
}

int lineBody(lua_State* L) {
    Call c(L, 7, 8);
    auto x1 = c.whole(1, "x1"), y1 = c.whole(2, "y1"), x2 = c.whole(3, "x2"), y2 = c.whole(4, "y2");
    auto r = c.colour(5, "r"), g = c.colour(6, "g"), b = c.colour(7, "b");
    auto a = c.colourOr(8, "a", 255);
    Camera2D_::instance().putLine(x1, y1, x2, y2, r, g, b, a);
    return 0;
}

int dotBody(lua_State* L) {
    Call c(L, 5, 6);
    auto x = c.whole(1, "x"), y = c.whole(2, "y");
    auto r = c.colour(3, "r"), g = c.colour(4, "g"), b = c.colour(5, "b");
    auto a = c.colourOr(6, "a", 255);
    Camera2D_::instance().putPixel(x, y, r, g, b, a);
    return 0;
}

int modBody(lua_State* L) {
    Call c(L, 2, 2);
    double a = c.number(1, "a"), b = c.number(2, "b");
    if (b == 0.0) throw ArgumentProblem("argument 2 (b) is 0");
    return c.result(a - std::floor(a / b) * b);
}

int randBody(lua_State* L) {
    Call c(L, 0, 2);
    int count = lua_gettop(L);
    if (count == 0) return c.result(std::uniform_real_distribution<double>(0.0, 1.0)(generator));
    std::int32_t low = 1, high = 0;
    if (count == 1) {
        high = c.whole(1, "n");
    } else {
        low = c.whole(1, "m");
        high = c.whole(2, "n");
    }
    if (low > high)
        throw ArgumentProblem("the interval " + std::to_string(low) + ".." + std::to_string(high) +
                              " is empty");
    return c.result(
        static_cast<double>(std::uniform_int_distribution<std::int64_t>(low, high)(generator)));
}

}  // namespace

int drawRect(lua_State* state) {
    return guarded<rectBody>(state, "drawrect");
}
int drawCircle(lua_State* state) {
    return guarded<circleBody>(state, "drawcircle");
}
int drawLine(lua_State* state) {
    return guarded<lineBody>(state, "drawline");
}
int drawDot(lua_State* state) {
    return guarded<dotBody>(state, "drawdot");
}
int mod(lua_State* state) {
    return guarded<modBody>(state, "mod");
}
int rand(lua_State* state) {
    return guarded<randBody>(state, "rand");
}

void registerFunctions(Lua& lua) {
    lua.registerFunction("drawrect", drawRect);
    lua.registerFunction("drawcircle", drawCircle);
    lua.registerFunction("drawline", drawLine);
    lua.registerFunction("drawdot", drawDot);
    lua.registerFunction("mod", mod);
    lua.registerFunction("rand", rand);
}

void seed(std::uint32_t value) {
    generator.seed(value);
}

}  // namespace algo::luaparticle
