#pragma once
/// @file
/// SDL itself (no subsystems) and the error raised when an SDL call fails.
#include <string>

#include "basic/error.hpp"

namespace algo {

/// The error an engine call raises when SDL or one of its libraries reports a failure. The
/// message is fixed per call site (most are Japanese; docs/engine.md glosses each one) and
/// toString() appends SDL's own reason as it stands when asked, so describe the error before
/// the next SDL call. Every engine call clears SDL's reason before the SDL call it checks, so
/// the reason shown is that call's own (or one the engine gives), never one left by an
/// earlier, unrelated call.
///
/// @code
/// try {
///     algo::Texture picture("data/title.bmp");
/// } catch (const algo::SDLError& e) {
///     algo::log(basic::describe(e));  // a damaged file: テクスチャのロードに失敗。 / sdl:...
/// }
/// @endcode
class SDLError : public basic::Error {
  public:
    /// `message` is what(); SDL's reason is read only by toString.
    explicit SDLError(const std::string& message) : basic::Error(message) {}
    /// The message, " / sdl:", then SDL's own reason as it stands when asked.
    std::string toString() const override;
};

/// SDL itself: its start and end, the engine's reasons for SDL errors, and settings read from
/// the environment.
namespace sdlinit {
/// Raises SDLError(message) with `reason` standing as SDL's reason: for a failure the engine
/// finds before calling SDL (an empty texture, say), or to name the file a reason is about.
[[noreturn]] void raise(const std::string& message, const std::string& reason);

/// Sets a setting SDL reads from the environment (SDL_*, SDL12COMPAT_*) unless the user's
/// environment already has it, so the user keeps the last word; true when this call set it.
/// SDL reads most of them when it starts: call before the engine does.
bool presetEnv(const char* name, const std::string& value);

/// The module's start, run by algo::Engine: logs "SDLInit ctor .." and starts SDL without
/// subsystems (SDLError "error SDL_Init" when it will not). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: logs "SDLInit dtor .." and quits SDL.
void moduleEnd();
}  // namespace sdlinit

}  // namespace algo
