#include "editor/palette.hpp"

#include <SDL.h>

#include <string>

#include "editor/textcache.hpp"
#include "editor/texts.hpp"
#include "game/levelfile.hpp"
#include "game/main.hpp"

namespace editor {

namespace {

constexpr int kTop = 44;          // first entry
constexpr int kEntryWidth = 140;  // two columns
constexpr int kEntryHeight = 58;  // eight rows
constexpr int kPicture = 32;      // a tile twice as large

int entryX(int code) {
    return Palette::kLeft + 6 + (code % 2) * kEntryWidth;
}

int entryY(int code) {
    return kTop + (code / 2) * kEntryHeight;
}

}  // namespace

int Palette::codeAt(int x, int y) const {
    for (int code = 0; code < 16; ++code) {
        const int ex = entryX(code), ey = entryY(code);
        if (x >= ex && x < ex + kEntryWidth - 4 && y >= ey && y < ey + kEntryHeight - 4)
            return code;
    }
    return -1;
}

void Palette::draw(algo::Texture& screen, TextCache& text, TextCache& heading, const Texts& texts,
                   int selected, int hover) {
    if (!tiles_[0].surface()) {
        for (int code = 0; code < 16; ++code) {
            algo::Texture one(16, 16);
            one.fill(255, 255, 255);
            SDL_Rect src{static_cast<Sint16>((code % 4) * 16), static_cast<Sint16>((code / 4) * 16),
                         16, 16};
            game::mapTexture().draw(&src, one, 0, 0);
            tiles_[code].create(kPicture, kPicture);
            one.drawZoom(nullptr, tiles_[code], 0, 0, 2.0, false);
        }
    }
    screen.drawRect(kLeft, 0, kLeft + kWidth - 1, 511, 236, 232, 222, 255, true);
    screen.drawLine(kLeft, 0, kLeft, 511, 120, 110, 100, 255);
    heading.draw(texts.get("palette"), screen, kLeft + 12, 6, 60, 50, 40);
    for (int code = 0; code < 16; ++code) {
        const int x = entryX(code), y = entryY(code);
        const auto x0 = static_cast<std::int16_t>(x), y0 = static_cast<std::int16_t>(y);
        const auto x1 = static_cast<std::int16_t>(x + kEntryWidth - 5);
        const auto y1 = static_cast<std::int16_t>(y + kEntryHeight - 5);
        if (code == selected) {
            screen.drawRect(x0, y0, x1, y1, 255, 214, 90, 255, true);
            screen.drawRect(x0, y0, x1, y1, 150, 100, 20, 255, false);
        } else if (code == hover) {
            screen.drawRect(x0, y0, x1, y1, 250, 246, 236, 255, true);
            screen.drawRect(x0, y0, x1, y1, 170, 160, 150, 255, false);
        }
        const int px = x + 6, py = y + (kEntryHeight - 4 - kPicture) / 2;
        screen.drawRect(static_cast<std::int16_t>(px - 1), static_cast<std::int16_t>(py - 1),
                        static_cast<std::int16_t>(px + kPicture),
                        static_cast<std::int16_t>(py + kPicture), 120, 110, 100, 255, false);
        tiles_[code].draw(nullptr, screen, static_cast<std::int16_t>(px),
                          static_cast<std::int16_t>(py));
        const int tx = px + kPicture + 8;
        text.draw(
            text.fit(texts.get("tiles", static_cast<std::size_t>(code)), x + kEntryWidth - 8 - tx),
            screen, tx, y + 12, 30, 25, 20);
        const std::string legend =
            std::to_string(code) + "   " + game::tileChar(static_cast<std::uint8_t>(code));
        text.draw(legend, screen, tx, y + 30, 130, 120, 110);
    }
}

}  // namespace editor
