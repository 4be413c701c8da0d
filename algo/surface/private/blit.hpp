#pragma once
// The texture module's own copies and fills between surfaces in plain memory, byte for byte
// as SDL makes them and several times faster. Not installed.
#include <SDL.h>

namespace algo::blit {

// SDL_MUSTLOCK: the pixels may be touched only between SDL_LockSurface and SDL_UnlockSurface.
bool mustLock(const SDL_Surface* s);

// One direct-colour format (no palette; equal depth and channel masks): pixels go from one to
// the other as they are.
bool sameDirectFormat(const SDL_PixelFormat* a, const SDL_PixelFormat* b);

// SDL_UpperBlit of the srcRect part (null: all) of `from` onto `to` at (x, y), clipped as SDL
// clips, for two surfaces in plain memory of one format without alpha, with 2 bytes per pixel
// (keyed or not) or 4 (not keyed). False, with nothing done, for anything else: SDL's work.
bool copy(SDL_Surface* from, const SDL_Rect* srcRect, SDL_Surface* to, int x, int y);

// SDL_FillRect of the clip rectangle, for 2- and 4-byte pixels in plain memory; false, with
// nothing done, otherwise.
bool fill(SDL_Surface* s, Uint32 pixel);

// The variants of the keyed 16-bit copy, narrowest first.
enum class Vectors { none, sse2, avx2, avx512 };
// Whether this processor (and this build) runs the variant; `none` always.
bool has(Vectors v);
// The variant the keyed copies use: the widest the processor has, unless a test chose one.
Vectors vectors();
// For tests, so that every variant is held to SDL's bytes on a machine that would pick only
// one. The processor must have it (an assertion error otherwise): nothing falls back quietly.
void useVectors(Vectors v);

}  // namespace algo::blit
