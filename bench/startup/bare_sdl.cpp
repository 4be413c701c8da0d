// The floor of the game's start-up: a bare SDL 1.2 program that opens the same window (512 x
// 512, 16 bits, a software surface) and audio device (22050 Hz, signed 16-bit little-endian,
// 2 channels, 1024 samples) and draws one white frame. game_bench runs it as a child.
// usage: startup_bare_sdl FD
#include <SDL.h>

#include <cstring>

#include "bench/startup/marks.hpp"

namespace {
void silence(void*, Uint8* stream, int len) {
    std::memset(stream, 0, static_cast<std::size_t>(len));
}
}  // namespace

int main(int argc, char** argv) {
    probe::Marks marks;
    marks.mark("main");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) return 1;
    marks.mark("sdl");
    SDL_Surface* screen = SDL_SetVideoMode(512, 512, 16, SDL_SWSURFACE);
    if (!screen) return 1;
    marks.mark("window");
    SDL_AudioSpec want{};
    want.freq = 22050;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024;
    want.callback = silence;
    if (SDL_OpenAudio(&want, nullptr) != 0) return 1;
    SDL_PauseAudio(0);
    marks.mark("audio");
    if (SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255)) != 0 ||
        SDL_Flip(screen) != 0)
        return 1;
    marks.mark("frame");
    marks.add("libraries", probe::libraries());
    marks.sendAndExit(argc > 1 ? argv[1] : nullptr);
}
