#include "basic/element.hpp"

#include <cxxabi.h>

#include <cstdlib>

namespace basic {

std::string typeName(const std::type_info& t) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(t.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(t.name());
}

std::string Element::storedTypeName() const {
    return type_ ? typeName(*type_) : std::string("(empty)");
}

void Element::mismatch(const std::type_info& requested) const {
    assertFailed(__FILE__, __LINE__,
                 "pack時の型と違うのでunpack出来ません。(" + storedTypeName() + " -> " +
                     typeName(requested) + ")");
}

}  // namespace basic
