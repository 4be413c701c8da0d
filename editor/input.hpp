#pragma once
// Key presses and mouse clicks as SDL queued them, with the modifiers and characters of the
// moment: a tap or a click shorter than a pass is not lost, and Ctrl+S is Ctrl+S however
// quickly the keys went.
#include <SDL.h>

#include <cstdint>
#include <vector>

namespace editor {

struct KeyPress {
    SDLKey key = SDLK_UNKNOWN;
    SDLMod mod = KMOD_NONE;
    std::uint16_t unicode = 0;  ///< the character typed, 0 for none
    bool ctrl() const { return (mod & KMOD_CTRL) != 0; }
    bool shift() const { return (mod & KMOD_SHIFT) != 0; }
};

struct Click {
    bool down = false;
    int button = 0;  ///< SDL's: 1 left, 2 middle, 3 right, 4 and 5 the wheel
    int x = 0, y = 0;
    bool shift = false;  ///< Shift held when the button went down or up
};

/// What the last poll took from SDL's queue: key presses and mouse buttons, in order. Its
/// handler is registered with EventControl_ on first use in each run of the engine; the owner of
/// the input takes the events each pass and clears them.
///
/// @code
/// auto& input = editor::InputEvents::instance();
/// for (const editor::KeyPress& k : input.keys) if (k.ctrl() && k.key == SDLK_s) save();
/// input.clear();  // every pass, after the update
/// @endcode
class InputEvents {
  public:
    static InputEvents& instance();

    std::vector<KeyPress> keys;
    std::vector<Click> clicks;

    void clear() {
        keys.clear();
        clicks.clear();
    }

  private:
    InputEvents();
    void handle(SDL_Event* event);

    bool shift_ = false;
};

}  // namespace editor
