#include "basic/error.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace basic {

std::string className(const std::exception& e) {
    const char* raw = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(raw);
}

std::string describe(const std::exception& e) {
    const auto* err = dynamic_cast<const Error*>(&e);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "[" + std::string.
    std::string line = "[";
    line += className(e);
    line += "] ";
    line += err ? err->toString() : std::string(e.what());
    return line;
}

}  // namespace basic
