#pragma once
// MT19937, one generator for the whole process (the archive reader's key stream).
#include <cstdint>

namespace util::mt {

void seed(std::uint32_t s);
std::uint32_t next();

}  // namespace util::mt
