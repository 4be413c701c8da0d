#include "algo/surface/display.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "algo/file/logger.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define ALGO_DISPLAY_LSAN 1
#elif defined(__has_feature)  // clang names it only this way
#if __has_feature(address_sanitizer)
#define ALGO_DISPLAY_LSAN 1
#endif
#endif
#ifdef ALGO_DISPLAY_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace algo {

namespace display {
bool openGL = false;
namespace {
std::unique_ptr<basic::SingletonOwner<Display_>> owner;

std::string hex8(const char* prefix, Uint32 v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%08X", prefix, static_cast<unsigned>(v));
    return buf;
}

void listModes() {
    SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_HWSURFACE);
    if (modes == nullptr) {
        log("利用可能なモードがない。");
    } else if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
        log("全解像度が利用可能です。");
    } else {
        log("-----利用可能なモード");
        for (SDL_Rect** m = modes; *m; ++m)
            log(std::to_string((*m)->w) + ", " + std::to_string((*m)->h));
        log("-----");
    }
}
}  // namespace

Uint32 requestFlags(int bpp, bool fullscreen) {
    Uint32 flags = texture::softwareSurface ? SDL_SWSURFACE : (SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (fullscreen) flags |= SDL_FULLSCREEN;
    if (openGL) flags |= SDL_OPENGL;
    if (bpp <= 8) flags |= SDL_HWPALETTE;
    return flags;
}

void preferSharpScaling() {
    sdlinit::presetEnv("SDL12COMPAT_SCALE_METHOD", "nearest");
}

bool setWindowScale(int scale) {
    BASIC_ASSERT(scale >= 1, "window scale below 1: " + std::to_string(scale));
    // Once set here, the setting is ours to change on a later call.
    static bool ours = false;
    const std::string value = std::to_string(scale);
    if (ours) return ::setenv("SDL12COMPAT_WINDOW_SCALING", value.c_str(), 1) == 0;
    ours = sdlinit::presetEnv("SDL12COMPAT_WINDOW_SCALING", value);
    return ours;
}

bool desktopSize(int& width, int& height) {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info || info->current_w <= 0 || info->current_h <= 0) return false;
    width = info->current_w;
    height = info->current_h;
    return true;
}

int fittingScale(int width, int height, int desktopWidth, int desktopHeight, int maxScale) {
    int scale = 1;
    // In tenths, so that 90 % needs no rounding.
    auto fits = [&](int s, int size, int desktop) { return 10LL * size * s <= 9LL * desktop; };
    while (scale < maxScale && fits(scale + 1, width, desktopWidth) &&
           fits(scale + 1, height, desktopHeight))
        ++scale;
    return scale;
}

void moduleStart() {
    log("Display ctor ..");
    listModes();
    owner = std::make_unique<basic::SingletonOwner<Display_>>();
}

void moduleEnd() {
    owner.reset();
}

}  // namespace display

Display_::~Display_() {
    forgetSurface();
}

void Display_::setVideoMode(int width, int height, int bpp, bool fullscreen) {
    const Uint32 flags = display::requestFlags(bpp, fullscreen);
#ifdef ALGO_DISPLAY_LSAN
    // What SDL makes here (the screen surface, a window's drawing context) it keeps and never
    // frees, not even at SDL_Quit. Its allocator leaves no stack to suppress them by.
    __lsan_disable();
#endif
    SDL_ClearError();
    SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, flags);
#ifdef ALGO_DISPLAY_LSAN
    __lsan_enable();
#endif
    adoptSurface(screen);  // the old screen is SDL's to drop
    if (!screen) throw SDLError("ウィンドウを作れないなんて。");
    log("フラグ要求 ⇒ 結果");
    char line[64];
    std::snprintf(line, sizeof line, "%08X ⇒ %08X", static_cast<unsigned>(flags),
                  static_cast<unsigned>(screen->flags));
    log(line);
    log(display::hex8("SDL_SWSURFACE: ", SDL_SWSURFACE));
    log(display::hex8("SDL_HWSURFACE | SDL_DOUBLEBUF: ", SDL_HWSURFACE | SDL_DOUBLEBUF));
    log(display::hex8("SDL_OPENGL: ", SDL_OPENGL));
    log(display::hex8("SDL_HWPALETTE: ", SDL_HWPALETTE));
    log(display::hex8("SDL_FULLSCREEN: ", SDL_FULLSCREEN));
}

void Display_::updateRect(int x, int y, int w, int h) {
    if (SDL_Surface* s = surface()) SDL_UpdateRect(s, x, y, w, h);
}

void Display_::flip() {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("フリップできませんでした。orz", "no screen: setVideoMode comes first");
    SDL_ClearError();
    if (SDL_Flip(s) != 0) throw SDLError("フリップできませんでした。orz");
}

void Display_::setCaption(const std::string& title) {
    SDL_WM_SetCaption(title.c_str(), nullptr);
    caption_ = title;
}

void Display_::setIcon(Texture& icon) {
    if (SDL_Surface* s = icon.surface()) SDL_WM_SetIcon(s, nullptr);
}

void Display_::setSurface(SDL_Surface*) {
    BASIC_ASSERT(false, "setSurface on the display");
}
void Display_::create(int, int) {
    BASIC_ASSERT(false, "create on the display");
}
void Display_::loadimg(const std::string&) {
    BASIC_ASSERT(false, "loadimg on the display");
}
void Display_::freeSurface() {
    BASIC_ASSERT(false, "freeSurface on the display");
}
void Display_::toDisplayFormat() {
    BASIC_ASSERT(false, "toDisplayFormat on the display");
}

}  // namespace algo
