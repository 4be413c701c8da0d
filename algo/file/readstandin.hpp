#pragma once
// Temporary: forwards to the resource reader now that both are on this branch.
#include <cstdint>
#include <string>
#include <vector>

#include "algo/file/strongread.hpp"

namespace algo::standin {

inline std::vector<std::uint8_t> read(const std::string& path) { return algo::read(path); }

}  // namespace algo::standin
