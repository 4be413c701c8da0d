#pragma once
// Host functions through which particle scripts draw simple effects in the game view.
//
//   drawrect(x1, y1, x2, y2, r, g, b [, a [, fill]])  rectangle between two corners
//   drawcircle(x, y, radius, r, g, b [, a [, fill]])   circle around a centre
//   drawline(x1, y1, x2, y2, r, g, b [, a])            line between two points
//   drawdot(x, y, r, g, b [, a])                       one dot
//   mod(a, b)         a - floor(a / b) * b: the remainder has the sign of b (b not 0)
//   rand()            a real in [0, 1); rand(n): a whole number in 1..n; rand(m, n): in m..n
//
// Positions and the radius are world units of Camera2D_, the numbers truncated toward zero to
// 32-bit integers; colour components are 0..255 (truncated), a defaults to 255 and fill (a
// boolean) to false; a nil optional argument takes its default. A call that does not fit
// raises the Lua error "lua argments panic.[name: problem]", one whose result cannot be
// pushed "lua return values panic.[name: problem]"; a drawing failure raises
// "name: " + the error's description. The script sees the error; a failed run of the host's
// Lua object reports it as LuaError.
#include <cstdint>

#include "algo/system/lua.hpp"

namespace algo::luaparticle {

int drawRect(lua_State* state);
int drawCircle(lua_State* state);
int drawLine(lua_State* state);
int drawDot(lua_State* state);
int mod(lua_State* state);
int rand(lua_State* state);

// Makes the six functions globals of the object's state under their Lua names.
void registerFunctions(Lua& lua);

// The generator behind "rand" (one per program, seeded 5489 until a host seeds it).
void seed(std::uint32_t value);

}  // namespace algo::luaparticle
