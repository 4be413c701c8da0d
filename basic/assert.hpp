#pragma once
/// @file
/// Broken preconditions throw in every build type, carrying where they were found.
#include <string>

#include "basic/error.hpp"

namespace basic {

/// A broken precondition: a bad index, a wrong type unpacked, a singleton reached outside the
/// engine. Raised in every build type, carrying the source file and line where it was caught.
///
/// @code
/// BASIC_ASSERT(speed >= 0, "speed below 0: " + std::to_string(speed));
/// // what(): ".../hero.cpp(42): speed below 0: -3"
/// @endcode
class AssertError : public Error {
  public:
    /// what() becomes file + "(" + line + "): " + message.
    AssertError(std::string file, int line, const std::string& message);
    /// The source file, relative to the repository root ("basic/pool.hpp"; see sourcePath).
    const std::string& file() const { return file_; }
    /// The line of the failed check in that file.
    int line() const { return line_; }
    /// The message alone, without file and line.
    const std::string& message() const { return message_; }

  private:
    std::string file_;
    int line_;
    std::string message_;
};

/// The path of a source file from its top-level source directory on ("basic/pool.hpp"): all
/// before the last "/basic/", "/algo/", "/util/", "/game/", "/tools/" or "/tests/" is cut; a
/// path with none of them is returned whole.
std::string sourcePath(const char* file);

/// Throws AssertError(sourcePath(file), line, message): what BASIC_ASSERT does when its
/// condition is false.
[[noreturn]] void assertFailed(const char* file, int line, const std::string& message);

}  // namespace basic

/// Checks a precondition in every build type: when `cond` is false, throws basic::AssertError
/// with this file, this line and `msg` (a std::string or a string literal). Never aborts.
#define BASIC_ASSERT(cond, msg)                                        \
    do {                                                               \
        if (!(cond)) ::basic::assertFailed(__FILE__, __LINE__, (msg)); \
    } while (0)

/// Throws std::out_of_range whose what() is file + "(" + line + "): " + `what`: the index
/// error of the engine's containers (an empty stack, a button number past the last).
#define BASIC_INDEX_ERROR(what) ::basic::indexError(__FILE__, __LINE__, (what))

namespace basic {
/// Throws what BASIC_INDEX_ERROR throws: std::out_of_range with sourcePath(file), line and
/// `what`.
[[noreturn]] void indexError(const char* file, int line, const std::string& what);
}  // namespace basic
