#pragma once
// Pointer position and buttons of this pass and the pass before, in window pixels.
#include <array>
#include <cstdint>

#include "basic/singleton.hpp"

namespace algo {

/// Pointer position in window pixels and button state, this pass and the one before, with
/// warping and the cursor's visibility. The singleton lives from the engine's start to its
/// end and takes its snapshot once per pass.
///
/// @code
/// auto& mouse = algo::Mouse_::instance();
/// if (mouse.isPushLeft()) shoot(mouse.x(), mouse.y());
/// int moved = mouse.dx();      // since the last pass
/// mouse.showCursor(false);
/// @endcode
class Mouse_ : public basic::Singleton<Mouse_> {
  public:
    virtual ~Mouse_() = default;

    virtual std::int32_t x() const;
    virtual std::int32_t y() const;
    // Motion during the last pass.
    virtual std::int32_t dx() const;
    virtual std::int32_t dy() const;
    virtual bool isPressLeft() const { return isPress(1); }
    virtual bool isPressMiddle() const { return isPress(2); }
    virtual bool isPressRight() const { return isPress(3); }
    virtual bool isPressWheelUp() const { return isPress(4); }
    virtual bool isPressWheelDown() const { return isPress(5); }
    virtual bool isPushLeft() const { return isPush(1); }
    virtual bool isPushMiddle() const { return isPush(2); }
    virtual bool isPushRight() const { return isPush(3); }
    virtual bool isPushWheelUp() const { return isPush(4); }
    virtual bool isPushWheelDown() const { return isPush(5); }
    // Buttons are SDL's numbers (1 left, 2 middle, 3 right, 4 and 5 the wheel), below 8.
    // Down now and up in the previous pass.
    virtual bool isPush(std::uint32_t button) const;
    // Down now.
    virtual bool isPress(std::uint32_t button) const;
    // Moves the pointer; the position reads it from the next pass on.
    virtual void warp(std::int32_t x, std::int32_t y);
    virtual void showCursor(bool show);
    virtual bool isCursorShown() const;
    // Takes a new snapshot. Runs as an updater.
    virtual void update();

  private:
    std::array<std::int32_t, 2> x_{};
    std::array<std::int32_t, 2> y_{};
    std::array<std::uint8_t, 2> buttons_{};
    std::uint8_t current_ = 0;  // the first update writes snapshot 1
};

namespace mouse {
void moduleStart();
void moduleEnd();
}  // namespace mouse

}  // namespace algo
