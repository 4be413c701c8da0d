#pragma once
// One instance per class, made by the start-up sequence; the getter never creates anything.
#include <memory>
#include <typeinfo>

#include "basic/assert.hpp"

namespace basic {

// The assertion failure of a singleton reached while it does not exist, naming its class.
[[noreturn]] void singletonMissing(const std::type_info& type);

template <class T>
class Singleton {
  public:
    static T& instance() {
        if (instance_ == nullptr) singletonMissing(typeid(T));
        return *instance_;
    }
    static bool exists() { return instance_ != nullptr; }

    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

  protected:
    Singleton() = default;
    ~Singleton() = default;

  private:
    template <class U, class... Args>
    friend class SingletonOwner;
    static inline T* instance_ = nullptr;
};

// Owns the one instance for as long as it lives; the start-up sequence holds these.
template <class T, class... Args>
class SingletonOwner {
  public:
    explicit SingletonOwner(Args... args) : object_(new T(std::forward<Args>(args)...)) {
        BASIC_ASSERT(Singleton<T>::instance_ == nullptr, "singleton created twice");
        Singleton<T>::instance_ = object_.get();
    }
    ~SingletonOwner() {
        object_.reset();
        Singleton<T>::instance_ = nullptr;
    }
    SingletonOwner(const SingletonOwner&) = delete;
    SingletonOwner& operator=(const SingletonOwner&) = delete;

  private:
    std::unique_ptr<T> object_;
};

}  // namespace basic
