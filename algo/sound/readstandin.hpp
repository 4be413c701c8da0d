#pragma once
// TEMPORARY: reads a data path as a plain file until the resource reader lands on main;
// then music and effects read through it and this header goes away.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace algo::sound_data {

using Bytes = std::vector<std::uint8_t>;

inline Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read data file: " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace algo::sound_data
