#pragma once
// Frame pacing: at most one pass per interval; time lost in a slow pass is never made up.
#include <cstdint>

namespace algo {

// Interval 1000 / rate ms. A rate of 0 is a basic::AssertError and changes nothing.
void setFPS(std::uint16_t rate);
// Sleeps until the frame is due; true when the frame is to be drawn.
bool waitFrame();

namespace fps {

/// The two clock functions frame pacing uses, so a headless run can go faster than real time.
///
/// @code
/// static std::uint32_t now = 0;
/// algo::fps::setClock({[] { return now; }, [](std::uint32_t ms) { now += ms; }});
/// algo::fps::setClock(algo::fps::realClock());  // SDL's again
/// @endcode
// The clock waitFrame reads and sleeps on; the real one is SDL's. Tests and the
// headless runner put in their own.
struct Clock {
    std::uint32_t (*ticks)();
    void (*delay)(std::uint32_t ms);
};
void setClock(Clock clock);
Clock realClock();
// A clock that only moves when slept on: every frame is due at once and none is late, so a
// program that drives the loop itself (a replay, a test) runs as fast as it can, pass for pass
// as in real time.
Clock steppedClock();

std::int32_t interval();
std::uint32_t last();

// Makes the next frame due at once, as if one interval had passed since the last: for the
// first frame of a program, which has nothing shown yet to pace it against.
void dueNow();

void moduleStart();

}  // namespace fps
}  // namespace algo
