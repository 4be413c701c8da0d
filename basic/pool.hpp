#pragma once
/// @file
/// Recycling store of pre-made objects: actors come and go every few frames without allocating.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "basic/assert.hpp"
#include "basic/element.hpp"
#include "basic/error.hpp"

namespace basic {

/// Raised by Pool::get on an empty pool that may not grow ("pool is exhausted"); the pool is
/// left as it was. what() is the fixed message; the line an error handler logs (toString)
/// names the class of the objects and how many the pool holds.
///
/// @code
/// try { Spark::create(args); } catch (const basic::PoolExeption&) { /* 128 live: skip one */ }
/// @endcode
class PoolExeption : public Error {
  public:
    /// `message` is what(); `detail` (the class and the pool's size) is added by toString.
    explicit PoolExeption(const std::string& message, std::string detail = {})
        : Error(message), detail_(std::move(detail)) {}
    /// The message, then ": " and the detail when there is one.
    std::string toString() const override {
        return detail_.empty() ? std::string(what()) : std::string(what()) + ": " + detail_;
    }
    /// What toString adds to the message ("all 128 objects of Spark are in use ...").
    const std::string& detail() const { return detail_; }

  private:
    std::string detail_;
};

/// A recycling store of objects made in advance: get() hands one out, release() takes it back,
/// last in first out, without allocating. The pool owns the objects it holds; an object
/// handed out belongs to its holder until released.
///
/// @code
/// basic::Pool<Bullet> bullets(64, false);  // 64 made now, never more
/// basic::Pool<Bullet>::Handle b = bullets.get();
/// b->fire(x, y);
/// bullets.release(b);                      // b is empty afterwards
/// @endcode
template <class T>
class Pool {
  public:
    /// An object handed out: its holder owns it until it goes back with release().
    using Handle = std::unique_ptr<T>;

    /// Makes `size` objects (default-constructed) now. With `doNew` an empty pool makes
    /// another `size` on demand; without, get() on an empty pool raises PoolExeption.
    Pool(std::uint32_t size, bool doNew) {
        resize(size);
        doNew_ = doNew;
    }
    /// Destroys the free objects; those handed out are their holders'.
    virtual ~Pool() = default;

    /// Hands out a free object: last in, first out, so the object released most recently
    /// comes next. Allocates nothing while the pool has one. Empty: a pool that may grow
    /// makes allocSize() new ones first (std::out_of_range when that is 0); one that may not
    /// raises PoolExeption "pool is exhausted" and is left as it was.
    virtual Handle get() {
        if (free_.empty()) {
            if (!doNew_)
                throw PoolExeption("pool is exhausted", "all " + std::to_string(allocSize_) +
                                                            " objects of " + typeName(typeid(T)) +
                                                            " are in use (the pool does not grow)");
            resize(allocSize_);
            if (free_.empty()) BASIC_INDEX_ERROR("get from an empty pool (allocSize is 0)");
        }
        Handle object = std::move(free_.back());
        free_.pop_back();  // keeps capacity: no allocation while there is room
        return object;
    }

    /// Takes an object back (it need not have come from this pool) and empties `object`. An
    /// empty handle is an AssertError. Allocates only when the pool outgrows its capacity.
    virtual void release(Handle& object) {
        BASIC_ASSERT(object != nullptr, "release of an empty variable");
        free_.push_back(std::move(object));
        object.reset();
    }

    /// Sets the number of free objects to n (making new ones or destroying the surplus) and
    /// makes n the pool's growth step, allocSize().
    virtual void resize(std::uint32_t n) {
        free_.resize(n);
        for (auto& entry : free_)
            if (!entry) entry = std::make_unique<T>();
        allocSize_ = n;
    }

    /// Calls visit(T*) for each free object, next to be handed out last; a non-zero result
    /// stops the walk and is returned (0 when the walk ends).
    template <class F>
    int forEach(F&& visit) const {
        const std::size_t n = free_.size();
        for (std::size_t i = 0; i < n; ++i)
            if (int r = visit(free_[i].get())) return r;
        return 0;
    }
    /// forEach with the position among the free objects: visit(std::size_t, T*).
    template <class F>
    int forEachIndexed(F&& visit) const {
        const std::size_t n = free_.size();
        for (std::size_t i = 0; i < n; ++i)
            if (int r = visit(i, free_[i].get())) return r;
        return 0;
    }
    /// forEach from the other end: the object get() hands out next comes first.
    template <class F>
    int forEachReverse(F&& visit) const {
        for (std::size_t i = free_.size(); i-- > 0;)
            if (int r = visit(free_[i].get())) return r;
        return 0;
    }
    /// forEachReverse with the position: visit(std::size_t, T*).
    template <class F>
    int forEachReverseIndexed(F&& visit) const {
        for (std::size_t i = free_.size(); i-- > 0;)
            if (int r = visit(i, free_[i].get())) return r;
        return 0;
    }

    /// Whether an empty pool makes new objects instead of raising.
    bool doNew() const { return doNew_; }
    /// How many objects the last resize asked for: the growth step of a pool that may grow.
    std::uint32_t allocSize() const { return allocSize_; }
    /// How many free objects the pool holds now.
    std::size_t length() const { return free_.size(); }

    /// Prints length, doNew and allocSize to standard output (the log while the engine runs).
    virtual void print() const {
        std::printf("length = %d\n", static_cast<int>(free_.size()));
        std::printf("doNew = %d\n", doNew_ ? 1 : 0);
        std::printf("allocSize = %d\n", static_cast<int>(allocSize_));
    }

  private:
    std::vector<Handle> free_;
    bool doNew_ = false;
    std::uint32_t allocSize_ = 0;
};

}  // namespace basic
