#pragma once
#include <cstdint>

namespace game {
// Build number; only logged.
inline constexpr std::uint64_t kBuildNumber = 302;
}  // namespace game
