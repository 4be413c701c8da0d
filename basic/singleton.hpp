#pragma once
/// @file
/// One instance per class, made by the start-up sequence; the getter never creates anything.
#include <memory>
#include <typeinfo>

#include "basic/assert.hpp"

namespace basic {

/// Throws the AssertError of a singleton reached while it does not exist: the class's name
/// and that singletons are reached inside the body given to algo::runProgram.
[[noreturn]] void singletonMissing(const std::type_info& type);

/// Base of the classes whose name ends in `_`: one instance, made by its module's start and
/// destroyed by its end, reached with instance(), which never creates anything. Reached
/// outside that span it raises an AssertError naming the class.
///
/// @code
/// auto& screen = algo::Display_::instance();  // inside algo::runProgram's body
/// if (algo::Audio_::exists()) algo::Audio_::instance().stopAll();
/// @endcode
template <class T>
class Singleton {
  public:
    /// The one instance. While none exists (before the engine starts the module, after it
    /// ends it) an AssertError naming the class; it never creates one.
    static T& instance() {
        if (instance_ == nullptr) singletonMissing(typeid(T));
        return *instance_;
    }
    /// Whether the one instance exists now.
    static bool exists() { return instance_ != nullptr; }

    /// Not copyable: there is one instance.
    Singleton(const Singleton&) = delete;
    /// Not copyable: there is one instance.
    Singleton& operator=(const Singleton&) = delete;

  protected:
    /// Made only as the base of the one instance, which a SingletonOwner makes.
    Singleton() = default;
    /// Not virtual: the instance is destroyed as its own class by its SingletonOwner.
    ~Singleton() = default;

  private:
    template <class U, class... Args>
    friend class SingletonOwner;
    static inline T* instance_ = nullptr;
};

/// Makes the one instance of a singleton and destroys it with itself: a module's start holds
/// one, and a program's own singletons (its scenes) are made the same way.
///
/// @code
/// class Title_ : public algo::Scene, public basic::Singleton<Title_> { /* ... */ };
/// basic::SingletonOwner<Title_> title;  // Title_::instance() works while it lives
/// @endcode
template <class T, class... Args>
class SingletonOwner {
  public:
    /// Makes the instance, T(args...), and makes it the one instance() returns. A second
    /// owner of the same T while the first lives is an AssertError "singleton created twice"
    /// (its object is made, then destroyed again).
    explicit SingletonOwner(Args... args) : object_(new T(std::forward<Args>(args)...)) {
        BASIC_ASSERT(Singleton<T>::instance_ == nullptr, "singleton created twice");
        Singleton<T>::instance_ = object_.get();
    }
    /// Destroys the instance; instance() raises again from then on.
    ~SingletonOwner() {
        object_.reset();
        Singleton<T>::instance_ = nullptr;
    }
    /// Not copyable: it owns the one instance.
    SingletonOwner(const SingletonOwner&) = delete;
    /// Not copyable: it owns the one instance.
    SingletonOwner& operator=(const SingletonOwner&) = delete;

  private:
    std::unique_ptr<T> object_;
};

}  // namespace basic
