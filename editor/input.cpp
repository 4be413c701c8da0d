#include "editor/input.hpp"

#include "algo/input/event.hpp"

namespace editor {

InputEvents::InputEvents() = default;

InputEvents& InputEvents::instance() {
    static InputEvents events;
    // Once per run of the engine: a new engine has a new pump without the handler.
    static algo::EventControl_* registered = nullptr;
    auto& pump = algo::EventControl_::instance();
    if (registered != &pump) {
        SDL_EnableUNICODE(1);
        pump.setHandler({SDL_KEYDOWN, SDL_KEYUP, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP},
                        algo::EventControl_::Handler(events, &InputEvents::handle));
        registered = &pump;
        events.clear();
    }
    return events;
}

void InputEvents::handle(SDL_Event* event) {
    if (event->type == SDL_KEYDOWN) {
        keys.push_back({event->key.keysym.sym, event->key.keysym.mod, event->key.keysym.unicode});
    } else {
        clicks.push_back({event->type == SDL_MOUSEBUTTONDOWN, event->button.button, event->button.x,
                          event->button.y, (SDL_GetModState() & KMOD_SHIFT) != 0});
    }
}

}  // namespace editor
