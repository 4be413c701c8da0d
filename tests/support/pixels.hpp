#pragma once
// Pixel helpers for drawing tests: build pictures, save them as BMP, read colours back.
#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>

#include "algo/surface/texture.hpp"

namespace pixels {

struct RGB {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RGB&) const = default;
};

inline std::uint32_t raw(SDL_Surface* s, int x, int y) {
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h)
        throw std::out_of_range("pixel outside the surface");
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    const auto* p =
        static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    std::uint32_t v = 0;
    switch (s->format->BytesPerPixel) {
        case 1:
            v = *p;
            break;
        case 2: {
            std::uint16_t w;
            std::memcpy(&w, p, 2);
            v = w;
            break;
        }
        case 3:
            v = p[0] | p[1] << 8 | p[2] << 16;
            break;
        default:
            std::memcpy(&v, p, 4);
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    return v;
}

inline RGB at(SDL_Surface* s, int x, int y) {
    RGB c;
    SDL_GetRGB(raw(s, x, y), s->format, &c.r, &c.g, &c.b);
    return c;
}

inline RGB at(const algo::Texture& t, int x, int y) {
    return at(t.surface(), x, y);
}

// An 8-bit palette picture: palette entry i is `colours[i]`, every pixel index `fillIndex`.
inline SDL_Surface* palette8(int w, int h, std::initializer_list<RGB> colours,
                             std::uint8_t fillIndex = 0) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    if (!s) throw std::runtime_error("8-bit surface");
    SDL_Color pal[256] = {};
    int n = 0;
    for (const RGB& c : colours) pal[n++] = SDL_Color{c.r, c.g, c.b, 0};
    SDL_SetColors(s, pal, 0, n);
    SDL_FillRect(s, nullptr, fillIndex);
    return s;
}

inline void set8(SDL_Surface* s, int x, int y, std::uint8_t index) {
    static_cast<std::uint8_t*>(s->pixels)[y * s->pitch + x] = index;
}

// A 16-bit 565 picture filled with one colour.
inline SDL_Surface* rgb16(int w, int h, RGB c) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!s) throw std::runtime_error("16-bit surface");
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, c.r, c.g, c.b));
    return s;
}

inline void fillRect(SDL_Surface* s, int x, int y, int w, int h, RGB c) {
    SDL_Rect r{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
               static_cast<Uint16>(h)};
    SDL_FillRect(s, &r, SDL_MapRGB(s->format, c.r, c.g, c.b));
}

// Saves and frees the surface; the picture is then read back through the loader.
inline std::string saveBMP(SDL_Surface* s, const std::string& path) {
    if (SDL_SaveBMP(s, path.c_str()) != 0) throw std::runtime_error("cannot save " + path);
    SDL_FreeSurface(s);
    return path;
}

inline std::ostream& operator<<(std::ostream& o, const RGB& c) {
    return o << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

}  // namespace pixels
