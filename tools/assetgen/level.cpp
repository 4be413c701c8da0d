#include "tools/assetgen/level.hpp"

#include <stdexcept>
#include <vector>

#include "tools/assetgen/picture.hpp"
#include "tools/assetgen/source.hpp"

namespace assetgen {

namespace {

const char kLegend[] = ".#^*BX/\\89abcdeS";

// Viewer colours only: the game reads the indexes.
const std::uint32_t kLevelPalette[16] = {
    0xffffff, 0x6b4a2b, 0xe02020, 0xffd700, 0xb08050, 0xc040c0, 0x8b6b4b, 0x8b6b4b,
    0x60c060, 0xf080a0, 0xc0e0ff, 0x9a7a50, 0x40a040, 0xd0a060, 0x308030, 0x2060ff,
};

bool solid(std::uint8_t t) {
    return t == 1 || t == 4;
}

}  // namespace

int tileOfChar(char c) {
    for (int i = 0; i < 16; ++i)
        if (kLegend[i] == c) return i;
    return -1;
}

char charOfTile(int code) {
    if (code < 0 || code > 15) throw std::out_of_range("tile code " + std::to_string(code));
    return kLegend[code];
}

LevelGrid readLevel(const std::string& path) {
    Source src(path);
    const auto& lines = src.lines();
    if (lines.size() != kLevelSize)
        src.fail(static_cast<int>(lines.size()),
                 "a level has 32 lines, this one " + std::to_string(lines.size()));
    LevelGrid grid{};
    int starts = 0, stars = 0;
    for (int r = 0; r < kLevelSize; ++r) {
        const std::string& raw = lines[static_cast<std::size_t>(r)].raw;
        if (raw.size() != kLevelSize)
            src.fail(r + 1,
                     "a level line has 32 characters, this one " + std::to_string(raw.size()));
        for (int c = 0; c < kLevelSize; ++c) {
            int t = tileOfChar(raw[static_cast<std::size_t>(c)]);
            if (t < 0)
                src.fail(r + 1, std::string("column ") + std::to_string(c + 1) + ": '" +
                                    raw[static_cast<std::size_t>(c)] + "' is not in the legend");
            grid[r][c] = static_cast<std::uint8_t>(t);
            starts += t == 15;
            stars += t == 3;
        }
    }
    // The rabbit must never leave the grid: the outer ring is solid.
    for (int i = 0; i < kLevelSize; ++i) {
        if (!solid(grid[0][i]))
            src.fail(1, "column " + std::to_string(i + 1) + ": the border must be solid (# or B)");
        if (!solid(grid[kLevelSize - 1][i]))
            src.fail(kLevelSize,
                     "column " + std::to_string(i + 1) + ": the border must be solid (# or B)");
        if (!solid(grid[i][0]) || !solid(grid[i][kLevelSize - 1]))
            src.fail(i + 1, "the left and right border must be solid (# or B)");
    }
    if (starts != 1)
        src.fail(0, "a level needs exactly one start cell S, found " + std::to_string(starts));
    if (stars == 0) src.fail(0, "a level needs at least one star *");
    return grid;
}

std::string levelToBmp(const LevelGrid& grid) {
    std::vector<std::uint8_t> indexes;
    for (const auto& row : grid) indexes.insert(indexes.end(), row.begin(), row.end());
    return encodeIndexedBmp(kLevelSize, kLevelSize, indexes,
                            std::vector<std::uint32_t>(kLevelPalette, kLevelPalette + 16));
}

LevelGrid levelFromBmp(const std::string& bytes, const std::string& name) {
    auto fail = [&](const std::string& what) { throw std::runtime_error(name + ": " + what); };
    auto u32 = [&](std::size_t at) {
        if (at + 4 > bytes.size()) fail("truncated header");
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') fail("not a BMP file");
    std::uint32_t offset = u32(10), width = u32(18), height = u32(22);
    unsigned bits = u32(28) & 0xffff, compression = u32(30);
    if (width != kLevelSize || height != kLevelSize)
        fail("a level bitmap is 32 x 32, this one " + std::to_string(width) + " x " +
             std::to_string(static_cast<std::int32_t>(height)));
    if (bits != 8 || compression != 0) fail("a level bitmap is uncompressed 8-bit palette");
    if (static_cast<std::size_t>(offset) + kLevelSize * kLevelSize > bytes.size())
        fail("pixel data is cut short");
    LevelGrid grid{};
    for (int r = 0; r < kLevelSize; ++r)
        for (int c = 0; c < kLevelSize; ++c) {
            auto v = static_cast<std::uint8_t>(
                bytes[offset + static_cast<std::size_t>(kLevelSize - 1 - r) * kLevelSize + c]);
            if (v > 15)
                fail("pixel " + std::to_string(c) + "," + std::to_string(r) + " holds code " +
                     std::to_string(v) + ", above 15");
            grid[r][c] = v;
        }
    return grid;
}

std::string levelToText(const LevelGrid& grid) {
    std::string s;
    for (const auto& row : grid) {
        for (auto t : row) s.push_back(charOfTile(t));
        s.push_back('\n');
    }
    return s;
}

}  // namespace assetgen
