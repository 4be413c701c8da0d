#pragma once
// A part of a shared texture at a world position, drawn onto the camera.
#include <SDL.h>

#include <array>
#include <cstdint>

#include "algo/game/vector2d.hpp"
#include "algo/surface/texture.hpp"

namespace algo {

/// A part of a texture at a world position, drawn onto the camera (which draws on the
/// display). The sprite borrows its texture: several sprites share one picture, and the
/// texture must outlive them. The owner sets the fields directly.
///
/// @code
/// algo::Sprite hero;
/// hero.texture = &sheet;  // borrowed
/// hero.rect = SDL_Rect{0, 0, 16, 16};
/// hero.pos = algo::Vector2D{100, 80};
/// hero.visible = true;
/// hero.draw();            // once per drawn frame
/// @endcode
class Sprite {
  public:
    virtual ~Sprite() = default;

    Vector2D pos;
    bool visible = false;
    Texture* texture = nullptr;  // not owned: sprites share their pictures
    SDL_Rect rect{0, 0, 0, 0};
    std::uint32_t extra = 0;

    virtual std::uint16_t width() const { return rect.w; }
    virtual void setWidth(std::uint16_t w) { rect.w = w; }
    virtual std::uint16_t height() const { return rect.h; }
    virtual void setHeight(std::uint16_t h) { rect.h = h; }
    virtual std::uint32_t getExtra() const { return extra; }
    // The rectangle becomes the whole texture.
    virtual void fromTexture();
    virtual Texture* getTexture() const { return texture; }
    // rect of the texture at pos + half the rectangle's size, on the camera; nothing if hidden.
    virtual void draw();
};

namespace sprite {
constexpr std::size_t kTableSize = 128;
// Spare sprite slots the module keeps for its users.
std::array<Sprite*, kTableSize>& table();
void moduleStart();
void moduleEnd();
}  // namespace sprite

}  // namespace algo
