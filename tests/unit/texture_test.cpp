#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "algo/surface/display.hpp"
#include "algo/surface/private/blit.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"
#include "tests/support/pixels.hpp"
#include "tests/support/testenv.hpp"

namespace {

using pixels::RGB;
const RGB kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0},
    kBlue{0, 0, 255}, kMagenta{255, 0, 255}, kYellow{255, 255, 0};

// The fixed message, and (when given) a piece of the reason the logged line shows, which
// must be this failure's own: an earlier call's reason never shows through.
void expectSDLError(const std::function<void()>& f, const std::string& message,
                    const std::string& reason = {}) {
    SDL_SetError("Surface doesn't have a colorkey");  // left over from elsewhere
    try {
        f();
        ADD_FAILURE() << "no SDLError, expected " << message;
    } catch (const algo::SDLError& e) {
        EXPECT_EQ(std::string(e.what()), message);
        EXPECT_EQ(e.toString().find("colorkey"), std::string::npos) << e.toString();
        EXPECT_NE(e.toString().find(reason), std::string::npos) << e.toString();
    }
}

algo::Display_& screen() {
    auto& d = algo::Display_::instance();
    if (!d.surface() || d.width() != 512 || d.bitsPerPixel() != 16)
        d.setVideoMode(512, 512, 16, false);
    return d;
}

algo::Texture blank(int w, int h, RGB c) {
    screen();
    algo::Texture t(w, h);
    t.fill(c.r, c.g, c.b);
    return t;
}

algo::Texture solid16(int w, int h, RGB c) {
    algo::Texture t;
    t.setSurface(pixels::rgb16(w, h, c));
    return t;
}

// Lines the display writes to the log after the point `from`.
std::string logSince(std::size_t from) {
    return testenv::logText().substr(from);
}

TEST(Display, StartUpLogsTheModulesAndTheModeList) {
    std::string log = testenv::logText();
    auto tex = log.find("Texture ctor ..\n"), disp = log.find("Display ctor ..\n"),
         font = log.find("Font ctor ..\n");
    ASSERT_NE(tex, std::string::npos);
    ASSERT_NE(disp, std::string::npos);
    EXPECT_LT(tex, disp);
    EXPECT_LT(disp, font);
    std::string after = log.substr(disp);
    bool listed = after.find("-----利用可能なモード\n") != std::string::npos &&
                  after.find(": -----\n") != std::string::npos;
    bool other = after.find("全解像度が利用可能です。\n") != std::string::npos ||
                 after.find("利用可能なモードがない。\n") != std::string::npos;
    EXPECT_TRUE(listed != other) << after;
}

TEST(Display, LogsRequestedAndGrantedFlagsWithTheLegendEveryTime) {
    auto& d = algo::Display_::instance();
    EXPECT_EQ(algo::display::requestFlags(16, false), 0u);
    EXPECT_EQ(algo::display::requestFlags(16, true), 0x80000000u);
    EXPECT_EQ(algo::display::requestFlags(8, true), 0xA0000000u);

    const char* legend[] = {"SDL_SWSURFACE: 00000000\n",
                            "SDL_HWSURFACE | SDL_DOUBLEBUF: 40000001\n", "SDL_OPENGL: 00000002\n",
                            "SDL_HWPALETTE: 20000000\n", "SDL_FULLSCREEN: 80000000\n"};
    struct Case {
        int bpp;
        bool full;
        const char* requested;
    } cases[] = {{16, false, "00000000"},
                 {16, true, "80000000"},
                 {8, true, "A0000000"},
                 {16, false, "00000000"}};
    for (const Case& c : cases) {
        auto from = testenv::logText().size();
        d.setVideoMode(512, 512, c.bpp, c.full);
        ASSERT_NE(d.surface(), nullptr);
        EXPECT_EQ(d.surface(), SDL_GetVideoSurface());
        char granted[16];
        std::snprintf(granted, sizeof granted, "%08X", static_cast<unsigned>(d.surface()->flags));
        std::string log = logSince(from);
        auto head = log.find(": フラグ要求 ⇒ 結果\n");
        ASSERT_NE(head, std::string::npos) << log;
        EXPECT_NE(log.find(std::string(": ") + c.requested + " ⇒ " + granted + "\n"),
                  std::string::npos)
            << log;
        for (const char* line : legend) EXPECT_NE(log.find(line), std::string::npos) << line;
        EXPECT_EQ(d.width(), 512);
        EXPECT_EQ(d.bitsPerPixel(), c.bpp);
    }
    EXPECT_EQ(d.bitsPerPixel(), 16);
}

TEST(Display, CaptionFlipAndTheScreenIsNeverFreedHere) {
    auto& d = screen();
    EXPECT_EQ(d.caption(), "");
    d.setCaption("ぴょん");
    EXPECT_EQ(d.caption(), "ぴょん");
    d.fill(1, 2, 3);
    d.flip();
    d.updateRect(0, 0, 10, 10);

    // The surface-replacing texture operations are refused and the screen stays.
    SDL_Surface* s = d.surface();
    EXPECT_THROW(d.freeSurface(), basic::AssertError);
    EXPECT_THROW(d.loadimg("data/none.bmp"), basic::AssertError);
    EXPECT_THROW(d.create(4, 4), basic::AssertError);
    EXPECT_EQ(d.surface(), s);

    // A display object going away leaves its surface alone.
    struct Probe : algo::Display_ {
        using algo::Texture::adoptSurface;
    };
    SDL_Surface* own = pixels::rgb16(4, 4, kRed);
    {
        Probe p;
        p.adoptSurface(own);
    }
    EXPECT_EQ(own->refcount, 1);
    EXPECT_EQ(pixels::at(own, 3, 3), kRed);
    SDL_FreeSurface(own);
}

TEST(Display, FlipBeforeAnyModeIsAnErrorNotACrash) {
    struct Probe : algo::Display_ {};
    Probe p;
    expectSDLError([&] { p.flip(); }, "フリップできませんでした。orz", "setVideoMode comes first");
}

TEST(Display, WindowScaleIsTheLargestThatFitsNinetyPercentOfTheDesktop) {
    using algo::display::fittingScale;
    EXPECT_EQ(fittingScale(512, 512, 1280, 1280, 4), 2);
    EXPECT_EQ(fittingScale(512, 512, 2560, 1440, 4), 2);
    EXPECT_EQ(fittingScale(512, 512, 3840, 2160, 4), 3);
    EXPECT_EQ(fittingScale(512, 512, 7680, 4320, 4), 4);  // no larger than asked
    EXPECT_EQ(fittingScale(512, 512, 1920, 1080, 4), 1);
    // 1024 is 90 % of 1137.8: the boundary in either direction, and in either dimension.
    EXPECT_EQ(fittingScale(512, 512, 1138, 1138, 4), 2);
    EXPECT_EQ(fittingScale(512, 512, 1137, 4000, 4), 1);
    EXPECT_EQ(fittingScale(512, 512, 4000, 1137, 4), 1);
    EXPECT_EQ(fittingScale(512, 512, 320, 200, 4), 1);  // even 1 does not fit: still 1
}

TEST(Texture, CreateUsesTheScreenFormatAndEmptyTexturesAreRefused) {
    auto t = blank(20, 10, kBlue);
    EXPECT_EQ(t.width(), 20);
    EXPECT_EQ(t.height(), 10);
    EXPECT_EQ(t.bitsPerPixel(), 16);
    EXPECT_EQ(t.bytesPerPixel(), 2);
    EXPECT_GE(t.pitch(), 40);
    EXPECT_EQ(t.surface()->format->Rmask, screen().surface()->format->Rmask);
    EXPECT_EQ(pixels::at(t, 19, 9), kBlue);
    EXPECT_TRUE(t.sameFormat(screen()));
    algo::Texture fifteen;
    fifteen.setSurface(SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 15, 0x7C00, 0x03E0, 0x001F, 0));
    EXPECT_FALSE(fifteen.sameFormat(t));

    algo::Texture moved(std::move(t));
    EXPECT_EQ(t.surface(), nullptr);
    EXPECT_EQ(moved.width(), 20);

    algo::Texture empty;
    EXPECT_EQ(empty.width(), 0);
    EXPECT_EQ(empty.pitch(), 0);
    EXPECT_FALSE(empty.sameFormat(moved));
    EXPECT_FALSE(moved.sameFormat(empty));
    const std::string isEmpty = "the texture is empty";
    expectSDLError([&] { empty.fill(1, 2, 3); }, "塗りつぶし失敗。", isEmpty);
    expectSDLError([&] { empty.setAlpha(3); }, "アルファブレンディングの設定に失敗。", isEmpty);
    expectSDLError([&] { empty.lock(); }, "サーフェスのロックに失敗。", isEmpty);
    expectSDLError([&] { empty.setColorKey(1, 2, 3, true); }, "カラーキーの設定に失敗。", isEmpty);
    expectSDLError([&] { empty.toDisplayFormat(); }, "コンバートに失敗。", isEmpty);
    expectSDLError([&] { empty.draw(nullptr, moved, 0, 0); }, "error SDL_BlitSurface",
                   "nothing to draw: " + isEmpty);
    expectSDLError([&] { moved.draw(nullptr, empty, 0, 0); }, "error SDL_BlitSurface",
                   "nowhere to draw: " + isEmpty);
    expectSDLError([&] { empty.drawZoom(nullptr, moved, 0, 0, 2.0, true); },
                   "error SDL_BlitSurface");
    expectSDLError([&] { empty.drawMirror(nullptr, moved, 0, 0, true); }, "error SDL_BlitSurface",
                   "nothing to draw");
    empty.drawLine(0, 0, 5, 5, 1, 1, 1, 255);  // primitives on nothing draw nothing
    EXPECT_EQ(pixels::at(moved, 0, 0), kBlue);
}

TEST(Texture, EightBitKeyFromTheTopLeftPixelMakesThatIndexTransparent) {
    SDL_Surface* s = pixels::palette8(4, 4, {kMagenta, kGreen, kYellow}, 0);
    pixels::set8(s, 1, 1, 1);
    pixels::set8(s, 2, 2, 2);
    pixels::saveBMP(s, "key8.bmp");

    algo::Texture t("key8.bmp");
    ASSERT_EQ(t.bytesPerPixel(), 1);
    t.setColorKeyFromPixel(true);
    EXPECT_TRUE(t.surface()->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(t.surface()->format->colorkey, 0u);
    EXPECT_FALSE(t.sameFormat(t));  // palette pictures are mapped through their palette

    auto dst = blank(8, 8, kWhite);
    t.draw(nullptr, dst, 2, 2);
    EXPECT_EQ(pixels::at(dst, 2, 2), kWhite);
    EXPECT_EQ(pixels::at(dst, 5, 5), kWhite);
    EXPECT_EQ(pixels::at(dst, 3, 3), kGreen);
    EXPECT_EQ(pixels::at(dst, 4, 4), kYellow);

    t.setColorKeyFromPixel(false);  // key off again: everything is copied
    t.draw(nullptr, dst, 2, 2);
    EXPECT_EQ(pixels::at(dst, 2, 2), kMagenta);
}

TEST(Texture, SixteenBitKeyIsTheExactRawValueOfTheTopLeftPixel) {
    SDL_Surface* s = pixels::rgb16(4, 1, kBlack);
    auto* p = static_cast<Uint16*>(s->pixels);
    p[0] = 0x0841;  // the key
    p[1] = 0x0842;  // one bit away: must still be copied
    p[2] = 0x0841;
    p[3] = 0xF800;
    algo::Texture t;
    t.setSurface(s);
    t.setColorKeyFromPixel(true);
    EXPECT_EQ(t.surface()->format->colorkey, 0x0841u);

    algo::Texture dst;
    dst.setSurface(pixels::rgb16(4, 1, kWhite));
    t.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::raw(dst.surface(), 0, 0), 0xFFFFu);
    EXPECT_EQ(pixels::raw(dst.surface(), 1, 0), 0x0842u);
    EXPECT_EQ(pixels::raw(dst.surface(), 2, 0), 0xFFFFu);
    EXPECT_EQ(pixels::raw(dst.surface(), 3, 0), 0xF800u);
}

TEST(Texture, ThreeBytesPerPixelIsRefusedUntilConverted) {
    screen();
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->format->BytesPerPixel, 3);
    pixels::fillRect(s, 0, 0, 4, 4, kRed);
    pixels::fillRect(s, 0, 0, 1, 1, kGreen);
    pixels::saveBMP(s, "rgb24.bmp");

    algo::Texture t("rgb24.bmp");
    ASSERT_EQ(t.bytesPerPixel(), 3);
    // The picture is named, and the way out.
    expectSDLError([&] { t.setColorKeyFromPixel(true); }, "ピクセルフォーマットが変。",
                   "rgb24.bmp: 24-bit pixels (3 bytes); a colour key from a pixel needs 1, 2 or 4 "
                   "bytes per pixel: call toDisplayFormat() first");
    EXPECT_EQ(t.surface()->locked, 0);  // not left locked by the failure
    EXPECT_FALSE(t.surface()->flags & SDL_SRCCOLORKEY);

    t.toDisplayFormat();
    EXPECT_EQ(t.bytesPerPixel(), 2);
    EXPECT_EQ(t.path(), "rgb24.bmp");  // the same picture, converted
    t.setColorKeyFromPixel(true);
    auto dst = blank(4, 4, kBlue);
    t.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 0, 0), kBlue);
    EXPECT_EQ(pixels::at(dst, 1, 0), kRed);
}

TEST(Texture, AlphaBelow255BlendsAnd255SwitchesItOff) {
    auto red = solid16(4, 4, kRed);
    red.setAlpha(254);
    EXPECT_TRUE(red.surface()->flags & SDL_SRCALPHA);
    EXPECT_EQ(red.surface()->format->alpha, 254);

    red.setAlpha(128);
    auto dst = blank(4, 4, kBlack);
    red.draw(nullptr, dst, 0, 0);
    RGB half = pixels::at(dst, 1, 1);
    EXPECT_GT(half.r, 100);
    EXPECT_LT(half.r, 160);
    EXPECT_EQ(half.g, 0);

    red.setAlpha(255);
    EXPECT_FALSE(red.surface()->flags & SDL_SRCALPHA);
    dst.fill(0, 0, 0);
    red.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 1, 1), kRed);
}

TEST(Texture, BlitsAreClippedToTheTargetAndItsClipRectangle) {
    auto red = solid16(16, 16, kRed);
    auto dst = blank(32, 32, kBlack);
    red.draw(nullptr, dst, -8, -8);
    EXPECT_EQ(pixels::at(dst, 0, 0), kRed);
    EXPECT_EQ(pixels::at(dst, 7, 7), kRed);
    EXPECT_EQ(pixels::at(dst, 8, 8), kBlack);

    red.draw(nullptr, dst, 28, 28);  // hangs off the bottom right
    EXPECT_EQ(pixels::at(dst, 31, 31), kRed);
    EXPECT_EQ(pixels::at(dst, 27, 27), kBlack);

    dst.fill(0, 0, 0);
    SDL_Rect clip{10, 10, 4, 4};
    dst.setClipRect(&clip);
    red.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 9, 9), kBlack);
    EXPECT_EQ(pixels::at(dst, 10, 10), kRed);
    EXPECT_EQ(pixels::at(dst, 13, 13), kRed);
    EXPECT_EQ(pixels::at(dst, 14, 14), kBlack);
    dst.setClipRect(nullptr);
    red.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 15, 15), kRed);

    // A source rectangle picks the part; the caller's rectangle is left as it was.
    SDL_Surface* two = pixels::rgb16(8, 4, kGreen);
    pixels::fillRect(two, 4, 0, 4, 4, kBlue);
    algo::Texture src;
    src.setSurface(two);
    dst.fill(0, 0, 0);
    SDL_Rect part{4, 0, 4, 4};
    src.draw(&part, dst, -2, 20);
    EXPECT_EQ(part.x, 4);
    EXPECT_EQ(part.w, 4);
    EXPECT_EQ(pixels::at(dst, 0, 20), kBlue);
    EXPECT_EQ(pixels::at(dst, 1, 23), kBlue);
    EXPECT_EQ(pixels::at(dst, 2, 20), kBlack);
}

TEST(Texture, MirrorReversesColumnsOrRowsWithTheCornerAtXY) {
    const RGB cols[] = {kRed, kGreen, kBlue, kYellow};
    SDL_Surface* s = pixels::rgb16(4, 4, kBlack);
    for (int i = 0; i < 4; ++i) {
        pixels::fillRect(s, i, 0, 1, 4, cols[i]);  // columns
    }
    algo::Texture t;
    t.setSurface(s);
    auto dst = blank(20, 20, kWhite);
    t.drawMirror(nullptr, dst, 10, 5, true);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(pixels::at(dst, 10 + 3 - i, 6), cols[i]) << i;
    EXPECT_EQ(pixels::at(dst, 9, 6), kWhite);
    EXPECT_EQ(pixels::at(dst, 14, 6), kWhite);

    SDL_Rect mid{1, 0, 2, 1};  // columns 1 and 2 of the top row
    dst.fill(255, 255, 255);
    t.drawMirror(&mid, dst, 0, 0, true);
    EXPECT_EQ(pixels::at(dst, 0, 0), kBlue);
    EXPECT_EQ(pixels::at(dst, 1, 0), kGreen);
    EXPECT_EQ(pixels::at(dst, 2, 0), kWhite);
    EXPECT_EQ(pixels::at(dst, 0, 1), kWhite);

    SDL_Surface* r = pixels::rgb16(4, 4, kBlack);
    for (int i = 0; i < 4; ++i) pixels::fillRect(r, 0, i, 4, 1, cols[i]);  // rows
    t.setSurface(r);
    dst.fill(255, 255, 255);
    t.drawMirror(nullptr, dst, 3, 7, false);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(pixels::at(dst, 4, 7 + 3 - i), cols[i]) << i;
    EXPECT_EQ(pixels::at(dst, 4, 6), kWhite);
    EXPECT_EQ(pixels::at(dst, 4, 11), kWhite);
}

TEST(Texture, ZoomDoublesTheCoveredAreaAndRotationTurnsIt) {
    auto green = solid16(8, 8, kGreen);
    auto dst = blank(64, 64, kBlack);
    green.drawZoom(nullptr, dst, 5, 5, 2.0, false);
    EXPECT_EQ(pixels::at(dst, 5, 5), kGreen);
    EXPECT_EQ(pixels::at(dst, 20, 20), kGreen);
    EXPECT_EQ(pixels::at(dst, 21, 20), kBlack);
    EXPECT_EQ(pixels::at(dst, 20, 21), kBlack);
    EXPECT_EQ(pixels::at(dst, 4, 5), kBlack);
    // A copy too large to make is named as such, not as an empty picture.
    expectSDLError([&] { green.drawZoom(nullptr, dst, 0, 0, 1e6, false); }, "error SDL_BlitSurface",
                   "no zoomed copy at zoom");

    // A wide bar turned by 90 degrees stands upright.
    auto bar = solid16(16, 2, kGreen);
    dst.fill(0, 0, 0);
    bar.drawRotate(nullptr, dst, 10, 10, 90.0, false);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (pixels::at(dst, x, y) == kGreen) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_GE(minX, 10);
    EXPECT_GE(minY, 10);
    EXPECT_GE(maxY - minY, 14);
    EXPECT_LE(maxX - minX, 3);
}

TEST(Texture, LinesVerticalHorizontalDiagonalAndPoint) {
    auto dst = blank(32, 32, kBlack);
    auto count = [&] {
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) n += pixels::at(dst, x, y) == kWhite;
        return n;
    };
    dst.drawLine(5, 2, 5, 8, 255, 255, 255, 255);  // vertical
    EXPECT_EQ(count(), 7);
    EXPECT_EQ(pixels::at(dst, 5, 2), kWhite);
    EXPECT_EQ(pixels::at(dst, 5, 8), kWhite);

    dst.fill(0, 0, 0);
    dst.drawLine(9, 4, 3, 4, 255, 255, 255, 255);  // horizontal, drawn right to left
    EXPECT_EQ(count(), 7);
    EXPECT_EQ(pixels::at(dst, 3, 4), kWhite);
    EXPECT_EQ(pixels::at(dst, 9, 4), kWhite);

    dst.fill(0, 0, 0);
    dst.drawLine(0, 0, 7, 7, 255, 255, 255, 255);  // diagonal
    EXPECT_EQ(count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pixels::at(dst, i, i), kWhite);

    dst.fill(0, 0, 0);
    dst.drawLine(12, 13, 12, 13, 255, 255, 255, 255);  // both ends equal: one point
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(pixels::at(dst, 12, 13), kWhite);
}

TEST(Texture, RectanglesEllipsesAndTheBuiltInFont) {
    auto dst = blank(64, 64, kBlack);
    dst.drawRect(10, 10, 15, 15, 255, 0, 0, 255, false);
    EXPECT_EQ(pixels::at(dst, 10, 12), kRed);
    EXPECT_EQ(pixels::at(dst, 15, 15), kRed);
    EXPECT_EQ(pixels::at(dst, 12, 12), kBlack);
    dst.drawRect(10, 10, 15, 15, 255, 0, 0, 255, true);
    EXPECT_EQ(pixels::at(dst, 12, 12), kRed);
    EXPECT_EQ(pixels::at(dst, 16, 12), kBlack);

    dst.fill(0, 0, 0);
    dst.drawEllipse(30, 30, 5, 5, 0, 255, 0, 255, true);  // equal radii: a circle
    EXPECT_EQ(pixels::at(dst, 25, 30), kGreen);
    EXPECT_EQ(pixels::at(dst, 30, 35), kGreen);
    EXPECT_EQ(pixels::at(dst, 24, 30), kBlack);
    EXPECT_EQ(pixels::at(dst, 30, 36), kBlack);
    dst.fill(0, 0, 0);
    dst.drawEllipse(30, 30, 8, 3, 0, 255, 0, 255, false);
    EXPECT_EQ(pixels::at(dst, 22, 30), kGreen);
    EXPECT_EQ(pixels::at(dst, 30, 27), kGreen);
    EXPECT_EQ(pixels::at(dst, 30, 30), kBlack);
    EXPECT_EQ(pixels::at(dst, 30, 26), kBlack);

    dst.fill(0, 0, 0);
    dst.drawString(40, 40, "H", 255, 255, 255, 255);
    int inside = 0, outside = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (pixels::at(dst, x, y) == kWhite)
                (x >= 40 && x < 48 && y >= 40 && y < 48 ? inside : outside)++;
    EXPECT_GT(inside, 8);
    EXPECT_EQ(outside, 0);
    dst.drawPixel(1, 2, 0, 0, 255, 255);
    EXPECT_EQ(pixels::at(dst, 1, 2), kBlue);
}

TEST(Texture, LockGivesThePixelsAndLocksOnlyWhenSdlNeedsIt) {
    SDL_Surface* s = pixels::rgb16(6, 3, kBlack);
    static_cast<Uint16*>(s->pixels)[1] = 0xF800;
    algo::Texture t;
    t.setSurface(s);
    auto bytes = t.lock();
    EXPECT_EQ(bytes.data(), s->pixels);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(t.pitch()) * 3);
    EXPECT_EQ(s->locked, 0);  // plain software surface: no lock needed
    t.unlock();

    // Where SDL takes the run-length request as a plain key, the picture stays plain memory:
    // not locked, and keyed as asked when drawn.
    ASSERT_EQ(SDL_SetColorKey(s, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0), 0);
    if (!(s->flags & SDL_RLEACCEL)) {
        t.lock();
        EXPECT_EQ(s->locked, 0);
        t.unlock();
    }
    auto dst = blank(8, 8, kWhite);
    t.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 1, 0), kRed);
    EXPECT_EQ(pixels::at(dst, 0, 0), kWhite);
}

// SDL 1.2 run-length encodes a picture keyed with SDL_RLEACCEL at its first blit: its pixels
// are then readable only under a lock, and the engine's own copies must leave it to SDL.
TEST(Texture, RunLengthEncodedPictureIsLockedForItsPixelsAndDrawnBySdl) {
    SDL_Surface* s = pixels::rgb16(6, 3, kBlack);
    static_cast<Uint16*>(s->pixels)[1] = 0xF800;
    algo::Texture t;
    t.setSurface(s);
    ASSERT_EQ(SDL_SetColorKey(s, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0), 0);
    // A blit through SDL itself, onto another format, so that SDL encodes it if it ever does.
    SDL_Surface* wide = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 8, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(SDL_UpperBlit(s, nullptr, wide, nullptr), 0);
    SDL_FreeSurface(wide);
    if (!(s->flags & SDL_RLEACCEL))
        GTEST_SKIP() << "this SDL never run-length encodes a picture (it drops SDL_RLEACCEL), "
                        "so no picture here needs a lock";

    auto locked = t.lock();
    EXPECT_GT(s->locked, 0);
    Uint16 v;
    std::memcpy(&v, locked.data() + 2, 2);
    EXPECT_EQ(v, 0xF800);
    t.unlock();
    EXPECT_EQ(s->locked, 0);
    auto dst = blank(8, 8, kWhite);  // the picture's own format
    t.draw(nullptr, dst, 0, 0);
    EXPECT_EQ(pixels::at(dst, 1, 0), kRed);
    EXPECT_EQ(pixels::at(dst, 0, 0), kWhite);
}

TEST(Texture, FailedLoadKeepsTheOldPictureAndLogsStartAndEnd) {
    SDL_Surface* s = pixels::palette8(3, 3, {kRed});
    pixels::saveBMP(s, "good.bmp");
    auto from = testenv::logText().size();
    algo::Texture t("good.bmp");
    std::string log = logSince(from);
    EXPECT_LT(log.find(": start Texture.loadimg\n"), log.find(": end Texture.loadimg\n"));
    SDL_Surface* before = t.surface();

    testenv::writeFile("bad.bmp", "BM this is not a picture at all");
    expectSDLError([&] { t.loadimg("bad.bmp"); }, "テクスチャのロードに失敗。");
    testenv::writeFile("empty.bmp", "");
    expectSDLError([&] { t.loadimg("empty.bmp"); }, "RWopsの生成に失敗。",
                   "empty.bmp: Parameter 'size' is invalid (the file is empty)");
    EXPECT_ANY_THROW(t.loadimg("no/such/file.bmp"));
    EXPECT_EQ(t.surface(), before);
    EXPECT_EQ(pixels::at(t, 2, 2), kRed);

    // Truncated right after a valid header: refused, never read past the end.
    std::string whole = testenv::readFile("good.bmp");
    testenv::writeFile("cut.bmp", whole.substr(0, 60));
    EXPECT_ANY_THROW(t.loadimg("cut.bmp"));
    EXPECT_EQ(t.surface(), before);
}

// Copies and fills that the engine does on its own must leave exactly the bytes that SDL's
// blit and fill leave: random pictures, keys, source rectangles, positions and clip
// rectangles, in the formats it handles itself and in some it hands to SDL; once for every
// variant of the keyed copy that this processor runs.
struct Variant {
    algo::blit::Vectors vectors;
    const char* name;
    const char* needs;  // what the processor must have
};

class KeyedCopy : public testing::TestWithParam<Variant> {};

TEST_P(KeyedCopy, BlitsAndFillsMatchSdlByteForByte) {
    const Variant& variant = GetParam();
    if (!algo::blit::has(variant.vectors))
        GTEST_SKIP() << "this processor has no " << variant.needs;
    struct Restore {
        algo::blit::Vectors was = algo::blit::vectors();
        ~Restore() { algo::blit::useVectors(was); }
    } restore;
    algo::blit::useVectors(variant.vectors);

    struct Format {
        int bpp;
        Uint32 r, g, b, a;
    };
    const Format formats[] = {{16, 0xF800, 0x07E0, 0x001F, 0},
                              {15, 0x7C00, 0x03E0, 0x001F, 0},
                              {32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
                              {32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u},
                              {8, 0, 0, 0, 0}};
    std::mt19937 rng(16 + static_cast<unsigned>(variant.vectors));  // other cases for each
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (const Format& f : formats) {
        auto make = [&](int w, int h) {
            SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, f.bpp, f.r, f.g, f.b, f.a);
            EXPECT_NE(s, nullptr);
            return s;
        };
        const Uint32 mask = f.bpp == 8 ? 0xFF : f.bpp <= 16 ? 0xFFFF : 0xFFFFFFFFu;
        Uint32 values[6];
        for (auto& v : values) v = static_cast<Uint32>(rng()) & mask;
        auto paint = [&](SDL_Surface* s) {
            for (int y = 0; y < s->h; ++y)
                for (int x = 0; x < s->w; ++x) {
                    auto* p = static_cast<Uint8*>(s->pixels) + y * s->pitch +
                              x * s->format->BytesPerPixel;
                    const Uint32 v = values[pick(0, 5)];
                    std::memcpy(p, &v, s->format->BytesPerPixel);  // little-endian
                }
        };
        auto sameBytes = [](SDL_Surface* a, SDL_Surface* b) -> testing::AssertionResult {
            const auto* p = static_cast<const Uint8*>(a->pixels);
            const auto* q = static_cast<const Uint8*>(b->pixels);
            for (std::size_t i = 0; i < static_cast<std::size_t>(a->pitch) * a->h; ++i)
                if (p[i] != q[i])
                    return testing::AssertionFailure()
                           << "byte " << i << " of " << a->w << " x " << a->h << " (pitch "
                           << a->pitch << "): " << int(p[i]) << " against SDL's " << int(q[i])
                           << "; alpha mask " << a->format->Amask << ", flags " << a->flags;
            return testing::AssertionSuccess();
        };
        for (int round = 0; round < 600; ++round) {
            SDL_Surface* from = make(pick(1, 40), pick(1, 40));
            paint(from);
            const int keyChoice = pick(0, 3);
            if (keyChoice == 1) SDL_SetColorKey(from, SDL_SRCCOLORKEY, values[pick(0, 5)]);
            if (keyChoice == 2) SDL_SetColorKey(from, SDL_SRCCOLORKEY, 0x12345678u);
            const int w = pick(1, 60), h = pick(1, 60);
            // Both targets start on a 64-byte boundary: SDL's blending takes other paths (and
            // rounds otherwise) at other alignments, and would not agree with itself.
            const int pitch = (w * ((f.bpp + 7) / 8) + 3) & ~3;
            const std::size_t bytes = (static_cast<std::size_t>(pitch) * h + 63) & ~std::size_t{63};
            std::unique_ptr<void, void (*)(void*)> mineBytes(std::aligned_alloc(64, bytes),
                                                             std::free);
            std::unique_ptr<void, void (*)(void*)> theirBytes(std::aligned_alloc(64, bytes),
                                                              std::free);
            SDL_Surface* mine =
                SDL_CreateRGBSurfaceFrom(mineBytes.get(), w, h, f.bpp, pitch, f.r, f.g, f.b, f.a);
            SDL_Surface* theirs =
                SDL_CreateRGBSurfaceFrom(theirBytes.get(), w, h, f.bpp, pitch, f.r, f.g, f.b, f.a);
            ASSERT_TRUE(mine && theirs);
            paint(mine);
            std::memcpy(theirs->pixels, mine->pixels, static_cast<std::size_t>(mine->pitch) * h);
            if (pick(0, 1)) {
                SDL_Rect clip{static_cast<Sint16>(pick(-10, 50)),
                              static_cast<Sint16>(pick(-10, 50)), static_cast<Uint16>(pick(0, 60)),
                              static_cast<Uint16>(pick(0, 60))};
                SDL_Rect other = clip;
                SDL_SetClipRect(mine, &clip);
                SDL_SetClipRect(theirs, &other);
            }
            algo::Texture src, dst;
            src.setSurface(from);
            dst.setSurface(mine);
            const bool whole = pick(0, 4) == 0;
            SDL_Rect part{static_cast<Sint16>(pick(-20, 45)), static_cast<Sint16>(pick(-20, 45)),
                          static_cast<Uint16>(pick(0, 60)), static_cast<Uint16>(pick(0, 60))};
            const bool far = pick(0, 20) == 0;
            const auto x = static_cast<std::int16_t>(far ? pick(-32768, 32767) : pick(-50, 80));
            const auto y = static_cast<std::int16_t>(far ? pick(-32768, 32767) : pick(-50, 80));
            src.draw(whole ? nullptr : &part, dst, x, y);
            SDL_Rect sdlPart = part, at{x, y, 0, 0};
            ASSERT_EQ(SDL_UpperBlit(from, whole ? nullptr : &sdlPart, theirs, &at), 0);
            ASSERT_TRUE(sameBytes(mine, theirs))
                << f.bpp << " bpp, round " << round << ", key choice " << keyChoice << ", "
                << variant.name;

            const Uint8 r = static_cast<Uint8>(rng()), g = static_cast<Uint8>(rng()),
                        b = static_cast<Uint8>(rng());
            dst.fill(r, g, b);
            SDL_FillRect(theirs, nullptr, SDL_MapRGB(theirs->format, r, g, b));
            ASSERT_TRUE(sameBytes(mine, theirs)) << f.bpp << " bpp fill, round " << round;
            SDL_FreeSurface(theirs);
        }
    }
}

using algo::blit::Vectors;
INSTANTIATE_TEST_SUITE_P(
    Texture, KeyedCopy,
    testing::Values(Variant{Vectors::none, "scalar", ""}, Variant{Vectors::sse2, "SSE2", "SSE2"},
                    Variant{Vectors::avx2, "AVX2", "AVX2"},
                    Variant{Vectors::avx512, "AVX512", "AVX-512BW with AVX-512VL"}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

}  // namespace
