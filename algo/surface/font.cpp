#include "algo/surface/font.hpp"

#include <memory>
#include <set>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace font {
namespace {
std::map<FontKey, Font*> table;
// Every font with an open handle (the table keeps only the latest of equal keys).
std::set<Font*> live;
// Holds rendered text for the length of one drawText.
std::unique_ptr<Texture> scratch;
// True from TTF_Init to TTF_Quit. A plain flag, readable after the tables above are destroyed.
bool running = false;
}  // namespace

const std::map<FontKey, Font*>& openFonts() {
    return table;
}

void moduleStart() {
    log("Font ctor ..");
    SDL_ClearError();
    if (TTF_Init() != 0) throw SDLError("error TTF_Init");
    running = true;
    scratch = std::make_unique<Texture>();
}

void moduleEnd() {
    log("Font dtor ..");
    // Fonts that outlive the engine are closed while the library can still close them.
    const std::vector<Font*> open(live.begin(), live.end());
    for (Font* f : open) f->close();
    scratch.reset();
    running = false;
    TTF_Quit();
}

}  // namespace font

std::uint32_t FontKey::hash() const {
    std::uint32_t h = static_cast<std::uint32_t>(size);
    for (unsigned char c : name) h = h * 9 + c;
    return h;
}

Font::~Font() {
    close();
}

void Font::load(const std::string& path, int ptsize) {
    BASIC_ASSERT(logger::running(), "Font.load(" + path +
                                        ") before algo::runProgram started the engine: load "
                                        "fonts inside the program's body");
    auto bytes = read(path);
    SDL_ClearError();
    SDL_RWops* rw = SDL_RWFromMem(static_cast<void*>(bytes.data()), static_cast<int>(bytes.size()));
    if (!rw) throw SDLError("RWopsの生成に失敗。 < " + path);
    TTF_Font* opened = TTF_OpenFontRW(rw, 1, ptsize);
    if (!opened) throw SDLError("フォントの読み込みに失敗。 < " + path);
    close();  // an earlier font would otherwise leak
    font_ = opened;
    bytes_ = std::move(bytes);  // moving keeps the buffer the stream points into
    name_ = path;
    size_ = ptsize;
    font::table[FontKey{name_, size_}] = this;
    font::live.insert(this);
}

void Font::close() {
    if (!font::running) {
        // After the module's end (a Font at namespace scope): the end closed the handle, and
        // the tables may already be destroyed.
        font_ = nullptr;
        bytes_.clear();
        return;
    }
    auto it = font::table.find(FontKey{name_, size_});
    // Another font loaded under the same key owns the entry now.
    if (it != font::table.end() && it->second == this) font::table.erase(it);
    if (font_) {
        TTF_CloseFont(font_);
        font_ = nullptr;
    }
    font::live.erase(this);
    bytes_.clear();
}

TextSize Font::textSize(const std::string& text) const {
    BASIC_ASSERT(font_ != nullptr, "textSize of a font that is not loaded");
    TextSize size;
    if (text.empty()) {
        size.height = TTF_FontHeight(font_);
        return size;
    }
    SDL_ClearError();
    if (TTF_SizeUTF8(font_, text.c_str(), &size.width, &size.height) != 0)
        throw SDLError("フォントの描画に失敗。" + text);
    return size;
}

SDL_Surface* Font::render(const std::string& text, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          bool solid) {
    BASIC_ASSERT(font_ != nullptr, "text rendered with a font that is not loaded");
    SDL_ClearError();
    if (text.empty()) {
        // SDL_ttf refuses a text of no width; an empty label is a picture of no width.
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, TTF_FontHeight(font_), 32,
                                              0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
        if (!s) throw SDLError("フォントの描画に失敗。");
        return s;
    }
    SDL_Color colour{r, g, b, 0};
    SDL_Surface* s = solid ? TTF_RenderUTF8_Solid(font_, text.c_str(), colour)
                           : TTF_RenderUTF8_Blended(font_, text.c_str(), colour);
    if (!s) throw SDLError("フォントの描画に失敗。" + text);
    return s;
}

void Font::drawText(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y,
                    std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t, bool solid) {
    BASIC_ASSERT(font::scratch != nullptr, "font module not started");
    BASIC_ASSERT(font_ != nullptr, "text drawn with a font that is not loaded");
    if (text.empty()) return;  // an empty label draws nothing
    Texture& t = *font::scratch;
    t.setSurface(render(text, r, g, b, solid));
    struct Free {
        Texture& t;
        ~Free() { t.freeSurface(); }
    } freeAfter{t};
    t.draw(nullptr, dst, x, y);
}

Texture Font::renderText(const std::string& text, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                         bool solid) {
    Texture t;
    t.setSurface(render(text, r, g, b, solid));
    return t;
}

void CharList::draw(const std::string& text, Texture& dst, std::int16_t x, std::int16_t y) {
    for (char c : text) {
        auto it = chars.find(c);
        BASIC_ASSERT(it != chars.end() && it->second != nullptr,
                     std::string(1, c) + " が含まれていません");
        it->second->draw(nullptr, dst, x, y);
        x = static_cast<std::int16_t>(x + it->second->width());
    }
}

}  // namespace algo
