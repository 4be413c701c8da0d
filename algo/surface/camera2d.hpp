#pragma once
// World-to-screen mapping with easing; draws at world positions onto the display.
#include <cstdint>
#include <string>

#include "algo/game/vector2d.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace algo {

/// A 2D camera: maps world coordinates to the display through a position (the world point at
/// the screen's centre) and a zoom, eases both towards targets, and draws primitives and a
/// grid at world positions. It draws onto the display's surface, which it borrows. The
/// singleton lives from the engine's start to its end.
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
    Camera2D_();

    // The world point at the centre of the display, and where update eases it to.
    Vector2D pos{0.0L, 0.0L};
    Vector2D target{0.0L, 0.0L};
    long double zoom = 1.0L;
    long double targetZoom = 1.0L;

    // One tenth of the way to target, then one twentieth of the way to targetZoom.
    virtual void update();
    // Moves at once, no easing.
    virtual void set(long double x, long double y, long double zoom);
    // Lines on world multiples of spacing × a power of two, 1 to 2 spacings apart on screen.
    virtual void drawGrid(std::int32_t spacing, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          std::uint8_t a);
    // The texture's top-left at the transformed point, zoomed by zoom (× scale).
    virtual void putTexture(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                            std::int32_t wy);
    virtual void putTextureScaled(const SDL_Rect* srcRect, Texture& texture, std::int32_t wx,
                                  std::int32_t wy, double scale);
    virtual void putPixel(std::int32_t wx, std::int32_t wy, std::uint8_t r, std::uint8_t g,
                          std::uint8_t b, std::uint8_t a);
    virtual void putLine(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                         std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    virtual void putRect(std::int32_t wx1, std::int32_t wy1, std::int32_t wx2, std::int32_t wy2,
                         std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, bool fill);
    virtual void putEllipse(std::int32_t wx, std::int32_t wy, std::int32_t rx, std::int32_t ry,
                            std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                            bool fill);
    virtual void putString(std::int32_t wx, std::int32_t wy, const std::string& text,
                           std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

    // The transform, before truncation.
    long double screenX(std::int32_t wx) const;
    long double screenY(std::int32_t wy) const;

    // Drawing onto the camera lands on the display's screen, borrowed, never freed.
    SDL_Surface* surface() const override;
    void setSurface(SDL_Surface* s) override;
    void create(int width, int height) override;
    void loadimg(const std::string& path) override;
    void freeSurface() override;
    void toDisplayFormat() override;
};

namespace camera2d {
void moduleStart();
void moduleEnd();
}  // namespace camera2d

}  // namespace algo
