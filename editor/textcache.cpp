#include "editor/textcache.hpp"

namespace editor {

int TextCache::draw(const std::string& text, algo::Texture& target, int x, int y, std::uint8_t r,
                    std::uint8_t g, std::uint8_t b) {
    if (text.empty()) return 0;
    auto key = std::make_tuple(text, r, g, b);
    auto it = lines_.find(key);
    if (it == lines_.end()) {
        if (lines_.size() >= kLines) lines_.clear();
        // Solid: the pixel font is drawn on whole pixels, and its edges stay crisp.
        it = lines_.emplace(std::move(key), font_.renderText(text, r, g, b, true)).first;
    }
    it->second.draw(nullptr, target, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    return it->second.width();
}

std::string TextCache::fit(const std::string& text, int width) const {
    if (font_.textSize(text).width <= width) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Back by one whole character.
        std::size_t at = cut.size() - 1;
        while (at > 0 && (static_cast<unsigned char>(cut[at]) & 0xC0) == 0x80) --at;
        cut.resize(at);
        if (font_.textSize(cut + "...").width <= width) return cut + "...";
    }
    return "...";
}

}  // namespace editor
