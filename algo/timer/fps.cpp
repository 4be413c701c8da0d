#include "algo/timer/fps.hpp"

#include "algo/file/logger.hpp"
#include "algo/timer/timer.hpp"
#include "basic/assert.hpp"

namespace algo {
namespace {

fps::Clock clock = fps::realClock();
std::int32_t interval_ = 0;
std::uint32_t last_ = 0;

}  // namespace

void setFPS(std::uint16_t rate) {
    BASIC_ASSERT(rate != 0, "setFPS: a frame rate of 0 has no frame interval");
    interval_ = 1000 / rate;
    last_ = clock.ticks();
}

bool waitFrame() {
    auto remaining =
        static_cast<std::int32_t>(last_ + static_cast<std::uint32_t>(interval_) - clock.ticks());
    if (remaining > 0) clock.delay(static_cast<std::uint32_t>(remaining));
    last_ = clock.ticks();
    return !(clock.ticks() > last_ + static_cast<std::uint32_t>(interval_));
}

namespace fps {

Clock realClock() {
    return Clock{&getTicks, &delay};
}
Clock steppedClock() {
    static std::uint32_t now = 0;
    return Clock{[] { return now; }, [](std::uint32_t ms) { now += ms; }};
}
void setClock(Clock c) {
    clock = c;
}
std::int32_t interval() {
    return interval_;
}
std::uint32_t last() {
    return last_;
}
void dueNow() {
    last_ = clock.ticks() - static_cast<std::uint32_t>(interval_);
}

void moduleStart() {
    log("FPS ctor ..");
    setFPS(20);
}

}  // namespace fps
}  // namespace algo
