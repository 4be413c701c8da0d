#pragma once
// TrueType text from the game data, and picture fonts drawn one texture per character.
#include <SDL_ttf.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "algo/surface/texture.hpp"

namespace algo {

/// The path and point size an open font is known by in the module's table of open fonts.
///
/// @code
/// const auto& open = algo::font::openFonts();
/// bool loaded = open.count(algo::FontKey{"data/sans.ttf", 16}) != 0;
/// @endcode
struct FontKey {
    std::string name;
    int size = 0;

    // size, then hash × 9 + byte for each byte of the name (32-bit wrap-around).
    std::uint32_t hash() const;
    bool operator==(const FontKey& o) const { return size == o.size && name == o.name; }
    bool operator<(const FontKey& o) const {
        return name != o.name ? name < o.name : size < o.size;
    }
};

/// Hashes a FontKey for unordered containers.
///
/// @code
/// std::unordered_map<algo::FontKey, int, algo::FontKeyHash> uses;
/// @endcode
struct FontKeyHash {
    std::size_t operator()(const FontKey& k) const { return k.hash(); }
};

/// The room a line of text takes, in pixels (see Font::textSize).
struct TextSize {
    int width = 0;
    int height = 0;
};

/// A TrueType font read from the game data, rendering UTF-8 text solid or anti-aliased onto a
/// texture or into a new one. The font owns its handle and the file's bytes; renderText hands
/// the new texture to the caller. A font still open when the engine ends is closed then, so
/// one kept past the end is harmless, but it draws nothing afterwards.
///
/// @code
/// algo::Font font;
/// font.load("data/sans.ttf", 16);
/// font.drawText("Hello", algo::Display_::instance(), 10, 10, 255, 255, 255, 255, false);
/// algo::Texture label = font.renderText("Score", 255, 200, 0, true);  // yours to keep
/// algo::TextSize room = font.textSize("Game over");                  // to centre it
/// font.drawText("Game over", screen, (512 - room.width) / 2, 200, 255, 255, 255, 255, false);
/// @endcode
class Font {
  public:
    Font() = default;
    virtual ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Opens the font from the game data; a font already open is closed once the new one is.
    // Needs the engine running (an assertion error before algo::runProgram has started it).
    virtual void load(const std::string& path, int ptsize);
    virtual void close();
    // Top-left corner of the text at (x, y); `a` is accepted and not used. An empty text draws
    // nothing.
    virtual void drawText(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                          bool solid);
    // A new texture each call, owned by the caller; for an empty text a picture 0 pixels wide
    // and one line high, which draws nothing.
    virtual Texture renderText(const std::string& text, std::uint8_t r, std::uint8_t g,
                               std::uint8_t b, bool solid);
    virtual TTF_Font* font() const { return font_; }

    /// The width and height in pixels that `text` (UTF-8, one line) takes when drawn with this
    /// font: what drawText covers and renderText's picture measures. The height is the font's
    /// line height, also for an empty text, which is 0 wide. Needs a loaded font.
    TextSize textSize(const std::string& text) const;

    const std::string& name() const { return name_; }
    int size() const { return size_; }

  private:
    SDL_Surface* render(const std::string& text, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        bool solid);

    TTF_Font* font_ = nullptr;
    std::string name_;
    int size_ = 0;
    // The library reads from these for as long as the font is open.
    std::vector<std::uint8_t> bytes_;
};

/// A picture font: one texture per character, drawn side by side. It borrows the textures:
/// they must outlive it.
///
/// @code
/// algo::CharList digits;
/// for (char c = '0'; c <= '9'; ++c) digits.chars[c] = &digitPictures[c - '0'];
/// digits.draw("120", algo::Display_::instance(), 400, 8);
/// @endcode
class CharList {
  public:
    virtual ~CharList() = default;
    // One picture per character, advancing x by each picture's width.
    virtual void draw(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y);

    // Filled by the user; the textures are not owned.
    std::map<char, Texture*> chars;
};

namespace font {
// Every font opened so far, by {path, point size}.
const std::map<FontKey, Font*>& openFonts();
void moduleStart();
void moduleEnd();
}  // namespace font

}  // namespace algo
