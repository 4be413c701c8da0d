#pragma once
/// @file
/// The event pump: drains SDL's queue once per pass, stops on quit, then runs the per-pass
/// updaters that keep the input devices current.
#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "basic/singleton.hpp"

namespace algo {

/// A member function bound to an object, for updaters and event handlers. It borrows the
/// object: remove the delegate before the object goes. Two delegates are equal when both the
/// object and the method are, so a registered callback can be found again and removed.
///
/// @code
/// algo::EventControl_::Updater u{tracker, &Tracker::update};
/// algo::EventControl_::instance().addUpdater(u);
/// algo::EventControl_::instance().removeUpdater(u);  // equal delegates find each other
/// @endcode
template <class... A>
class Delegate {
  public:
    /// An empty delegate: false, and not to be called or registered.
    Delegate() = default;

    /// object.*method, borrowing the object.
    template <class T>
    Delegate(T& object, void (T::*method)(A...))
        : object_(&object), type_(&typeid(T)), call_(&invoke<T>) {
        static_assert(sizeof method <= sizeof method_, "member pointer too large");
        std::memcpy(method_, &method, sizeof method);
    }

    /// True when it holds a method to call.
    explicit operator bool() const { return call_ != nullptr; }

    /// Calls the method on the object.
    void operator()(A... args) const { call_(*this, args...); }

    /// Same object (and class) and same method.
    friend bool operator==(const Delegate& l, const Delegate& r) {
        if (l.object_ != r.object_) return false;
        if ((l.type_ == nullptr) != (r.type_ == nullptr)) return false;
        if (l.type_ != nullptr && *l.type_ != *r.type_) return false;
        return std::memcmp(l.method_, r.method_, sizeof l.method_) == 0;
    }

  private:
    template <class T>
    static void invoke(const Delegate& d, A... args) {
        void (T::*method)(A...);
        std::memcpy(&method, d.method_, sizeof method);
        (static_cast<T*>(d.object_)->*method)(args...);
    }

    void* object_ = nullptr;
    const std::type_info* type_ = nullptr;
    // Zero filled, so member pointers of any size compare byte for byte.
    alignas(void*) unsigned char method_[2 * sizeof(void*)] = {};
    void (*call_)(const Delegate&, A...) = nullptr;
};

/// The event pump: poll() drains SDL's queue once per pass, answers false on a quit (the
/// window closed, Escape, pushQuit), and otherwise runs the updaters that refresh the
/// keyboard, mouse, joystick and EasyInput_. The singleton lives from the engine's start to
/// its end and borrows the objects of the delegates registered with it.
///
/// @code
/// auto& events = algo::EventControl_::instance();
/// while (events.poll()) {  // one pass
///     scenes.update();
///     if (algo::waitFrame()) { scenes.draw(); screen.flip(); }
/// }
/// events.pushQuit();       // from a menu: the next poll answers false
/// @endcode
class EventControl_ : public basic::Singleton<EventControl_> {
  public:
    /// A method that receives an SDL event (valid for the length of the call).
    using Handler = Delegate<SDL_Event*>;
    /// A method called once per pass, after the queue has been drained.
    using Updater = Delegate<>;

    /// Highest event type a handler may be set for.
    static constexpr std::uint32_t kMaxEventType = 32;

    /// Destroyed by the event module's end; the delegates' objects are not its to free.
    virtual ~EventControl_() = default;

    /// The handler receives every event of these SDL event types (SDL_KEYDOWN, ...), in queue
    /// order, during poll; a type may have one handler only, for as long as the engine runs.
    /// An empty handler, a type above kMaxEventType, or a type that has a handler already (or
    /// comes twice in the list) is an AssertError, and then nothing is registered.
    virtual void setHandler(const std::vector<std::uint32_t>& types, const Handler& handler);
    /// Updaters run in the order they were added. Adding an updater twice keeps one entry;
    /// an empty one is an AssertError. Takes effect from the next poll.
    virtual void addUpdater(const Updater& updater);
    /// Removes an equal updater; removing an absent one does nothing.
    virtual void removeUpdater(const Updater& updater);
    /// One pass of input: drains SDL's queue, handing each event to its type's handler (events
    /// of other types are dropped; the devices read their state instead). False when the
    /// program is to quit (a closed window, a quit key, pushQuit): the updaters are then
    /// skipped and what follows the quit event stays queued. Otherwise runs the updaters once
    /// (those added or removed by an updater from the next pass on) and answers true.
    virtual bool poll();
    /// Queues a quit event; the next poll returns false. SDLError
    /// "Quitイベント がプッシュできませんでした。" when SDL's queue will not take it.
    virtual void pushQuit();

    /// True when the last poll saw the window lose the input focus (and not win it back):
    /// a game pauses on it, say. Handlers of the active event still get it.
    bool focusLost() const { return focusLost_; }

    /// True when the last poll took a key-down event for this SDL key code from the queue,
    /// however soon the key came up again (KeyBoard_::wasPushed is the usual way to ask).
    bool keyWentDown(std::uint32_t key) const { return key < keyDowns_.size() && keyDowns_[key]; }

    /// The number of updaters registered (the engine's devices included).
    std::size_t updaterCount() const { return updaters_.size(); }

  private:
    bool dispatch(SDL_Event& event);

    std::unordered_map<std::uint32_t, Handler> handlers_;
    // Kept in registration order, so the devices update in the order they were started.
    std::vector<Updater> updaters_;
    // The pass's copy of updaters_, kept so that its storage is reused from pass to pass.
    std::vector<Updater> running_;
    bool focusLost_ = false;
    // Key codes of the key-down events the last poll drained (SDL 1.2 has 323 key codes).
    std::bitset<512> keyDowns_;
};

/// The event module: the event pump's singleton.
namespace event {
/// The module's start, run by algo::Engine: makes EventControl_. Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: destroys EventControl_.
void moduleEnd();
}  // namespace event

}  // namespace algo
