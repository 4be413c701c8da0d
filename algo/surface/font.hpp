#pragma once
/// @file
/// TrueType text from the game data, and picture fonts drawn one texture per character.
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
    /// The path the font was loaded from.
    std::string name;
    /// The point size.
    int size = 0;

    /// size, then hash × 9 + byte for each byte of the name (32-bit wrap-around).
    std::uint32_t hash() const;
    /// Same path and same size.
    bool operator==(const FontKey& o) const { return size == o.size && name == o.name; }
    /// By path, then by size.
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
    /// k.hash().
    std::size_t operator()(const FontKey& k) const { return k.hash(); }
};

/// The room a line of text takes, in pixels (see Font::textSize).
struct TextSize {
    /// Pixels across.
    int width = 0;
    /// Pixels down: the font's line height.
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
    /// No font loaded: every drawing call is an AssertError until load.
    Font() = default;
    /// Closes the font.
    virtual ~Font();
    /// Not copyable: the font owns its handle and bytes.
    Font(const Font&) = delete;
    /// Not copyable: the font owns its handle and bytes.
    Font& operator=(const Font&) = delete;

    /// Opens the font at `path` from the game data (see algo::read, whose errors it lets
    /// through) at `ptsize` points; a font already open is closed once the new one is. SDLError
    /// "RWopsの生成に失敗。 < " + path or "フォントの読み込みに失敗。 < " + path when SDL_ttf
    /// cannot open it; the old font stays then. Needs the engine running (an assertion error
    /// before algo::runProgram has started it).
    virtual void load(const std::string& path, int ptsize);
    /// Closes the font; nothing when none is open. After the engine's end (which closed it) it
    /// only forgets it.
    virtual void close();
    /// Draws UTF-8 text on one line with its top-left corner at (x, y) in dst's pixels, in the
    /// colour r, g, b: `solid` in that colour alone (no smoothing, fastest), else
    /// anti-aliased and blended onto dst. `a` is accepted and not used. An empty text draws
    /// nothing. An AssertError when no font is loaded; SDLError "フォントの描画に失敗。" + text
    /// when SDL_ttf cannot render it, and Texture::draw's errors.
    virtual void drawText(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                          bool solid);
    /// The text as drawText would draw it, in a new texture each call, owned by the caller
    /// (`solid`: a palette picture keyed on its background; else 32-bit with alpha); for an
    /// empty text a picture 0 pixels wide and one line high, which draws nothing. Errors as
    /// drawText's.
    virtual Texture renderText(const std::string& text, std::uint8_t r, std::uint8_t g,
                               std::uint8_t b, bool solid);
    /// SDL_ttf's handle, still owned by the font; null when none is open.
    virtual TTF_Font* font() const { return font_; }

    /// The width and height in pixels that `text` (UTF-8, one line) takes when drawn with this
    /// font: what drawText covers and renderText's picture measures. The height is the font's
    /// line height, also for an empty text, which is 0 wide. Needs a loaded font (an
    /// AssertError otherwise); SDLError "フォントの描画に失敗。" + text when SDL_ttf cannot
    /// measure it.
    TextSize textSize(const std::string& text) const;

    /// The path of the last font loaded; empty before the first.
    const std::string& name() const { return name_; }
    /// Its point size; 0 before the first load.
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
    /// Frees nothing: the textures are borrowed.
    virtual ~CharList() = default;
    /// One picture per byte of `text`, the first with its top-left at (x, y) in dst's pixels,
    /// each next one further right by the width of the one before. A character without a
    /// picture is an AssertError: the character + " が含まれていません" (pictures before it are
    /// drawn already). Texture::draw's errors pass through.
    virtual void draw(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y);

    /// The picture of each character, filled by the user; the textures are not owned.
    std::map<char, Texture*> chars;
};

/// The font module: SDL_ttf and the table of open fonts.
namespace font {
/// Every font open now, by {path, point size}; of two open under the same key, the one
/// loaded last. A font leaves the table when it closes.
const std::map<FontKey, Font*>& openFonts();
/// The module's start, run by algo::Engine: logs "Font ctor .." and starts SDL_ttf
/// (SDLError "error TTF_Init" when it will not). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: logs "Font dtor ..", closes every font still open
/// and stops SDL_ttf.
void moduleEnd();
}  // namespace font

}  // namespace algo
