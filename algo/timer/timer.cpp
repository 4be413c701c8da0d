#include "algo/timer/timer.hpp"

#include <SDL.h>

#include "algo/file/logger.hpp"
#include "algo/system/sdlinit.hpp"

namespace algo {

std::uint32_t getTicks() {
    return SDL_GetTicks();
}

void delay(std::uint32_t ms) {
    SDL_Delay(ms);
}

namespace timer {

void moduleStart() {
    log("Timer ctor ..");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_TIMER) != 0) throw SDLError("error SDL_INIT_TIMER");
}

void moduleEnd() {
    log("Timer dtor ..");
    SDL_QuitSubSystem(SDL_INIT_TIMER);
}

}  // namespace timer
}  // namespace algo
