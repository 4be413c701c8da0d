#pragma once
// Pictures from text: palette characters, character grids, simple shapes and lettering,
// written as BMP files (8-bit palette when colour-keyed, 24-bit otherwise).
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Image {
    int width = 0;
    int height = 0;
    bool keyed = false;              // colour key = the top-left pixel's colour
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row-major
};

// Runs a picture source; `argument` replaces "$1" in its words (one source, many digits).
Image renderPicture(const std::string& path, const std::string& argument);

// BMP bytes: 8-bit palette (key colour at index 0) for keyed images, 24-bit otherwise.
// A keyed image with more than 256 colours is refused (std::runtime_error).
std::string encodeBmp(const Image& image);

// An 8-bit palette BMP from indexes and a palette of up to 256 colours.
std::string encodeIndexedBmp(int width, int height, const std::vector<std::uint8_t>& indexes,
                             const std::vector<std::uint32_t>& palette);

}  // namespace assetgen
