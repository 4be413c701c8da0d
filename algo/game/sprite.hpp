#pragma once
/// @file
/// A part of a shared texture at a position, drawn onto the camera.
#include <SDL.h>

#include <array>
#include <cstdint>

#include "algo/game/vector2d.hpp"
#include "algo/surface/texture.hpp"

namespace algo {

/// A part of a texture at a position, drawn onto the camera, whose surface is the display's:
/// the camera's transform is not applied, so the position is in screen pixels. The sprite
/// borrows its texture: several sprites share one picture, and the texture must outlive them.
/// The owner sets the fields directly.
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
    /// Frees nothing: the texture is borrowed.
    virtual ~Sprite() = default;

    /// Where the sprite is, in screen pixels; draw puts the picture's top-left corner at pos
    /// plus half the rectangle's size. Like any Vector2D, (0, 1) unless set.
    Vector2D pos;
    /// Drawn only while true; false unless set.
    bool visible = false;
    /// The picture, not owned: sprites share their pictures.
    Texture* texture = nullptr;
    /// The part of the texture drawn, in the texture's pixels.
    SDL_Rect rect{0, 0, 0, 0};
    /// Free for the owner (a frame number, a kind); the engine does not read it.
    std::uint32_t extra = 0;

    /// rect's width in pixels.
    virtual std::uint16_t width() const { return rect.w; }
    /// Sets rect's width in pixels.
    virtual void setWidth(std::uint16_t w) { rect.w = w; }
    /// rect's height in pixels.
    virtual std::uint16_t height() const { return rect.h; }
    /// Sets rect's height in pixels.
    virtual void setHeight(std::uint16_t h) { rect.h = h; }
    /// The extra field.
    virtual std::uint32_t getExtra() const { return extra; }
    /// The rectangle becomes the whole texture; an AssertError without a texture.
    virtual void fromTexture();
    /// The texture field.
    virtual Texture* getTexture() const { return texture; }
    /// Draws rect of the texture onto the camera (the screen) with its top-left at pos + half
    /// the rectangle's size (integer halves; the sum truncated toward zero and kept in the
    /// 16-bit range); nothing while hidden. A visible sprite without a texture is an
    /// AssertError; the draw's own errors are Texture::draw's.
    virtual void draw();
};

/// The sprite module: a table of sprite slots for programs that keep their sprites in one.
namespace sprite {
/// The number of slots in table().
constexpr std::size_t kTableSize = 128;
/// Spare sprite slots the module keeps for its users: pointers, not owned, all null at the
/// engine's start and end. The engine itself never reads them.
std::array<Sprite*, kTableSize>& table();
/// The module's start, run by algo::Engine: empties the table. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: empties the table.
void moduleEnd();
}  // namespace sprite

}  // namespace algo
