#pragma once
/// @file
/// Millisecond clock and sleeping on SDL's timer subsystem.
#include <cstdint>

namespace algo {

/// Milliseconds since SDL started (the engine's start), wrapping after about 49 days.
std::uint32_t getTicks();
/// Sleeps for at least `ms` milliseconds (longer when the system schedules so).
void delay(std::uint32_t ms);

/// The timer module: SDL's timer subsystem.
namespace timer {
/// The module's start, run by algo::Engine: logs "Timer ctor .." and starts SDL's timer
/// subsystem (SDLError "error SDL_INIT_TIMER" when it will not). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: logs "Timer dtor .." and stops the subsystem.
void moduleEnd();
}  // namespace timer

}  // namespace algo
