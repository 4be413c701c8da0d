#pragma once
// SDL itself (no subsystems) and the error raised when an SDL call fails.
#include <string>

#include "basic/error.hpp"

namespace algo {

class SDLError : public basic::Error {
  public:
    explicit SDLError(const std::string& message) : basic::Error(message) {}
    // The message, " / sdl:", then SDL's own reason as it stands when asked.
    std::string toString() const override;
};

namespace sdlinit {
void moduleStart();
void moduleEnd();
}  // namespace sdlinit

}  // namespace algo
