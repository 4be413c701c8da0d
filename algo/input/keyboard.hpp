#pragma once
/// @file
/// Key state of this pass and the pass before, and the keys that end the program.
#include <array>
#include <cstdint>
#include <set>
#include <span>

#include "basic/singleton.hpp"

namespace algo {

/// SDL's key count: one entry per key code 0 to 322 (SDLK_a, SDLK_ESCAPE, ...).
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
    /// Destroyed by the keyboard module's end.
    virtual ~KeyBoard_() = default;

    /// Down in this pass's snapshot and up in the previous one. Every key is an SDL key code
    /// below 323; another is an AssertError "key code N is not below 323".
    virtual bool isPush(std::uint32_t key) const;
    /// Down in this pass's snapshot.
    virtual bool isPress(std::uint32_t key) const;
    /// Pressed since the previous pass: isPush, or a key-down event taken from SDL's queue by
    /// this pass's poll, so that a tap shorter than a pass counts too (key repeats, when
    /// SDL_EnableKeyRepeat is on, count as presses). Key code below 323.
    bool wasPushed(std::uint32_t key) const;
    /// Takes a new snapshot from the key source and, while a quit key is down, asks to quit
    /// (EventControl_::pushQuit). Runs as an updater, once per pass; an AssertError when the
    /// key source gives no state.
    virtual void update();
    /// Holding `key` down ends the program at the next poll (Escape is one from the start).
    virtual void addQuitKey(std::uint32_t key);
    /// `key` no longer quits; a key that did not is fine.
    virtual void removeQuitKey(std::uint32_t key);

  private:
    std::array<std::array<bool, kKeyCount>, 2> state_{};
    std::uint8_t current_ = 0;  // the first update writes snapshot 1
    std::set<std::uint32_t> quitKeys_;
};

/// The keyboard module: where key states come from, and the keyboard's singleton.
namespace keyboard {

/// Where the key states come from: a function shaped as SDL_GetKeyState, returning one byte
/// per key code (non-zero: down) and storing how many in *numkeys; keys past that count read
/// as up.
using KeySource = const std::uint8_t* (*)(int* numkeys);
/// Sets the key source from the next snapshot on. nullptr (the default) reads SDL's own
/// state; the replay runner supplies its array of 323 entries. The game itself never sets it.
void setKeySource(KeySource source);
/// Key states the program writes itself: makes an array of kKeyCount entries (all up) the key
/// source and returns it; an entry set to 1 is held from the next snapshot on. One array per
/// program, cleared by each call. setKeySource(nullptr) goes back to SDL's state.
std::span<std::uint8_t, kKeyCount> scriptedKeys();

/// The module's start, run by algo::Engine: makes KeyBoard_, logs "Keyboard ctor ..",
/// registers its updater and makes Escape a quit key. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: removes the updater and destroys KeyBoard_.
void moduleEnd();

}  // namespace keyboard

}  // namespace algo
