#include "algo/system/sdlinit.hpp"

#include <SDL.h>

#include "algo/file/logger.hpp"

namespace algo {

std::string SDLError::toString() const {
    return std::string(what()) + " / sdl:" + SDL_GetError();
}

namespace sdlinit {

void moduleStart() {
    log("SDLInit ctor ..");
    if (SDL_Init(0) != 0) throw SDLError("error SDL_Init");
}

void moduleEnd() {
    log("SDLInit dtor ..");
    SDL_Quit();
}

}  // namespace sdlinit
}  // namespace algo
