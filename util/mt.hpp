#pragma once
/// @file
/// MT19937, one generator for the whole process (the archive reader's key stream).
#include <cstdint>

/// @namespace util
/// Generic helpers beside the engine.

/// The process-wide MT19937 generator: the reference sequence for a seed, with whole and real
/// numbers drawn from it. Not thread-safe; the engine's archive reader reseeds it when it
/// descrambles an archive (off in the game).
namespace util::mt {

/// Restarts the one process-wide MT19937 sequence from `s`; without a seed it starts as from
/// 5489, the reference seed.
///
/// @code
/// util::mt::seed(static_cast<std::uint32_t>(std::time(nullptr)));  // a new game each run
/// int column = util::mt::nextInt(0, 15);   // 0 to 15, each as likely
/// bool heads = util::mt::nextReal() < 0.5;  // 0 <= r < 1
/// @endcode
void seed(std::uint32_t s);
/// The next 32-bit output of the sequence.
std::uint32_t next();
/// A whole number from a to b, both included, each equally likely (a <= b, else an assertion
/// error). Draws from the same sequence as next(), one output or, rarely, a few more.
std::int32_t nextInt(std::int32_t a, std::int32_t b);
/// A real number r with 0 <= r < 1: one output of next() divided by 2^32.
double nextReal();

}  // namespace util::mt
