#pragma once
// Recycling store of pre-made objects: actors come and go every few frames without allocating.
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
    explicit PoolExeption(const std::string& message, std::string detail = {})
        : Error(message), detail_(std::move(detail)) {}
    std::string toString() const override {
        return detail_.empty() ? std::string(what()) : std::string(what()) + ": " + detail_;
    }
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
    using Handle = std::unique_ptr<T>;

    Pool(std::uint32_t size, bool doNew) {
        resize(size);
        doNew_ = doNew;
    }
    virtual ~Pool() = default;

    // Last in, first out: the object released most recently is handed out next.
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

    virtual void release(Handle& object) {
        BASIC_ASSERT(object != nullptr, "release of an empty variable");
        free_.push_back(std::move(object));
        object.reset();
    }

    virtual void resize(std::uint32_t n) {
        free_.resize(n);
        for (auto& entry : free_)
            if (!entry) entry = std::make_unique<T>();
        allocSize_ = n;
    }

    // Visitors get a pointer to each free object; a non-zero result stops the walk.
    template <class F>
    int forEach(F&& visit) const {
        const std::size_t n = free_.size();
        for (std::size_t i = 0; i < n; ++i)
            if (int r = visit(free_[i].get())) return r;
        return 0;
    }
    template <class F>
    int forEachIndexed(F&& visit) const {
        const std::size_t n = free_.size();
        for (std::size_t i = 0; i < n; ++i)
            if (int r = visit(i, free_[i].get())) return r;
        return 0;
    }
    template <class F>
    int forEachReverse(F&& visit) const {
        for (std::size_t i = free_.size(); i-- > 0;)
            if (int r = visit(free_[i].get())) return r;
        return 0;
    }
    template <class F>
    int forEachReverseIndexed(F&& visit) const {
        for (std::size_t i = free_.size(); i-- > 0;)
            if (int r = visit(i, free_[i].get())) return r;
        return 0;
    }

    bool doNew() const { return doNew_; }
    std::uint32_t allocSize() const { return allocSize_; }
    std::size_t length() const { return free_.size(); }

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
