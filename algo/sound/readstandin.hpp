#pragma once
// TEMPORARY: forwards to the resource reader now that both are on this branch.
#include <cstdint>
#include <string>
#include <vector>

#include "algo/file/strongread.hpp"

namespace algo::sound_data {

using Bytes = std::vector<std::uint8_t>;

inline Bytes read(const std::string& path) { return algo::read(path); }

}  // namespace algo::sound_data
