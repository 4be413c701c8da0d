#include "algo/input/event.hpp"

#include <algorithm>
#include <memory>
#include <string>

#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

void EventControl_::setHandler(const std::vector<std::uint32_t>& types, const Handler& handler) {
    BASIC_ASSERT(static_cast<bool>(handler), "setHandler: empty handler");
    // Check the whole list first so a refused call registers nothing.
    for (std::size_t i = 0; i < types.size(); ++i) {
        const std::uint32_t type = types[i];
        BASIC_ASSERT(type <= kMaxEventType,
                     "setHandler: event type " + std::to_string(type) + " is above 32");
        BASIC_ASSERT(handlers_.count(type) == 0 &&
                         std::find(types.begin(), types.begin() + i, type) == types.begin() + i,
                     "setHandler: event type " + std::to_string(type) + " already has a handler");
    }
    for (std::uint32_t type : types) handlers_.emplace(type, handler);
}

void EventControl_::addUpdater(const Updater& updater) {
    BASIC_ASSERT(static_cast<bool>(updater), "addUpdater: empty updater");
    if (std::find(updaters_.begin(), updaters_.end(), updater) == updaters_.end())
        updaters_.push_back(updater);
}

void EventControl_::removeUpdater(const Updater& updater) {
    auto it = std::find(updaters_.begin(), updaters_.end(), updater);
    if (it != updaters_.end()) updaters_.erase(it);
}

bool EventControl_::poll() {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    focusLost_ = false;
    keyDowns_.reset();
    while (SDL_PollEvent(&event) == 1) {
        if (event.type == SDL_QUIT) return false;
        // A press is kept even when its release is in the same drain: a tap shorter than a
        // pass would otherwise never be seen.
        if (event.type == SDL_KEYDOWN &&
            static_cast<std::size_t>(event.key.keysym.sym) < keyDowns_.size())
            keyDowns_.set(static_cast<std::size_t>(event.key.keysym.sym));
        if (event.type == SDL_ACTIVEEVENT && (event.active.state & SDL_APPINPUTFOCUS))
            focusLost_ = event.active.gain == 0;
        dispatch(event);
    }
    // A copy: updaters added or removed by an updater take effect from the next pass. The
    // copy's storage stays from pass to pass, so a steady pass allocates nothing.
    running_.assign(updaters_.begin(), updaters_.end());
    for (std::size_t i = 0; i < running_.size(); ++i) running_[i]();
    return true;
}

bool EventControl_::dispatch(SDL_Event& event) {
    auto it = handlers_.find(event.type);
    if (it == handlers_.end()) return true;
    it->second(&event);
    return false;
}

void EventControl_::pushQuit() {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_QUIT;
    SDL_ClearError();
    if (SDL_PushEvent(&event) != 0) throw SDLError("Quitイベント がプッシュできませんでした。");
}

namespace event {
namespace {
std::unique_ptr<basic::SingletonOwner<EventControl_>> owner;
}
void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<EventControl_>>();
}
void moduleEnd() {
    owner.reset();
}
}  // namespace event

}  // namespace algo
