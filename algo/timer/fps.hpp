#pragma once
/// @file
/// Frame pacing: at most one pass per interval; time lost in a slow pass is never made up.
#include <cstdint>

namespace algo {

/// Sets the pace to `rate` passes a second: an interval of 1000 / rate milliseconds (integer
/// division: 60 gives 16 ms), counted from now. A rate of 0 is a basic::AssertError and
/// changes nothing. The engine starts at 20.
void setFPS(std::uint16_t rate);
/// Sleeps until one interval has passed since the previous waitFrame ended (not at all when
/// it already has; lost time is not made up), and makes now the start of the next interval.
/// True when the frame is to be drawn: false only when the clock moved on by more than an
/// interval inside the call itself, which ordinary running does not see.
bool waitFrame();

/// Frame pacing's clock, interval and due time, for programs that drive the loop themselves.
namespace fps {

/// The two clock functions frame pacing uses, so a headless run can go faster than real time.
/// Plain function pointers: the functions must live as long as the clock is set.
///
/// @code
/// static std::uint32_t now = 0;
/// algo::fps::setClock({[] { return now; }, [](std::uint32_t ms) { now += ms; }});
/// algo::fps::setClock(algo::fps::realClock());  // SDL's again
/// @endcode
struct Clock {
    /// Now, in milliseconds from any fixed zero.
    std::uint32_t (*ticks)();
    /// Sleeps `ms` milliseconds (on a stepped clock: moves the clock on by `ms`).
    void (*delay)(std::uint32_t ms);
};
/// Makes `clock` the one waitFrame and setFPS read and sleep on, from the next call on.
void setClock(Clock clock);
/// SDL's clock: algo::getTicks and algo::delay. The one in use until setClock.
Clock realClock();
/// A clock that only moves when slept on: every frame is due at once and none is late, so a
/// program that drives the loop itself (a replay, a test) runs as fast as it can, pass for pass
/// as in real time. One per program: every steppedClock() shares the same time.
Clock steppedClock();

/// The interval setFPS made, in milliseconds.
std::int32_t interval();
/// The clock's reading, in milliseconds, at which the current interval began (the end of the
/// last waitFrame, or setFPS or dueNow).
std::uint32_t last();

/// Makes the next frame due at once, as if one interval had passed since the last: for the
/// first frame of a program, which has nothing shown yet to pace it against.
void dueNow();

/// The module's start, run by algo::Engine: logs "FPS ctor .." and sets 20 passes a second.
/// It has no end. Programs do not call it.
void moduleStart();

}  // namespace fps
}  // namespace algo
