#pragma once
// Frame pacing: at most one pass per interval; time lost in a slow pass is never made up.
#include <cstdint>

namespace algo {

// Interval 1000 / rate ms. A rate of 0 is a basic::AssertError and changes nothing.
void setFPS(std::uint16_t rate);
// Sleeps until the frame is due; true when the frame is to be drawn.
bool waitFrame();

namespace fps {

// The clock waitFrame reads and sleeps on; the real one is SDL's. Tests and the
// headless runner put in their own.
struct Clock {
    std::uint32_t (*ticks)();
    void (*delay)(std::uint32_t ms);
};
void setClock(Clock clock);
Clock realClock();

std::int32_t interval();
std::uint32_t last();

void moduleStart();

}  // namespace fps
}  // namespace algo
