#pragma once
// Common base of the engine's error types: the text the entry handler logs.
#include <stdexcept>
#include <string>

namespace basic {

/// Base of the engine's own errors; toString() is the text an error line shows (SDLError adds
/// SDL's reason). basic::describe turns any exception into "[class] text".
///
/// @code
/// catch (const std::exception& e) {
///     algo::log(basic::describe(e));  // "[algo::SReadException] zipがないです。"
/// }
/// @endcode
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    virtual std::string toString() const { return what(); }
};

// Fully qualified, demangled class name of a thrown object ("algo::SDLError").
std::string className(const std::exception& e);

// The text an entry handler logs: "[" + class name + "] " + toString (or what()).
std::string describe(const std::exception& e);

}  // namespace basic
