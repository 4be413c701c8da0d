#include "algo/surface/camera2d.hpp"

#include <cmath>
#include <memory>

#include "algo/surface/display.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace camera2d {
namespace {
std::unique_ptr<basic::SingletonOwner<Camera2D_>> owner;
}
void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<Camera2D_>>();
}
void moduleEnd() {
    owner.reset();
}
}  // namespace camera2d

namespace {
Display_& screen() {
    return Display_::instance();
}
}  // namespace

Camera2D_::Camera2D_() {
    set(0.0L, 0.0L, 1.0L);
}

void Camera2D_::update() {
    Vector2D step = target;
    step -= pos;
    step /= 10.0L;
    pos += step;
    zoom += (targetZoom - zoom) / 20.0L;
}

void Camera2D_::set(long double x, long double y, long double z) {
    target = Vector2D{x, y};
    pos = target;
    targetZoom = zoom = z;
}

long double Camera2D_::screenX(std::int32_t wx) const {
    return screen().width() / 2 + zoom * (wx - pos.x);
}

long double Camera2D_::screenY(std::int32_t wy) const {
    return screen().height() / 2 + zoom * (wy - pos.y);
}

void Camera2D_::drawGrid(std::int32_t spacing, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                         std::uint8_t a) {
    // Either at 0 or below, or an endless zoom, would keep the loops below from ending.
    BASIC_ASSERT(spacing > 0, "drawGrid with a spacing of 0 or below");
    BASIC_ASSERT(zoom > 0.0L && std::isfinite(zoom), "drawGrid with a zoom of 0 or below");
    Display_& d = screen();
    const long double S = spacing;
    long double s = S * zoom;
    BASIC_ASSERT(std::isfinite(s), "drawGrid with a zoom too large to halve back");
    while (s < S) s *= 2.0L;
    while (s > 2.0L * S) s /= 2.0L;
    const int w = d.width(), h = d.height();
    if (!std::isfinite(pos.x) || !std::isfinite(pos.y)) return;

    long double gx = std::fmod(-pos.x * zoom, s) + w / 2;
    while (gx > 0.0L) gx -= s;
    for (; gx < w; gx += s) {
        const std::int16_t x = toPixel16(gx);
        d.drawLine(x, 0, x, toPixel16(h), r, g, b, a);
    }
    long double gy = std::fmod(-pos.y * zoom, s) + h / 2;
    while (gy > 0.0L) gy -= s;
    for (; gy < h; gy += s) {
        const std::int16_t y = toPixel16(gy);
        d.drawLine(0, y, toPixel16(w), y, r, g, b, a);
    }
}

void Camera2D_::putTexture(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                           std::int32_t wy) {
    putTextureScaled(srcRect, texture, wx, wy, 1.0);
}

void Camera2D_::putTextureScaled(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                                 std::int32_t wy, double scale) {
    texture.drawZoom(srcRect, screen(), toPixel16(screenX(wx)), toPixel16(screenY(wy)),
                     static_cast<double>(zoom * scale), true);
}

void Camera2D_::putPixel(std::int32_t wx, std::int32_t wy, std::uint8_t r, std::uint8_t g,
                         std::uint8_t b, std::uint8_t a) {
    screen().drawPixel(toPixel16(screenX(wx)), toPixel16(screenY(wy)), r, g, b, a);
}

void Camera2D_::putLine(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                        std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    screen().drawLine(toPixel16(screenX(wx1)), toPixel16(screenY(wy1)), toPixel16(screenX(wx2)),
                      toPixel16(screenY(wy2)), r, g, b, a);
}

void Camera2D_::putRect(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                        std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, bool fill) {
    screen().drawRect(toPixel16(screenX(wx1)), toPixel16(screenY(wy1)), toPixel16(screenX(wx2)),
                      toPixel16(screenY(wy2)), r, g, b, a, fill);
}

void Camera2D_::putEllipse(std::int32_t wx, std::int32_t wy, std::int32_t rx, std::int32_t ry,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                           bool fill) {
    screen().drawEllipse(toPixel16(screenX(wx)), toPixel16(screenY(wy)), toPixel16(zoom * rx),
                         toPixel16(zoom * ry), r, g, b, a, fill);
}

void Camera2D_::putString(std::int32_t wx, std::int32_t wy, const std::string& text, std::uint8_t r,
                          std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    screen().drawString(toPixel16(screenX(wx)), toPixel16(screenY(wy)), text, r, g, b, a);
}

SDL_Surface* Camera2D_::surface() const {
    return Display_::exists() ? Display_::instance().surface() : nullptr;
}

void Camera2D_::setSurface(SDL_Surface*) {
    BASIC_ASSERT(false, "setSurface on the camera");
}
void Camera2D_::create(int, int) {
    BASIC_ASSERT(false, "create on the camera");
}
void Camera2D_::loadimg(const std::string&) {
    BASIC_ASSERT(false, "loadimg on the camera");
}
void Camera2D_::freeSurface() {
    BASIC_ASSERT(false, "freeSurface on the camera");
}
void Camera2D_::toDisplayFormat() {
    BASIC_ASSERT(false, "toDisplayFormat on the camera");
}

}  // namespace algo
