#pragma once
/// @file
/// Zero point of the log's time stamps: raw processor cycles since start-up.
#include <cstdint>

namespace algo {

/// Processor cycles since the last resetTimestamp (the engine's start): the time-stamp
/// counter on x86, a steady clock's nanoseconds elsewhere. Not milliseconds, and the rate is
/// the processor's: the log uses it to order lines, not to time them.
std::int64_t timestamp();
/// Makes now the zero point of timestamp().
void resetTimestamp();

/// The time-stamp module's start (the zero point); it has no end.
namespace timestamp_module {
/// The module's start, run first by algo::Engine: resetTimestamp(). Programs do not call it.
void moduleStart();
}  // namespace timestamp_module

}  // namespace algo
