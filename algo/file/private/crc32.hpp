#pragma once
// The CRC-32 of ZIP members, for the resource reader. Not installed.
#include <cstddef>
#include <cstdint>

namespace algo {

// CRC-32 of the bytes, continuing from `crc` (the value zlib's crc32 gives, folded with the
// processor's carry-less multiply where it has one).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace algo
