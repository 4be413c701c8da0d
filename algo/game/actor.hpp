#pragma once
/// @file
/// The actor protocol and, per actor class, a recycling pool with a fixed table of live ones.
#include <SDL.h>

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
    /// Actors are destroyed only with their class's pool and table, at the program's end.
    virtual ~Actor() = default;
    /// (Re)starts a life with the map given to create; fields it does not set keep the
    /// previous life's values.
    virtual void start(const basic::Args& args) = 0;
    /// Last act before kill() gives the object back to the pool (may create successors);
    /// clearAll does not call it.
    virtual void end() = 0;
    /// One pass of the actor's logic, from updateAll.
    virtual void move() = 0;
    /// Paints the actor, from drawAll.
    virtual void draw() = 0;
};

/// Gives an actor class its own pool of 128 objects and a table of 128 live ones. The pool
/// owns the free objects and the table the live ones; create() lends one out and kill() takes
/// it back, so an actor never outlives the class's statics and a caller keeps no reference
/// past kill(). The 128 objects are made while the engine runs: by makePool() in the
/// program's start routine, or else by the first create(). Their constructors run only then,
/// so they may use the engine (load a picture); what a life needs is set in start(). All of
/// it runs on the game thread.
///
/// @code
/// class Spark : public algo::ActorTable<Spark> { /* start, end, move, draw */ };
///
/// Spark::makePool();   // at start-up: the 128 objects, none made later during play
/// Spark::create({{"x", basic::Element::of<int>(100)}});  // PoolExeption past 128 live ones
/// Spark::updateAll();  // in the scene's update
/// Spark::drawAll();    // in the scene's draw
/// for (Spark& s : Spark::live()) s.fade();  // every live one, slot by slot
/// Spark::clearAll();   // at the scene's exit: all back to the pool, end() not called
/// @endcode
template <class T>
class ActorTable : public Actor {
  public:
    /// Slots of the live table: at most this many actors of T live at once.
    static constexpr std::uint32_t kSlots = 128;
    /// Objects of T that makePool makes, once.
    static constexpr std::uint32_t kPoolSize = 128;

    /// T's free objects. Empty until makePool (no object is made before the engine runs);
    /// it never grows, so create raises when all are live.
    static inline basic::Pool<T> pool{0, false};
    /// The live table: slot i holds the live actor whose index is i, or null.
    static inline std::array<std::unique_ptr<T>, kSlots> list{};
    /// The slot of the latest create; the next one looks for a free slot from there on,
    /// wrapping after the last. clearAll leaves it.
    static inline std::uint32_t cursor = 0;

    /// The slot this actor holds while it lives.
    std::uint32_t index = 0;

    /// Makes the class's 128 objects, once: the first create() does it otherwise, and a
    /// program that makes none during play calls it in its start routine.
    static void makePool() {
        if (poolMade) return;
        pool.resize(kPoolSize);
        poolMade = true;
    }

    /// Takes an object from the pool, puts it in a free slot and calls its start(args).
    /// Raises basic::PoolExeption ("pool is exhausted") past 128 live ones; nothing changes.
    /// (A full table with an object still in the pool, which only a pool given more objects
    /// by hand allows, is an AssertError "プールが尽きました。", also changing nothing.)
    static T& create(const basic::Args& args) {
        makePool();
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

    /// Ends this actor's life: its end(), then the object goes back to the pool and its slot
    /// is free. Keep no reference to it afterwards. An actor that is not live (killed twice,
    /// say) is an AssertError "kill of an actor that is not live".
    virtual void kill() {
        // Killing a dead actor would hand back another actor's slot.
        BASIC_ASSERT(index < kSlots && list[index].get() == this,
                     "kill of an actor that is not live");
        this->end();
        pool.release(list[index]);
    }

    /// move() of every live actor, slot 0 to 127, each slot read when the walk reaches it: an
    /// actor may kill itself or others, and one created meanwhile moves in the same walk
    /// when it lands in a later slot.
    static void updateAll() {
        for (std::uint32_t i = 0; i < kSlots; ++i)
            if (T* a = list[i].get()) a->move();
    }

    /// draw() of every live actor, slot 0 to 127, walked as updateAll walks.
    static void drawAll() {
        for (std::uint32_t i = 0; i < kSlots; ++i)
            if (T* a = list[i].get()) a->draw();
    }

    /// Every live actor back to the pool without end(), so nothing is left behind (a scene's
    /// exit); the cursor stays.
    static void clearAll() {
        for (auto& slot : list)
            if (slot) pool.release(slot);
    }

    /// The number of live actors.
    static std::uint32_t liveCount() {
        std::uint32_t n = 0;
        for (const auto& slot : list) n += slot != nullptr;
        return n;
    }

    /// The live actors, slot 0 to 127, for a range-for. Like updateAll, each slot is read when
    /// the walk reaches it: an actor may kill itself or others in the loop, and one created
    /// meanwhile is visited when it lands in a later slot.
    class Live {
      public:
        /// A position in the walk: a live slot, or the end (slot 128).
        class iterator {
          public:
            /// The first live slot from `slot` on (the end when there is none).
            explicit iterator(std::uint32_t slot) : slot_(slot) { skip(); }
            /// The actor in the slot.
            T& operator*() const { return *list[slot_]; }
            /// The actor in the slot.
            T* operator->() const { return list[slot_].get(); }
            /// On to the next live slot, reading the table as it stands now.
            iterator& operator++() {
                ++slot_;
                skip();
                return *this;
            }
            /// Same slot.
            bool operator==(const iterator& o) const { return slot_ == o.slot_; }

          private:
            void skip() {
                while (slot_ < kSlots && !list[slot_]) ++slot_;
            }
            std::uint32_t slot_;
        };
        /// The first live slot.
        iterator begin() const { return iterator(0); }
        /// Past the last slot.
        iterator end() const { return iterator(kSlots); }
    };
    /// The live actors of T, slot 0 to 127, for a range-for (see Live).
    static Live live() { return {}; }

  private:
    static inline bool poolMade = false;
};

/// Whether two rectangles share at least one pixel: the test a collision starts from. A
/// rectangle with no width or height overlaps nothing; touching edges do not overlap.
///
/// @code
/// SDL_Rect basket{x, 460, 48, 16}, fruit{fx, fy, 16, 16};
/// if (algo::overlaps(basket, fruit)) caught();
/// @endcode
constexpr bool overlaps(const SDL_Rect& a, const SDL_Rect& b) {
    // In int: 16-bit sums would wrap for rectangles near the edge of the coordinate range.
    return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && int{a.x} < int{b.x} + int{b.w} &&
           int{b.x} < int{a.x} + int{a.w} && int{a.y} < int{b.y} + int{b.h} &&
           int{b.y} < int{a.y} + int{a.h};
}

}  // namespace algo
