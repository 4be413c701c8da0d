#pragma once
// Millisecond clock and sleeping on SDL's timer subsystem.
#include <cstdint>

namespace algo {

std::uint32_t getTicks();
void delay(std::uint32_t ms);

namespace timer {
void moduleStart();
void moduleEnd();
}  // namespace timer

}  // namespace algo
