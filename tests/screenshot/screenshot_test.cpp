// Runs under a virtual X server with the x11 video driver (see tests.cmake).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "tests/support/pixels.hpp"
#include "tests/support/testenv.hpp"

namespace {

using pixels::RGB;
const RGB kMagenta{255, 0, 255}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255},
    kGreen{0, 255, 0}, kBlack{0, 0, 0};

// The X server widens 16-bit colours on its own terms (white can come back as 255, 254, 255).
bool near(RGB a, RGB b) {
    auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(a.r, b.r) <= 3 && d(a.g, b.g) <= 3 && d(a.b, b.b) <= 3;
}

// The known frame: a corner marker, a filled box, a line, a keyed sprite, text.
void drawFrame(algo::Display_& d) {
    d.fill(255, 255, 255);
    d.drawRect(0, 0, 7, 7, 255, 0, 255, 255, true);
    d.drawRect(100, 120, 199, 219, 255, 0, 0, 255, true);
    d.drawLine(10, 300, 500, 300, 0, 0, 255, 255);
    SDL_Surface* s = pixels::palette8(16, 16, {kBlack, kGreen}, 1);
    pixels::fillRect(s, 0, 0, 1, 1, kBlack);  // the key colour at the top left
    pixels::fillRect(s, 4, 4, 8, 8, kBlack);  // a keyed hole
    pixels::saveBMP(s, "sprite.bmp");
    algo::Texture sprite("sprite.bmp");
    sprite.setColorKeyFromPixel(true);
    sprite.draw(nullptr, d, 300, 40);
    d.drawString(20, 400, "STARHOP", 0, 0, 0, 255);
}

void expectFrame(const std::function<RGB(int, int)>& at) {
    EXPECT_TRUE(near(at(0, 0), kMagenta)) << "at 0, 0: " << at(0, 0);
    EXPECT_TRUE(near(at(7, 7), kMagenta)) << "at 7, 7: " << at(7, 7);
    EXPECT_TRUE(near(at(8, 8), kWhite)) << "at 8, 8: " << at(8, 8);
    EXPECT_TRUE(near(at(100, 120), kRed)) << "at 100, 120: " << at(100, 120);
    EXPECT_TRUE(near(at(199, 219), kRed)) << "at 199, 219: " << at(199, 219);
    EXPECT_TRUE(near(at(200, 219), kWhite)) << "at 200, 219: " << at(200, 219);
    EXPECT_TRUE(near(at(10, 300), kBlue)) << "at 10, 300: " << at(10, 300);
    EXPECT_TRUE(near(at(500, 300), kBlue)) << "at 500, 300: " << at(500, 300);
    EXPECT_TRUE(near(at(501, 300), kWhite)) << "at 501, 300: " << at(501, 300);
    EXPECT_TRUE(near(at(300, 40), kWhite)) << "at 300, 40: " << at(300, 40);  // keyed
    EXPECT_TRUE(near(at(301, 40), kGreen)) << "at 301, 40: " << at(301, 40);
    EXPECT_TRUE(near(at(306, 46), kWhite)) << "at 306, 46: " << at(306, 46);  // keyed hole
    EXPECT_TRUE(near(at(315, 55), kGreen)) << "at 315, 55: " << at(315, 55);
    EXPECT_TRUE(near(at(511, 511), kWhite)) << "at 511, 511: " << at(511, 511);
    int text = 0;
    for (int y = 400; y < 408; ++y)
        for (int x = 20; x < 20 + 7 * 8; ++x) text += near(at(x, y), kBlack);
    EXPECT_GT(text, 50);
}

TEST(Screenshot, RealWindowShowsTheFrameDrawn) {
    char name[32] = "";
    ASSERT_NE(SDL_VideoDriverName(name, sizeof name), nullptr);
    ASSERT_STREQ(name, "x11") << "run under xvfb-run with SDL_VIDEODRIVER=x11";
    auto& d = algo::Display_::instance();
    d.setVideoMode(512, 512, 16, false);
    ASSERT_EQ(d.width(), 512);
    ASSERT_EQ(d.height(), 512);
    ASSERT_EQ(d.bitsPerPixel(), 16);
    drawFrame(d);
    d.flip();

    // What the screen surface holds after the flip.
    expectFrame([&](int x, int y) { return pixels::at(d, x, y); });

    // What the X server shows: find the window by its corner marker on the root window.
    const char* import = std::getenv("STARHOP_IMPORT");
    ASSERT_NE(import, nullptr);
    const std::string shot = testenv::workDir() + "/root.bmp";
    SDL_Surface* root = nullptr;
    int ox = -1, oy = -1;
    for (int attempt = 0; attempt < 20 && ox < 0; ++attempt) {
        SDL_Delay(100);
        d.flip();
        SDL_PumpEvents();
        std::string cmd = std::string(import) + " -window root bmp3:" + shot + " 2>/dev/null";
        if (std::system(cmd.c_str()) != 0) continue;
        if (root) SDL_FreeSurface(root);
        root = SDL_LoadBMP(shot.c_str());
        if (!root) continue;
        for (int y = 0; y + 512 <= root->h && ox < 0; ++y)
            for (int x = 0; x + 512 <= root->w; ++x)
                if (near(pixels::at(root, x, y), kMagenta) &&
                    near(pixels::at(root, x + 7, y + 7), kMagenta) &&
                    near(pixels::at(root, x + 8, y + 8), kWhite)) {
                    ox = x, oy = y;
                    break;
                }
    }
    ASSERT_NE(root, nullptr) << "no screenshot of the X display";
    ASSERT_GE(ox, 0) << "window not found on the X display";
    expectFrame([&](int x, int y) { return pixels::at(root, ox + x, oy + y); });
    int differ = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            differ += !near(pixels::at(root, ox + x, oy + y), pixels::at(d, x, y));
    EXPECT_EQ(differ, 0);
    SDL_FreeSurface(root);
}

}  // namespace
