#pragma once
/// @file
/// Host functions through which particle scripts draw simple effects in the game view.
///
/// @code
///   drawrect(x1, y1, x2, y2, r, g, b [, a [, fill]])  rectangle between two corners
///   drawcircle(x, y, radius, r, g, b [, a [, fill]])   circle around a centre
///   drawline(x1, y1, x2, y2, r, g, b [, a])            line between two points
///   drawdot(x, y, r, g, b [, a])                       one dot
///   mod(a, b)         a - floor(a / b) * b: the remainder has the sign of b (b not 0)
///   rand()            a real in [0, 1); rand(n): a whole number in 1..n; rand(m, n): in m..n
/// @endcode
///
/// Positions and the radius are world units of Camera2D_, the numbers truncated toward zero to
/// 32-bit integers; colour components are 0..255 (truncated), a defaults to 255 and fill (a
/// boolean) to false; a nil optional argument takes its default. A call that does not fit
/// raises the Lua error "lua argments panic.[name: problem]", one whose result cannot be
/// pushed "lua return values panic.[name: problem]"; a drawing failure raises
/// "name: " + the error's description. The script sees the error; a failed run of the host's
/// Lua object reports it as LuaError.
#include <cstdint>

#include "algo/system/lua.hpp"

/// Host functions for particle scripts: drawing through Camera2D_, a modulo and random
/// numbers. Each is a lua_CFunction that reads its arguments from the Lua stack and raises
/// Lua errors, never C++ exceptions.
namespace algo::luaparticle {

/// "drawrect"(x1, y1, x2, y2, r, g, b [, a [, fill]]): Camera2D_::putRect between two world
/// corners, outlined or filled.
int drawRect(lua_State* state);
/// "drawcircle"(x, y, radius, r, g, b [, a [, fill]]): Camera2D_::putEllipse with equal
/// radii around a world centre; a negative radius is an argument error.
int drawCircle(lua_State* state);
/// "drawline"(x1, y1, x2, y2, r, g, b [, a]): Camera2D_::putLine between two world points.
int drawLine(lua_State* state);
/// "drawdot"(x, y, r, g, b [, a]): Camera2D_::putPixel at a world point.
int drawDot(lua_State* state);
/// "mod"(a, b): returns a - floor(a / b) * b, the remainder with the sign of b; b = 0 is an
/// argument error.
int mod(lua_State* state);
/// "rand"(): returns a real from 0 up to (not including) 1; "rand"(n) a whole number from 1 to
/// n, "rand"(m, n) one from m to n, each equally likely (an empty range is an argument error).
/// Drawn from the module's own generator (see seed), not util::mt.
int rand(lua_State* state);

/// Makes the six functions globals of the object's state under their Lua names.
void registerFunctions(Lua& lua);

/// Restarts the generator behind "rand" (one per program, an MT19937 seeded 5489 until a
/// host seeds it) from `value`.
void seed(std::uint32_t value);

}  // namespace algo::luaparticle
