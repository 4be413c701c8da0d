#pragma once
// Key state of this pass and the pass before, and the keys that end the program.
#include <array>
#include <cstdint>
#include <set>
#include <span>

#include "basic/singleton.hpp"

namespace algo {

// SDL's key count: one entry per key code 0 to 322.
inline constexpr std::uint32_t kKeyCount = 323;

/// Key state of this pass and the pass before, by SDL key code, and the keys that end the
/// program (Escape from the start). It takes one snapshot per pass, so isPress and isPush do
/// not see a tap that goes down and up between two polls; wasPushed does. The singleton lives
/// from the engine's start to its end.
///
/// @code
/// auto& keys = algo::KeyBoard_::instance();
/// if (keys.wasPushed(SDLK_p)) paused = !paused;  // pressed since the last pass, however briefly
/// if (keys.isPress(SDLK_LSHIFT)) speed = 4;   // held
/// keys.removeQuitKey(SDLK_ESCAPE);            // Escape opens a menu instead
/// @endcode
class KeyBoard_ : public basic::Singleton<KeyBoard_> {
  public:
    virtual ~KeyBoard_() = default;

    // Down now and up in the previous pass. Every key is an SDL key code below 323.
    virtual bool isPush(std::uint32_t key) const;
    // Down now.
    virtual bool isPress(std::uint32_t key) const;
    /// Pressed since the previous pass: isPush, or a key-down event taken from SDL's queue by
    /// this pass's poll, so that a tap shorter than a pass counts too (key repeats, when
    /// SDL_EnableKeyRepeat is on, count as presses). Key code below 323.
    bool wasPushed(std::uint32_t key) const;
    // Takes a new snapshot and asks to quit while a quit key is down. Runs as an updater.
    virtual void update();
    virtual void addQuitKey(std::uint32_t key);
    virtual void removeQuitKey(std::uint32_t key);

  private:
    std::array<std::array<bool, kKeyCount>, 2> state_{};
    std::uint8_t current_ = 0;  // the first update writes snapshot 1
    std::set<std::uint32_t> quitKeys_;
};

namespace keyboard {

// Where the key states come from. nullptr (the default) reads SDL's own state; the replay
// runner supplies its array of 323 entries. The game itself never sets it.
using KeySource = const std::uint8_t* (*)(int* numkeys);
void setKeySource(KeySource source);
// Key states the program writes itself: makes an array of kKeyCount entries (all up) the key
// source and returns it; an entry set to 1 is held from the next snapshot on.
// setKeySource(nullptr) goes back to SDL's state.
std::span<std::uint8_t, kKeyCount> scriptedKeys();

void moduleStart();
void moduleEnd();

}  // namespace keyboard

}  // namespace algo
