#pragma once
// Levels: 32 lines of 32 characters <-> 8-bit palette BMP whose pixel indexes are tile codes.
#include <array>
#include <cstdint>
#include <string>

namespace assetgen {

constexpr int kLevelSize = 32;
using LevelGrid = std::array<std::array<std::uint8_t, kLevelSize>, kLevelSize>;  // [row][col]

// Tile code of a legend character, or -1 when the character means nothing.
int tileOfChar(char c);
// Legend character of a tile code 0..15.
char charOfTile(int code);

// Reads and checks an ASCII level (size, legend, a start cell, a closed solid border).
LevelGrid readLevel(const std::string& path);
std::string levelToBmp(const LevelGrid& grid);
// Back from a level bitmap, checked strictly; `name` is used in error messages.
LevelGrid levelFromBmp(const std::string& bytes, const std::string& name);
std::string levelToText(const LevelGrid& grid);

}  // namespace assetgen
