#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "algo/game/sprite.hpp"
#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "basic/assert.hpp"
#include "tests/support/pixels.hpp"

namespace {

using pixels::RGB;
const RGB kBlack{0, 0, 0}, kRed{255, 0, 0}, kWhite{255, 255, 255};

class CameraTest : public testing::Test {
  protected:
    algo::Display_& d = algo::Display_::instance();
    algo::Camera2D_& cam = algo::Camera2D_::instance();
    void SetUp() override {
        if (!d.surface() || d.width() != 512 || d.bitsPerPixel() != 16)
            d.setVideoMode(512, 512, 16, false);
        d.fill(0, 0, 0);
        cam.set(0, 0, 1.0L);
    }
    void TearDown() override { cam.set(0, 0, 1.0L); }

    std::vector<int> whiteColumnsOnRow(int y) {
        std::vector<int> xs;
        for (int x = 0; x < d.width(); ++x)
            if (pixels::at(d, x, y) == kWhite) xs.push_back(x);
        return xs;
    }
};

TEST_F(CameraTest, StartsCentredAtOriginAndTransformsAroundTheScreenCentre) {
    EXPECT_EQ(cam.zoom, 1.0L);
    EXPECT_EQ(cam.targetZoom, 1.0L);
    cam.set(100, 50, 2.0L);
    EXPECT_EQ(cam.pos.x, 100.0L);
    EXPECT_EQ(cam.target.y, 50.0L);
    EXPECT_EQ(cam.targetZoom, 2.0L);
    EXPECT_EQ(cam.screenX(110), 276.0L);
    EXPECT_EQ(cam.screenY(50), 256.0L);
    cam.putPixel(110, 50, 255, 0, 0, 255);
    EXPECT_EQ(pixels::at(d, 276, 256), kRed);
    EXPECT_EQ(pixels::at(d, 275, 256), kBlack);

    // Truncation toward zero on both sides of the origin.
    cam.set(0, 0, 0.5L);
    EXPECT_EQ(cam.screenX(-513), -0.5L);
    cam.putLine(-513, 0, -513, 10, 255, 0, 0, 255);  // lands on column 0
    EXPECT_EQ(pixels::at(d, 0, 258), kRed);
}

TEST_F(CameraTest, UpdateEasesATenthOfTheWayAndATwentiethOfTheZoom) {
    cam.set(0, 0, 1.0L);
    cam.target = algo::Vector2D{100.0L, 0.0L};
    cam.targetZoom = 2.0L;
    cam.update();
    EXPECT_EQ(cam.target.x - cam.pos.x, 90.0L);
    EXPECT_EQ(cam.zoom, 1.05L);
    cam.update();
    EXPECT_EQ(cam.pos.x, 19.0L);
    EXPECT_EQ(cam.pos.y, 0.0L);
}

TEST_F(CameraTest, GridDoublesWhenZoomedOutAndHalvesWhenZoomedIn) {
    cam.set(0, 0, 0.3L);  // 16 × 0.3 = 4.8, doubled twice: 19.2 pixels apart
    cam.drawGrid(16, 255, 255, 255, 255);
    auto xs = whiteColumnsOnRow(93);  // a row between two horizontal lines
    ASSERT_EQ(xs.size(), 27u);
    EXPECT_EQ(xs.front(), 6);
    EXPECT_EQ(xs.back(), 505);
    EXPECT_NE(std::find(xs.begin(), xs.end(), 256), xs.end());  // world 0 at the centre
    for (std::size_t i = 1; i < xs.size(); ++i) {
        EXPECT_GE(xs[i] - xs[i - 1], 19);
        EXPECT_LE(xs[i] - xs[i - 1], 20);
    }

    d.fill(0, 0, 0);
    cam.set(8, 0, 3.0L);  // 48 pixels halves to 24; world 0 now 24 pixels left of centre
    cam.drawGrid(16, 255, 255, 255, 255);
    xs = whiteColumnsOnRow(100);
    ASSERT_FALSE(xs.empty());
    EXPECT_EQ(xs.front(), 16);
    EXPECT_EQ(xs[1] - xs[0], 24);
    EXPECT_NE(std::find(xs.begin(), xs.end(), 232), xs.end());
}

TEST_F(CameraTest, GridRefusesSpacingsAndZoomsThatWouldNeverEnd) {
    EXPECT_THROW(cam.drawGrid(0, 1, 1, 1, 255), basic::AssertError);
    EXPECT_THROW(cam.drawGrid(-16, 1, 1, 1, 255), basic::AssertError);
    cam.set(0, 0, 0.0L);
    EXPECT_THROW(cam.drawGrid(16, 1, 1, 1, 255), basic::AssertError);
    cam.set(0, 0, -1.0L);
    EXPECT_THROW(cam.drawGrid(16, 1, 1, 1, 255), basic::AssertError);
    cam.set(0, 0, std::numeric_limits<long double>::infinity());
    EXPECT_THROW(cam.drawGrid(16, 1, 1, 1, 255), basic::AssertError);
    cam.set(0, 0, std::numeric_limits<long double>::max());
    EXPECT_THROW(cam.drawGrid(16, 1, 1, 1, 255), basic::AssertError);
    cam.set(std::numeric_limits<long double>::quiet_NaN(), 0, 1.0L);
    cam.drawGrid(16, 1, 1, 1, 255);  // nothing sensible to draw, but it ends
}

TEST_F(CameraTest, EllipseRadiiAndTexturesFollowTheZoom) {
    cam.set(0, 0, 1.5L);
    cam.putEllipse(0, 0, 10, 5, 255, 0, 0, 255, true);  // radii 15 and 7
    EXPECT_EQ(pixels::at(d, 256 - 15, 256), kRed);
    EXPECT_EQ(pixels::at(d, 256 - 16, 256), kBlack);
    EXPECT_EQ(pixels::at(d, 256, 256 + 7), kRed);
    EXPECT_EQ(pixels::at(d, 256, 256 + 8), kBlack);

    d.fill(0, 0, 0);
    cam.set(0, 0, 2.0L);
    algo::Texture t;
    t.setSurface(pixels::rgb16(4, 4, kRed));
    cam.putTexture(nullptr, t, 10, 10);  // top-left at 276, zoomed to 8 × 8
    EXPECT_EQ(pixels::at(d, 276, 276), kRed);
    EXPECT_EQ(pixels::at(d, 283, 283), kRed);
    EXPECT_EQ(pixels::at(d, 284, 283), kBlack);
    EXPECT_EQ(pixels::at(d, 275, 276), kBlack);
    d.fill(0, 0, 0);
    cam.putTextureScaled(nullptr, t, 10, 10, 1.5);  // 4 × 3 = 12 pixels
    EXPECT_EQ(pixels::at(d, 287, 287), kRed);
    EXPECT_EQ(pixels::at(d, 288, 287), kBlack);

    d.fill(0, 0, 0);
    cam.set(0, 0, 1.0L);
    cam.putRect(-4, -4, 4, 4, 255, 255, 255, 255, true);
    cam.putString(-100, -100, "H", 255, 0, 0, 255);
    EXPECT_EQ(pixels::at(d, 252, 252), kWhite);
    EXPECT_EQ(pixels::at(d, 260, 260), kWhite);
    EXPECT_EQ(pixels::at(d, 261, 260), kBlack);
    int red = 0;
    for (int y = 156; y < 164; ++y)
        for (int x = 156; x < 164; ++x) red += pixels::at(d, x, y) == kRed;
    EXPECT_GT(red, 0);
}

TEST_F(CameraTest, TheCameraDrawsOnTheCurrentScreenAndNeverOwnsIt) {
    EXPECT_EQ(cam.surface(), d.surface());
    EXPECT_EQ(cam.width(), 512);
    EXPECT_THROW(cam.freeSurface(), basic::AssertError);
    EXPECT_THROW(cam.create(4, 4), basic::AssertError);
    d.setVideoMode(256, 256, 16, false);
    EXPECT_EQ(cam.surface(), d.surface());
    EXPECT_EQ(cam.width(), 256);
    cam.set(0, 0, 1.0L);
    EXPECT_EQ(cam.screenX(0), 128.0L);  // the centre of the new screen
    d.setVideoMode(512, 512, 16, false);
}

TEST_F(CameraTest, SpriteDrawsItsRectangleOffsetByHalfItsSize) {
    algo::Sprite s;
    EXPECT_EQ(s.pos.y, 1.0L);
    EXPECT_FALSE(s.visible);
    s.draw();  // invisible and without a texture: nothing happens

    algo::Texture t;
    SDL_Surface* pic = pixels::rgb16(16, 16, kWhite);
    pixels::fillRect(pic, 8, 8, 7, 5, kRed);
    t.setSurface(pic);
    s.texture = &t;
    s.fromTexture();
    EXPECT_EQ(s.width(), 16);
    EXPECT_EQ(s.height(), 16);
    EXPECT_EQ(s.rect.x, 0);

    s.rect = SDL_Rect{8, 8, 0, 0};
    s.setWidth(7);
    s.setHeight(5);
    s.pos = algo::Vector2D{10.9L, 20.2L};
    s.visible = true;
    cam.set(300, 300, 4.0L);  // the camera transform does not apply
    s.draw();
    EXPECT_EQ(pixels::at(d, 13, 22), kRed);
    EXPECT_EQ(pixels::at(d, 19, 26), kRed);
    EXPECT_EQ(pixels::at(d, 12, 22), kBlack);
    EXPECT_EQ(pixels::at(d, 20, 26), kBlack);
    EXPECT_EQ(pixels::at(d, 13, 27), kBlack);
    EXPECT_EQ(s.getTexture(), &t);
    EXPECT_EQ(s.getExtra(), 0u);

    s.texture = nullptr;
    EXPECT_THROW(s.draw(), basic::AssertError);
    EXPECT_EQ(algo::sprite::table().size(), 128u);
}

}  // namespace
