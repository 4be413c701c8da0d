#pragma once
/// @file
/// Pointer position and buttons of this pass and the pass before, in window pixels.
#include <array>
#include <cstdint>

#include "basic/singleton.hpp"

namespace algo {

/// Pointer position in window pixels and button state, this pass and the one before, with
/// warping and the cursor's visibility. Positions are as SDL reports them: pixels from the
/// window's top-left corner, x right and y down. Buttons are SDL's numbers (1 left, 2 middle,
/// 3 right, 4 and 5 the wheel), below 8; another is an AssertError. The singleton lives from
/// the engine's start to its end and takes its snapshot once per pass, so all of it reads
/// the same pass.
///
/// @code
/// auto& mouse = algo::Mouse_::instance();
/// if (mouse.isPushLeft()) shoot(mouse.x(), mouse.y());
/// int moved = mouse.dx();      // since the last pass
/// mouse.showCursor(false);
/// @endcode
class Mouse_ : public basic::Singleton<Mouse_> {
  public:
    /// Destroyed by the mouse module's end.
    virtual ~Mouse_() = default;

    /// The pointer's x in this pass's snapshot (0 before the first).
    virtual std::int32_t x() const;
    /// The pointer's y in this pass's snapshot.
    virtual std::int32_t y() const;
    /// Motion during the last pass: x now minus x in the previous snapshot, in pixels.
    virtual std::int32_t dx() const;
    /// Motion during the last pass: y now minus y in the previous snapshot.
    virtual std::int32_t dy() const;
    /// isPress(1).
    virtual bool isPressLeft() const { return isPress(1); }
    /// isPress(2).
    virtual bool isPressMiddle() const { return isPress(2); }
    /// isPress(3).
    virtual bool isPressRight() const { return isPress(3); }
    /// isPress(4).
    virtual bool isPressWheelUp() const { return isPress(4); }
    /// isPress(5).
    virtual bool isPressWheelDown() const { return isPress(5); }
    /// isPush(1).
    virtual bool isPushLeft() const { return isPush(1); }
    /// isPush(2).
    virtual bool isPushMiddle() const { return isPush(2); }
    /// isPush(3).
    virtual bool isPushRight() const { return isPush(3); }
    /// isPush(4).
    virtual bool isPushWheelUp() const { return isPush(4); }
    /// isPush(5).
    virtual bool isPushWheelDown() const { return isPush(5); }
    /// Down now and up in the previous pass. Button 0 is never down.
    virtual bool isPush(std::uint32_t button) const;
    /// Down now.
    virtual bool isPress(std::uint32_t button) const;
    /// Moves the pointer to (x, y) in window pixels (each from 0 to 65535; others wrap); the
    /// position reads it from the next pass on.
    virtual void warp(std::int32_t x, std::int32_t y);
    /// Shows or hides the pointer over the window.
    virtual void showCursor(bool show);
    /// Whether the pointer is shown.
    virtual bool isCursorShown() const;
    /// Takes a new snapshot. Runs as an updater, once per pass.
    virtual void update();

  private:
    std::array<std::int32_t, 2> x_{};
    std::array<std::int32_t, 2> y_{};
    std::array<std::uint8_t, 2> buttons_{};
    std::uint8_t current_ = 0;  // the first update writes snapshot 1
};

/// The mouse module: the mouse's singleton.
namespace mouse {
/// The module's start, run by algo::Engine: makes Mouse_, logs "Mouse ctor .." and registers
/// its updater. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: removes the updater and destroys Mouse_.
void moduleEnd();
}  // namespace mouse

}  // namespace algo
