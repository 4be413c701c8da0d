#pragma once
// Boxed value for loosely typed argument maps; the type is checked again on the way out.
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
    Element() = default;

    template <class T>
    static Element of(const T& value) {
        Element e;
        e.pack(value);
        return e;
    }

    template <class T>
    void pack(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>, "Element holds plain values only");
        type_ = &typeid(T);
        auto bytes = std::make_shared<std::vector<std::byte>>(sizeof(T));
        std::memcpy(bytes->data(), &value, sizeof(T));
        data_ = std::move(bytes);
    }

    template <class T>
    T unpack() const {
        static_assert(std::is_trivially_copyable_v<T>, "Element holds plain values only");
        if (type_ == nullptr || *type_ != typeid(T)) mismatch(typeid(T));
        if (!data_ || data_->size() < sizeof(T)) BASIC_INDEX_ERROR("unpack past the packed bytes");
        T value;
        std::memcpy(&value, data_->data(), sizeof(T));
        return value;
    }

    bool empty() const { return !data_; }
    std::string storedTypeName() const;

  private:
    [[noreturn]] void mismatch(const std::type_info& requested) const;

    const std::type_info* type_ = nullptr;
    std::shared_ptr<const std::vector<std::byte>> data_;
};

using Args = std::map<std::string, Element>;

}  // namespace basic
