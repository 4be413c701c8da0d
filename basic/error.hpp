#pragma once
/// @file
/// Common base of the engine's error types, and the "[class] text" line an error handler logs.
#include <stdexcept>
#include <string>

/// Small generic utilities under the engine: errors and assertions, boxed values, the object
/// pool, the stack and the singleton convention.
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
    /// The text an error line shows: what() here; a subclass adds what it knows (SDL's reason,
    /// Lua's message, the file).
    virtual std::string toString() const { return what(); }
};

/// The fully qualified, demangled class name of a thrown object's dynamic type
/// ("algo::SDLError"); the raw type name when it cannot be demangled.
std::string className(const std::exception& e);

/// The line an error handler logs: "[" + className(e) + "] " + toString() for a basic::Error,
/// else + what().
std::string describe(const std::exception& e);

}  // namespace basic
