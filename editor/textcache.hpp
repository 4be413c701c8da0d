#pragma once
// Lines of TrueType text rendered once and drawn from then on.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "algo/surface/font.hpp"
#include "algo/surface/texture.hpp"

namespace editor {

/// Draws lines of text with a font, keeping each rendered line (text, colour) for the next
/// frames, so that a frame costs blits, not glyph rendering. Borrows the font; holds at most
/// kLines pictures and starts afresh beyond.
///
/// @code
/// editor::TextCache text(font);
/// text.draw("Stars 3", screen, 8, 520, 255, 255, 255);  // rendered the first time only
/// int w = text.width("Stars 3");
/// @endcode
class TextCache {
  public:
    static constexpr std::size_t kLines = 256;

    explicit TextCache(algo::Font& font) : font_(font) {}

    /// Top-left corner at (x, y); returns the width drawn.
    int draw(const std::string& text, algo::Texture& target, int x, int y, std::uint8_t r,
             std::uint8_t g, std::uint8_t b);
    int width(const std::string& text) const { return font_.textSize(text).width; }
    int height() const { return font_.textSize("").height; }
    /// The longest start of `text` (whole UTF-8 characters) that fits in `width` pixels,
    /// with "..." at its end when it was cut.
    std::string fit(const std::string& text, int width) const;

  private:
    algo::Font& font_;
    std::map<std::tuple<std::string, std::uint8_t, std::uint8_t, std::uint8_t>, algo::Texture>
        lines_;
};

}  // namespace editor
