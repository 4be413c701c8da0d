#include "algo/system/sdlinit.hpp"

#include <SDL.h>

#include <cstdlib>

#include "algo/file/logger.hpp"

namespace algo {

std::string SDLError::toString() const {
    return std::string(what()) + " / sdl:" + SDL_GetError();
}

namespace sdlinit {

void raise(const std::string& message, const std::string& reason) {
    SDL_SetError("%s", reason.c_str());
    throw SDLError(message);
}

bool presetEnv(const char* name, const std::string& value) {
    if (std::getenv(name) != nullptr) return false;
    return ::setenv(name, value.c_str(), 0) == 0;
}

void moduleStart() {
    log("SDLInit ctor ..");
    SDL_ClearError();
    if (SDL_Init(0) != 0) throw SDLError("error SDL_Init");
}

void moduleEnd() {
    log("SDLInit dtor ..");
    SDL_Quit();
}

}  // namespace sdlinit
}  // namespace algo
