#pragma once
/// @file
/// World-to-screen mapping with easing; draws at world positions onto the display.
#include <cstdint>
#include <string>

#include "algo/game/vector2d.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace algo {

/// A 2D camera: maps world coordinates to the display through a position (the world point at
/// the screen's centre) and a zoom, eases both towards targets, and draws primitives and a
/// grid at world positions. A world point (wx, wy) lands on the screen pixel
/// (width / 2 + zoom × (wx - pos.x), height / 2 + zoom × (wy - pos.y)), truncated toward zero
/// into the 16-bit range: one world unit is `zoom` pixels, y down as on the screen. It draws
/// onto the display's surface, which it borrows. The singleton lives from the engine's start
/// to its end.
///
/// @code
/// auto& camera = algo::Camera2D_::instance();
/// camera.target = hero.pos;                // follow: update() eases a tenth of the way
/// camera.targetZoom = 2.0L;
/// camera.update();                         // once per pass
/// camera.drawGrid(32, 40, 40, 60, 255);
/// camera.putRect(0, 0, 15, 15, 255, 0, 0, 255, true);  // world units
/// @endcode
class Camera2D_ : public Texture, public basic::Singleton<Camera2D_> {
  public:
    /// Made by the camera module's start: at (0, 0), zoom 1, at rest (as set(0, 0, 1)).
    Camera2D_();

    /// The world point at the centre of the display.
    Vector2D pos{0.0L, 0.0L};
    /// Where update eases pos to.
    Vector2D target{0.0L, 0.0L};
    /// Screen pixels per world unit.
    long double zoom = 1.0L;
    /// Where update eases zoom to.
    long double targetZoom = 1.0L;

    /// One easing step, once per pass: pos moves one tenth of the way to target, then zoom one
    /// twentieth of the way to targetZoom.
    virtual void update();
    /// Moves at once, no easing: pos and target to (x, y), zoom and targetZoom to `zoom`.
    virtual void set(long double x, long double y, long double zoom);
    /// Lines across the whole screen on world multiples of spacing × a power of two, chosen so
    /// that they are 1 to 2 spacings apart on the screen. A spacing of 0 or below, a zoom of
    /// 0 or below or not finite, or one too large to halve back is an AssertError; a pos that
    /// is not finite draws nothing.
    virtual void drawGrid(std::int32_t spacing, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          std::uint8_t a);
    /// The texture's top-left at the transformed point, zoomed by zoom and smoothed (see
    /// Texture::drawZoom: srcRect is in the zoomed picture's coordinates; its errors).
    virtual void putTexture(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                            std::int32_t wy);
    /// putTexture zoomed by zoom × scale.
    virtual void putTextureScaled(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                                  std::int32_t wy, double scale);
    /// One pixel at the transformed point (Texture::drawPixel).
    virtual void putPixel(std::int32_t wx, std::int32_t wy, std::uint8_t r, std::uint8_t g,
                          std::uint8_t b, std::uint8_t a);
    /// A line between two transformed points (Texture::drawLine).
    virtual void putLine(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                         std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    /// The rectangle between two transformed corners (Texture::drawRect).
    virtual void putRect(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                         std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, bool fill);
    /// The ellipse around the transformed centre, radii rx and ry in world units (× zoom on
    /// the screen) (Texture::drawEllipse).
    virtual void putEllipse(std::int32_t wx, std::int32_t wy, std::int32_t rx, std::int32_t ry,
                            std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                            bool fill);
    /// The built-in 8 × 8 text with its top-left at the transformed point, not zoomed
    /// (Texture::drawString).
    virtual void putString(std::int32_t wx, std::int32_t wy, const std::string& text,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

    /// The screen x of a world x, before truncation: width / 2 (a whole number) + zoom × (wx -
    /// pos.x).
    long double screenX(std::int32_t wx) const;
    /// The screen y of a world y, before truncation: height / 2 + zoom × (wy - pos.y).
    long double screenY(std::int32_t wy) const;

    /// The display's screen surface, borrowed, never freed: drawing onto the camera lands on
    /// the screen unchanged (the transform is only in the put functions). Null before
    /// setVideoMode.
    SDL_Surface* surface() const override;
    /// The camera's surface is the display's: this and the four below are AssertErrors
    /// ("setSurface on the camera", ...).
    void setSurface(SDL_Surface* s) override;
    /// An AssertError: the camera has no surface of its own.
    void create(int width, int height) override;
    /// An AssertError: the camera has no surface of its own.
    void loadimg(const std::string& path) override;
    /// An AssertError: the camera has no surface of its own.
    void freeSurface() override;
    /// An AssertError: the camera has no surface of its own.
    void toDisplayFormat() override;
};

/// The camera module: the camera's singleton.
namespace camera2d {
/// The module's start, run by algo::Engine: makes Camera2D_. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: destroys Camera2D_.
void moduleEnd();
}  // namespace camera2d

}  // namespace algo
