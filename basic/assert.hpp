#pragma once
// Broken preconditions throw in every build type, carrying where they were found.
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
    AssertError(std::string file, int line, const std::string& message);
    const std::string& file() const { return file_; }
    int line() const { return line_; }
    const std::string& message() const { return message_; }

  private:
    std::string file_;
    int line_;
    std::string message_;
};

// Path of a source file relative to the repository root ("basic/pool.hpp").
std::string sourcePath(const char* file);

[[noreturn]] void assertFailed(const char* file, int line, const std::string& message);

}  // namespace basic

#define BASIC_ASSERT(cond, msg)                                        \
    do {                                                               \
        if (!(cond)) ::basic::assertFailed(__FILE__, __LINE__, (msg)); \
    } while (0)

// Index errors of the containers: std::out_of_range carrying file and line.
#define BASIC_INDEX_ERROR(what) ::basic::indexError(__FILE__, __LINE__, (what))

namespace basic {
[[noreturn]] void indexError(const char* file, int line, const std::string& what);
}
