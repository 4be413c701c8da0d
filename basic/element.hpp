#pragma once
/// @file
/// Boxed value for loosely typed argument maps; the type is checked again on the way out.
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "basic/assert.hpp"

namespace basic {

/// The demangled name of a type ("int", "game::Grid"); the raw name when it cannot be
/// demangled.
std::string typeName(const std::type_info& t);

/// A boxed plain value for argument maps (basic::Args): it keeps the value's type and a copy
/// of its bytes, and unpacking as another type is an AssertError. Copies share the bytes.
///
/// @code
/// basic::Args args{{"map", basic::Element::of<int>(3)}};
/// int level = args.at("map").unpack<int>();
/// args.at("map").unpack<bool>();  // AssertError: ...unpack出来ません。(int -> bool)
/// @endcode
class Element {
  public:
    /// An empty element: it holds no value, and unpacking it is an AssertError.
    Element() = default;

    /// An element holding a copy of `value` (a trivially copyable type only).
    template <class T>
    static Element of(const T& value) {
        Element e;
        e.pack(value);
        return e;
    }

    /// Replaces what the element holds with a copy of `value` and its type. Copies made
    /// earlier keep the old value.
    template <class T>
    void pack(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>, "Element holds plain values only");
        type_ = &typeid(T);
        auto bytes = std::make_shared<std::vector<std::byte>>(sizeof(T));
        std::memcpy(bytes->data(), &value, sizeof(T));
        data_ = std::move(bytes);
    }

    /// A copy of the value, asked for as the type it was packed as: any other T (also one of
    /// the same size, such as unsigned for int) or an empty element is an AssertError
    /// "pack時の型と違うのでunpack出来ません。(" + stored type + " -> " + T + ")".
    template <class T>
    T unpack() const {
        static_assert(std::is_trivially_copyable_v<T>, "Element holds plain values only");
        if (type_ == nullptr || *type_ != typeid(T)) mismatch(typeid(T));
        if (!data_ || data_->size() < sizeof(T)) BASIC_INDEX_ERROR("unpack past the packed bytes");
        T value;
        std::memcpy(&value, data_->data(), sizeof(T));
        return value;
    }

    /// True while nothing has been packed.
    bool empty() const { return !data_; }
    /// The demangled name of the packed type, "(empty)" for an empty element.
    std::string storedTypeName() const;

  private:
    [[noreturn]] void mismatch(const std::type_info& requested) const;

    const std::type_info* type_ = nullptr;
    std::shared_ptr<const std::vector<std::byte>> data_;
};

/// The argument map that scenes' init and actors' start receive: a name to a boxed value.
using Args = std::map<std::string, Element>;

}  // namespace basic
