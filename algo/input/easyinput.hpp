#pragma once
/// @file
/// The input the game reads: 64 logical buttons fed by the keyboard and the first free
/// joystick, each counting the passes it has been held (0 up, 1 went down this pass, n held).
#include <array>
#include <cstdint>
#include <memory>

#include "algo/input/joystick.hpp"
#include "algo/input/keyboard.hpp"
#include "basic/singleton.hpp"

namespace algo {

/// The input a game reads: 64 logical buttons, each fed by one key and by the first free
/// joystick, counting the passes it has been held: 0 up, 1 went down this pass, n held for
/// n passes. The defaults are the cursor keys for Up, Right, Down, Left and Z X C V for
/// Button(0) to Button(3). The singleton owns its joystick and lives from the engine's start
/// to its end; it is updated once per pass by EventControl_::poll.
///
/// @code
/// auto& input = algo::EasyInput_::instance();
/// if (input.count(algo::EasyInput_::Left) > 0) x -= 2;        // held
/// if (input.count(algo::EasyInput_::Button(0)) == 1) jump();  // just pressed
/// if (input.wasPushed(algo::EasyInput_::Button(1))) fire();   // also a tap within a pass
/// input.setKey(algo::EasyInput_::Button(1), SDLK_SPACE);     // rebind
/// @endcode
class EasyInput_ : public basic::Singleton<EasyInput_> {
  public:
    /// The number of logical buttons, indices 0 to 63.
    static constexpr std::uint32_t kButtonCount = 64;
    /// The joystick's axis threshold: half way (of 32767) counts as a direction held.
    static constexpr std::int16_t kThreshold = 16384;
    /// Index 0, the first of the directions, clockwise from the top: the stick up or the Up
    /// cursor key by default.
    static constexpr std::uint32_t Up = 0;
    /// Index 1: the stick right or the Right key.
    static constexpr std::uint32_t Right = 1;
    /// Index 2: the stick down or the Down key.
    static constexpr std::uint32_t Down = 2;
    /// Index 3: the stick left or the Left key.
    static constexpr std::uint32_t Left = 3;
    /// Index of button n (4 + n), fed by joystick button n and its key.
    static constexpr std::uint32_t Button(std::uint32_t n) { return 4 + n; }

    /// Claims the first free joystick (if any), logs its button count, binds the default keys.
    EasyInput_();
    /// Destroyed by the easyinput module's end; closes its joystick.
    virtual ~EasyInput_() = default;

    /// Cursor keys for the directions, Z X C V for buttons 0 to 3; the other buttons' keys
    /// are left as they are (no key, code 0, unless set).
    virtual void setDefaultKeys();
    /// The joystick it owns (closed when there was none free).
    virtual JoyStick& joystick();
    /// KeyBoard_::instance().
    virtual KeyBoard_& keyboard();
    /// The button follows this SDL key code from the next pass on. An index of 64 or more is
    /// std::out_of_range; a key code of 323 or more an AssertError.
    virtual void setKey(std::uint32_t index, std::uint32_t key);
    /// Advances every counter by one pass: a button held by its key or the joystick counts
    /// one more (either device, never both), one held by neither goes to 0. Runs as an
    /// updater after the keyboard's, so it reads the same pass's key snapshot.
    virtual void update();
    /// The counter of a button: 0 while up, 1 in the pass it went down, n after n passes held.
    /// An index of 64 or more is std::out_of_range.
    virtual std::int32_t count(std::uint32_t index) const;
    /// Pressed since the previous pass: a count of 1, or its key tapped within the pass
    /// (KeyBoard_::wasPushed), which the count alone cannot show. An index of 64 or more is
    /// std::out_of_range.
    bool wasPushed(std::uint32_t index) const;

    /// Every counter, by button index.
    using Counts = std::array<std::int32_t, kButtonCount>;
    /// The counters as they stand: a program that plays passes of its own between two of the
    /// main loop's (a search for a level's solution) saves them first and puts them back after.
    const Counts& counts() const { return counts_; }
    /// Sets every counter, in place of what the devices held; the next update counts on from
    /// them. For input a program makes itself without touching the keyboard's snapshots.
    void setCounts(const Counts& counts) { counts_ = counts; }

  private:
    void advance(bool held, std::uint32_t index);

    std::unique_ptr<JoyStick> joystick_;
    std::array<std::int32_t, kButtonCount> counts_{};
    std::array<std::uint32_t, kButtonCount> keys_{};
};

/// The EasyInput module: the logical buttons' singleton.
namespace easyinput {
/// The module's start, run by algo::Engine: makes EasyInput_ (which logs its joystick's
/// button count), logs "Easyinput ctor .." and registers its updater. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: removes the updater and destroys EasyInput_.
void moduleEnd();
}  // namespace easyinput

}  // namespace algo
