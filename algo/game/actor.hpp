#pragma once
// The actor protocol and, per actor class, a recycling pool with a fixed table of live ones.
#include <array>
#include <cstdint>
#include <memory>

#include "basic/assert.hpp"
#include "basic/element.hpp"
#include "basic/pool.hpp"

namespace algo {

/// What every actor does: start a life from an argument map, end it, move one pass, draw.
/// Actor classes do not derive from it directly but from ActorTable, which adds their pool.
///
/// @code
/// void Spark::start(const basic::Args& args) {
///     x_ = args.at("x").unpack<int>();  // reset every field: the object is reused
///     life_ = 30;
/// }
/// @endcode
class Actor {
  public:
    virtual ~Actor() = default;
    // (Re)starts a life; fields it does not set keep the previous life's values.
    virtual void start(const basic::Args& args) = 0;
    // Last act before going back to the pool (may leave successors behind).
    virtual void end() = 0;
    virtual void move() = 0;
    virtual void draw() = 0;
};

/// Gives an actor class its own pool of 128 objects, made before main, and a table of 128
/// live ones. The pool owns the free objects and the table the live ones; create() lends one
/// out and kill() takes it back, so an actor never outlives the class's statics and a caller
/// keeps no reference past kill(). Because the objects exist before the engine starts, an
/// actor's constructor must not touch the engine: load and reset things in start().
///
/// @code
/// class Spark : public algo::ActorTable<Spark> { /* start, end, move, draw */ };
///
/// Spark::create({{"x", basic::Element::of<int>(100)}});  // PoolExeption past 128 live ones
/// Spark::updateAll();  // in the scene's update
/// Spark::drawAll();    // in the scene's draw
/// Spark::clearAll();   // at the scene's exit: all back to the pool, end() not called
/// @endcode
// Mixed into each actor class T (class T : public ActorTable<T>): T's own pool,
// live list and cursor. All of it runs on the game thread.
template <class T>
class ActorTable : public Actor {
  public:
    static constexpr std::uint32_t kSlots = 128;
    static constexpr std::uint32_t kPoolSize = 128;

    // Made before main with every object the class will ever have; growth off.
    static inline basic::Pool<T> pool{kPoolSize, false};
    static inline std::array<std::unique_ptr<T>, kSlots> list{};
    static inline std::uint32_t cursor = 0;

    std::uint32_t index = 0;

    static T& create(const basic::Args& args) {
        std::unique_ptr<T> object = pool.get();  // "pool is exhausted" leaves all as it was
        std::uint32_t looked = 0;
        for (; looked < kSlots && list[cursor] != nullptr; ++looked) cursor = (cursor + 1) % kSlots;
        if (looked == kSlots) {
            pool.release(object);  // keep the pool whole
            BASIC_ASSERT(false, "プールが尽きました。");
        }
        T& actor = *object;
        list[cursor] = std::move(object);
        static_cast<ActorTable&>(actor).index = cursor;  // T may carry a base class's index too
        actor.start(args);
        return actor;
    }

    virtual void kill() {
        // Killing a dead actor would hand back another actor's slot.
        BASIC_ASSERT(index < kSlots && list[index].get() == this,
                     "kill of an actor that is not live");
        this->end();
        pool.release(list[index]);
    }

    static void updateAll() {
        for (std::uint32_t i = 0; i < kSlots; ++i)
            if (T* a = list[i].get()) a->move();
    }

    static void drawAll() {
        for (std::uint32_t i = 0; i < kSlots; ++i)
            if (T* a = list[i].get()) a->draw();
    }

    // Back to the pool without `end`, so nothing is left behind; the cursor stays.
    static void clearAll() {
        for (auto& slot : list)
            if (slot) pool.release(slot);
    }

    static std::uint32_t liveCount() {
        std::uint32_t n = 0;
        for (const auto& slot : list) n += slot != nullptr;
        return n;
    }
};

}  // namespace algo
