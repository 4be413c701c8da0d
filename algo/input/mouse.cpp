#include "algo/input/mouse.hpp"

#include <SDL.h>

#include <memory>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/input/event.hpp"
#include "basic/assert.hpp"

namespace algo {
namespace {

std::uint8_t maskOf(std::uint32_t button) {
    BASIC_ASSERT(button < 8, "mouse button " + std::to_string(button) + " is not below 8");
    // Button 0 has no bit of its own and is never down.
    return button == 0 ? 0 : static_cast<std::uint8_t>(1u << (button - 1));
}

}  // namespace

std::int32_t Mouse_::x() const {
    return x_[current_];
}
std::int32_t Mouse_::y() const {
    return y_[current_];
}
std::int32_t Mouse_::dx() const {
    return x_[current_] - x_[current_ ^ 1];
}
std::int32_t Mouse_::dy() const {
    return y_[current_] - y_[current_ ^ 1];
}

bool Mouse_::isPush(std::uint32_t button) const {
    const std::uint8_t m = maskOf(button);
    return (buttons_[current_] & m) && !(buttons_[current_ ^ 1] & m);
}

bool Mouse_::isPress(std::uint32_t button) const {
    return buttons_[current_] & maskOf(button);
}

void Mouse_::warp(std::int32_t x, std::int32_t y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void Mouse_::showCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool Mouse_::isCursorShown() const {
    return SDL_ShowCursor(SDL_QUERY) == 1;
}

void Mouse_::update() {
    current_ ^= 1;
    int x = 0, y = 0;
    buttons_[current_] = SDL_GetMouseState(&x, &y);
    x_[current_] = x;
    y_[current_] = y;
}

namespace mouse {
namespace {
std::unique_ptr<basic::SingletonOwner<Mouse_>> owner;
}

void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<Mouse_>>();
    log("Mouse ctor ..");
    EventControl_::instance().addUpdater({Mouse_::instance(), &Mouse_::update});
}

void moduleEnd() {
    EventControl_::instance().removeUpdater({Mouse_::instance(), &Mouse_::update});
    owner.reset();
}

}  // namespace mouse
}  // namespace algo
