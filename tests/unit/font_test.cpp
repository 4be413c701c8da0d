#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"
#include "tests/support/pixels.hpp"
#include "tests/support/testenv.hpp"

namespace {

using pixels::RGB;
const RGB kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlack{0, 0, 0};

const char* kSystemFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class FontTest : public testing::Test {
  protected:
    void SetUp() override {
        auto& d = algo::Display_::instance();
        if (!d.surface()) d.setVideoMode(512, 512, 16, false);
        std::filesystem::create_directories("data");
        if (!std::filesystem::exists("data/sans.ttf"))
            std::filesystem::copy_file(kSystemFont, "data/sans.ttf");
    }
};

TEST(FontKey, HashOrderAndEquality) {
    EXPECT_EQ((algo::FontKey{"ab", 1}).hash(), 1052u);
    EXPECT_EQ((algo::FontKey{"", 7}).hash(), 7u);
    // 32-bit wrap-around rather than overflow trouble on long names.
    std::string longName(40, '\xff');
    std::uint32_t h = 3;
    for (int i = 0; i < 40; ++i) h = h * 9 + 255;
    EXPECT_EQ((algo::FontKey{longName, 3}).hash(), h);

    algo::FontKey a{"a.ttf", 12}, b{"a.ttf", 14}, c{"b.ttf", 1};
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == (algo::FontKey{"a.ttf", 12}));
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b < c);
    EXPECT_FALSE(c < a);
}

// Text pixels (anything not white) lie in the box at (x, y) of the rendered size.
void expectTextInBox(const algo::Texture& dst, int x, int y, int w, int h) {
    int inside = 0, outside = 0;
    for (int py = 0; py < dst.height(); ++py)
        for (int px = 0; px < dst.width(); ++px)
            if (!(pixels::at(dst, px, py) == kWhite))
                (px >= x && px < x + w && py >= y && py < y + h ? inside : outside)++;
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST_F(FontTest, SolidAndBlendedTextHaveTheirTopLeftAtXY) {
    algo::Font f;
    f.load("data/sans.ttf", 16);
    ASSERT_NE(f.font(), nullptr);
    EXPECT_EQ(f.name(), "data/sans.ttf");
    int w = 0, h = 0;
    ASSERT_EQ(TTF_SizeUTF8(f.font(), "Hop!", &w, &h), 0);

    for (bool solid : {true, false}) {
        algo::Texture dst(100, 60);
        dst.fill(255, 255, 255);
        f.drawText("Hop!", dst, 30, 20, 0, 0, 0, 255, solid);
        expectTextInBox(dst, 30, 20, w, h);
    }
    // Text hanging off the target is clipped, not refused.
    algo::Texture dst(100, 60);
    dst.fill(255, 255, 255);
    f.drawText("Hop!", dst, -10, -5, 0, 0, 0, 255, true);
    expectTextInBox(dst, -10, -5, w, h);
}

TEST_F(FontTest, RenderTextGivesIndependentTextures) {
    algo::Font f;
    f.load("data/sans.ttf", 12);
    algo::Texture a = f.renderText("ぴょん", 255, 0, 0, false);
    algo::Texture b = f.renderText("ぴょん", 255, 0, 0, false);
    ASSERT_NE(a.surface(), nullptr);
    ASSERT_NE(b.surface(), nullptr);
    EXPECT_NE(a.surface(), b.surface());
    EXPECT_EQ(a.width(), b.width());
    a.freeSurface();
    EXPECT_GT(b.width(), 0);
    algo::Texture s = f.renderText("x", 0, 0, 0, true);
    EXPECT_EQ(s.bytesPerPixel(), 1);  // solid text is a palette picture
}

TEST_F(FontTest, OpenFontTableFollowsLoadAndClose) {
    const auto& table = algo::font::openFonts();
    algo::Font never;
    never.close();  // never loaded: nothing happens
    {
        algo::Font f;
        f.load("data/sans.ttf", 20);
        EXPECT_EQ(table.at(algo::FontKey{"data/sans.ttf", 20}), &f);

        // A second font under the same key takes the entry; closing the first keeps it.
        algo::Font g;
        g.load("data/sans.ttf", 20);
        EXPECT_EQ(table.at(algo::FontKey{"data/sans.ttf", 20}), &g);
        f.close();
        EXPECT_EQ(f.font(), nullptr);
        EXPECT_EQ(table.at(algo::FontKey{"data/sans.ttf", 20}), &g);

        // Loading again into an open font closes the old one first.
        g.load("data/sans.ttf", 22);
        EXPECT_EQ(table.count(algo::FontKey{"data/sans.ttf", 20}), 0u);
        EXPECT_EQ(table.at(algo::FontKey{"data/sans.ttf", 22}), &g);
    }
    EXPECT_EQ(table.count(algo::FontKey{"data/sans.ttf", 22}), 0u);  // the destructor closes
}

TEST_F(FontTest, DamagedFontFileIsAnErrorNamingTheFile) {
    const auto before = algo::font::openFonts().size();
    testenv::writeFile("data/bad.ttf", std::string(200, 'x'));
    algo::Font f;
    try {
        f.load("data/bad.ttf", 12);
        ADD_FAILURE() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "フォントの読み込みに失敗。 < data/bad.ttf");
    }
    // A truncated real font too.
    testenv::writeFile("data/cut.ttf", testenv::readFile("data/sans.ttf").substr(0, 1000));
    EXPECT_ANY_THROW(f.load("data/cut.ttf", 12));
    EXPECT_ANY_THROW(f.load("data/none.ttf", 12));
    EXPECT_EQ(f.font(), nullptr);
    EXPECT_EQ(algo::font::openFonts().size(), before);
    EXPECT_THROW(f.drawText("x", algo::Display_::instance(), 0, 0, 0, 0, 0, 255, true),
                 basic::AssertError);
}

TEST_F(FontTest, CharListAdvancesByEachPictureWidth) {
    algo::Texture a, b;
    a.setSurface(pixels::rgb16(8, 4, kRed));
    b.setSurface(pixels::rgb16(10, 4, kGreen));
    algo::CharList list;
    list.chars['A'] = &a;
    list.chars['B'] = &b;
    algo::Texture dst(64, 8);
    dst.fill(0, 0, 0);
    list.draw("AB", dst, 3, 2);
    EXPECT_EQ(pixels::at(dst, 3, 2), kRed);
    EXPECT_EQ(pixels::at(dst, 10, 2), kRed);
    EXPECT_EQ(pixels::at(dst, 11, 2), kGreen);
    EXPECT_EQ(pixels::at(dst, 20, 5), kGreen);
    EXPECT_EQ(pixels::at(dst, 21, 5), kBlack);

    dst.fill(0, 0, 0);
    try {
        list.draw("BxA", dst, 0, 0);
        ADD_FAILURE() << "no assertion";
    } catch (const basic::AssertError& e) {
        EXPECT_EQ(e.message(), "x が含まれていません");
    }
    EXPECT_EQ(pixels::at(dst, 0, 0), kGreen);   // drawn before the missing one
    EXPECT_EQ(pixels::at(dst, 10, 0), kBlack);  // nothing after it
}

TEST_F(FontTest, TextSizeIsWhatDrawingCoversAndEmptyTextDrawsNothing) {
    algo::Font f;
    f.load("data/sans.ttf", 16);
    algo::TextSize size = f.textSize("Hop!");
    algo::Texture label = f.renderText("Hop!", 0, 0, 0, false);
    EXPECT_EQ(size.width, label.width());
    EXPECT_EQ(size.height, label.height());
    algo::Texture dst(100, 60);
    dst.fill(255, 255, 255);
    f.drawText("Hop!", dst, 30, 20, 0, 0, 0, 255, true);
    expectTextInBox(dst, 30, 20, size.width, size.height);
    EXPECT_GT(f.textSize("Hop! Hop!").width, size.width);

    // An empty label: no width, one line high, and nothing drawn or refused.
    const algo::TextSize none = f.textSize("");
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.height, size.height);
    dst.fill(255, 255, 255);
    for (bool solid : {true, false}) {
        f.drawText("", dst, 30, 20, 0, 0, 0, 255, solid);
        algo::Texture empty = f.renderText("", 0, 0, 0, solid);
        EXPECT_EQ(empty.width(), 0);
        EXPECT_EQ(empty.height(), size.height);
        empty.draw(nullptr, dst, 10, 10);
    }
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) ASSERT_EQ(pixels::at(dst, x, y), kWhite);

    algo::Font unloaded;
    EXPECT_THROW(unloaded.textSize("x"), basic::AssertError);
    EXPECT_THROW(unloaded.drawText("", dst, 0, 0, 0, 0, 0, 255, true), basic::AssertError);
}

}  // namespace
