#include "algo/game/sprite.hpp"

#include "algo/surface/camera2d.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace sprite {
namespace {
std::array<Sprite*, kTableSize> slots{};
}
std::array<Sprite*, kTableSize>& table() {
    return slots;
}
void moduleStart() {
    slots.fill(nullptr);
}
void moduleEnd() {
    slots.fill(nullptr);
}
}  // namespace sprite

void Sprite::fromTexture() {
    BASIC_ASSERT(texture != nullptr, "Sprite.fromTexture without a texture");
    rect = SDL_Rect{0, 0, static_cast<Uint16>(texture->width()),
                    static_cast<Uint16>(texture->height())};
}

void Sprite::draw() {
    if (!visible) return;
    BASIC_ASSERT(texture != nullptr, "Sprite.draw of a visible sprite without a texture");
    const std::int16_t x = toPixel16(pos.x + rect.w / 2);
    const std::int16_t y = toPixel16(pos.y + rect.h / 2);
    texture->draw(&rect, Camera2D_::instance(), x, y);
}

}  // namespace algo
