#pragma once
// A TrueType font from a pixel design: every ink pixel of a glyph grid becomes part of a square
// outline, so the font renders crisply at point sizes that are whole multiples of its grid.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace assetgen {

struct Glyph {
    std::vector<std::string> rows;  // top first; '#' ink, '.' paper
    int y = 0;                      // design pixel row of the bottom grid row (negative: below)
    int advance = 0;                // design pixels
    int line = 0;                   // where the glyph is defined in its source
};

struct FontDesign {
    std::string name;
    int em = 16;  // design pixels per em
    int ascent = 13;
    int descent = 3;
    std::map<char32_t, Glyph> glyphs;
};

FontDesign readFontDesign(const std::string& path);

// The TrueType file (glyph 0 is a hollow box for characters the design lacks).
std::string encodeTtf(const FontDesign& design);

// Every character of the UTF-8 text file at `path` (line breaks and tabs aside) must have a
// glyph; the first that has none is a SourceError at its line in that file.
void checkCoverage(const FontDesign& design, const std::string& fontPath, const std::string& path);

// Decodes UTF-8; false on a malformed sequence.
bool decodeUtf8(const std::string& text, std::vector<char32_t>& out);

}  // namespace assetgen
