#include "algo/surface/texture.hpp"

#include <SDL_gfxPrimitives.h>
#include <SDL_image.h>
#include <SDL_rotozoom.h>

#include <cstring>
#include <memory>
#include <utility>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/private/blit.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace texture {
bool softwareSurface = true;
namespace {
// Holds the zoomed or rotated picture for the length of one call.
std::unique_ptr<Texture> scratch;
}  // namespace
}  // namespace texture

namespace {

Texture& scratchTexture() {
    BASIC_ASSERT(texture::scratch != nullptr, "texture module not started");
    return *texture::scratch;
}

// What the failures of a texture name it by: its file, or what it is.
std::string describe(const Texture& t) {
    if (!t.path().empty()) return t.path();
    if (t.surface() && t.surface() == SDL_GetVideoSurface()) return "the screen";
    return "a picture not loaded from a file";
}

std::string emptyReason(const Texture& t) {
    if (Display_::exists() && &t == &Display_::instance())
        return "the screen has no surface before setVideoMode";
    return "the texture is empty (no picture loaded or created)";
}

// A copy from or onto an empty texture: say which end is empty.
[[noreturn]] void emptyBlit(const Texture& from, const Texture& to) {
    sdlinit::raise("error SDL_BlitSurface", (to.surface() ? "nothing to draw: " + emptyReason(from)
                                                          : "nowhere to draw: " + emptyReason(to)));
}

// Frees the scratch picture however the blit ends.
struct ScratchGuard {
    Texture& t;
    ~ScratchGuard() { t.freeSurface(); }
};

}  // namespace

Texture::Texture(const std::string& path) {
    loadimg(path);
}

Texture::Texture(int width, int height) {
    create(width, height);
}

Texture::~Texture() {
    if (surface_) SDL_FreeSurface(surface_);
}

Texture::Texture(Texture&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), path_(std::move(other.path_)) {}

Texture& Texture::operator=(Texture&& other) noexcept {
    if (this != &other) {
        if (surface_) SDL_FreeSurface(surface_);
        surface_ = std::exchange(other.surface_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

SDL_Surface* Texture::forgetSurface() {
    return std::exchange(surface_, nullptr);
}

void Texture::setSurface(SDL_Surface* s) {
    if (s == surface_) return;  // taking what we hold must not free it
    freeSurface();
    surface_ = s;
    path_.clear();
}

void Texture::create(int width, int height) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    BASIC_ASSERT(screen != nullptr, "Texture.create before the video mode is set");
    const SDL_PixelFormat* f = screen->format;
    SDL_ClearError();
    SDL_Surface* s =
        SDL_CreateRGBSurface(texture::softwareSurface ? SDL_SWSURFACE : SDL_HWSURFACE, width,
                             height, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
    if (!s) throw SDLError("error SDL_CreateRGBSurface");
    setSurface(s);
}

void Texture::loadimg(const std::string& path) {
    // Before the engine the reader and the video subsystem are not there: refuse it clearly
    // (a texture at namespace scope, or made in a static object's constructor).
    BASIC_ASSERT(logger::running(), "Texture.loadimg(" + path +
                                        ") before algo::runProgram started the engine: load "
                                        "pictures inside the program's body");
    log("start Texture.loadimg");
    auto bytes = read(path);
    // SDL's reasons name no file: each failure's reason begins with the path.
    SDL_ClearError();
    SDL_RWops* rw = SDL_RWFromMem(static_cast<void*>(bytes.data()), static_cast<int>(bytes.size()));
    if (!rw)
        sdlinit::raise("RWopsの生成に失敗。", path + ": " + SDL_GetError() +
                                                  (bytes.empty() ? " (the file is empty)" : ""));
    SDL_Surface* s = IMG_Load_RW(rw, 1);
    if (!s) sdlinit::raise("テクスチャのロードに失敗。", path + ": " + IMG_GetError());
    setSurface(s);
    path_ = path;
    log("end Texture.loadimg");
}

void Texture::fill(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("塗りつぶし失敗。", emptyReason(*this));
    const Uint32 pixel = SDL_MapRGB(s->format, r, g, b);
    if (blit::fill(s, pixel)) return;
    SDL_ClearError();
    if (SDL_FillRect(s, nullptr, pixel) != 0) throw SDLError("塗りつぶし失敗。");
}

void Texture::freeSurface() {
    if (surface_) {
        SDL_FreeSurface(surface_);
        surface_ = nullptr;
    }
}

void Texture::setAlpha(std::uint8_t alpha) {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("アルファブレンディングの設定に失敗。", emptyReason(*this));
    SDL_ClearError();
    if (SDL_SetAlpha(s, alpha == 255 ? 0 : SDL_SRCALPHA, alpha) != 0)
        throw SDLError("アルファブレンディングの設定に失敗。");
}

void Texture::setColorKeyFromPixel(bool enable) {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("カラーキーの設定に失敗。", emptyReason(*this));
    const Uint32 flags = enable ? SDL_SRCCOLORKEY : 0;
    std::span<std::uint8_t> pixels = lock();
    if (pixels.size() < s->format->BytesPerPixel) {  // no top-left pixel to take
        unlock();
        sdlinit::raise("カラーキーの設定に失敗。", describe(*this) + ": the picture has no pixel");
    }
    Uint32 key = 0;
    switch (s->format->BytesPerPixel) {
        case 1:
            key = pixels[0];
            break;
        case 2: {
            Uint16 v;
            std::memcpy(&v, pixels.data(), sizeof v);
            key = v;
            break;
        }
        case 4:
            std::memcpy(&key, pixels.data(), sizeof key);
            break;
        default:
            unlock();
            sdlinit::raise("ピクセルフォーマットが変。",
                           describe(*this) + ": " + std::to_string(s->format->BitsPerPixel) +
                               "-bit pixels (" + std::to_string(s->format->BytesPerPixel) +
                               " bytes); a colour key from a pixel needs 1, 2 or 4 bytes per "
                               "pixel: call toDisplayFormat() first");
    }
    unlock();
    SDL_ClearError();
    if (SDL_SetColorKey(s, flags, key) != 0) throw SDLError("カラーキーの設定に失敗。");
}

void Texture::setColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool enable) {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("カラーキーの設定に失敗。", emptyReason(*this));
    SDL_ClearError();
    if (SDL_SetColorKey(s, enable ? SDL_SRCCOLORKEY : 0, SDL_MapRGB(s->format, r, g, b)) != 0)
        throw SDLError("カラーキーの設定に失敗。");
}

void Texture::draw(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y) {
    dst.blitFrom(srcRect, *this, x, y);
}

void Texture::blitFrom(const SDL_Rect* srcRect, Texture& src, std::int16_t x, std::int16_t y) {
    SDL_Surface* from = src.surface();
    SDL_Surface* to = surface();
    if (!from || !to) emptyBlit(src, *this);
    if (from->w == 0 || from->h == 0) return;  // a picture of no pixels (an empty label)
    if (blit::copy(from, srcRect, to, x, y)) return;
    // SDL may write through its rectangles; the caller's stay untouched.
    SDL_Rect s = srcRect ? *srcRect : SDL_Rect{};
    SDL_Rect d{x, y, 0, 0};
    SDL_ClearError();
    if (SDL_UpperBlit(from, srcRect ? &s : nullptr, to, &d) != 0)
        throw SDLError("error SDL_BlitSurface");
}

void Texture::drawZoom(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                       double zoom, bool smooth) {
    Texture& t = scratchTexture();
    SDL_Surface* s = surface();
    t.setSurface(s ? zoomSurface(s, zoom, zoom, smooth ? 1 : 0) : nullptr);
    ScratchGuard guard{t};
    if (s && !t.surface())  // the copy, not this picture, is what is missing
        sdlinit::raise("error SDL_BlitSurface", describe(*this) + ": no zoomed copy at zoom " +
                                                    std::to_string(zoom) + " (out of memory?)");
    dst.blitFrom(srcRect, t, x, y);
}

void Texture::drawRotate(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                         double angle, bool smooth) {
    Texture& t = scratchTexture();
    SDL_Surface* s = surface();
    t.setSurface(s ? rotozoomSurface(s, angle, 1.0, smooth ? 1 : 0) : nullptr);
    ScratchGuard guard{t};
    if (s && !t.surface())
        sdlinit::raise("error SDL_BlitSurface", describe(*this) + ": no turned copy at angle " +
                                                    std::to_string(angle) + " (out of memory?)");
    dst.blitFrom(srcRect, t, x, y);
}

void Texture::drawMirror(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                         bool horizontal) {
    SDL_Surface* from = surface();
    SDL_Surface* to = dst.surface();
    if (!from || !to) emptyBlit(*this, dst);
    SDL_ClearError();
    SDL_Rect s = srcRect
                     ? *srcRect
                     : SDL_Rect{0, 0, static_cast<Uint16>(width()), static_cast<Uint16>(height())};
    const int n = horizontal ? s.w : s.h;
    const Sint16 sx = s.x, sy = s.y;
    if (horizontal)
        s.w = 1;
    else
        s.h = 1;
    for (int i = 0; i < n; ++i) {
        SDL_Rect part = s;
        SDL_Rect d{x, y, 0, 0};
        if (horizontal) {
            part.x = static_cast<Sint16>(sx + i);
            d.x = static_cast<Sint16>(x + n - 1 - i);
        } else {
            part.y = static_cast<Sint16>(sy + i);
            d.y = static_cast<Sint16>(y + n - 1 - i);
        }
        if (SDL_UpperBlit(from, &part, to, &d) != 0) throw SDLError("error SDL_BlitSurface");
    }
}

void Texture::setClipRect(const SDL_Rect* rect) {
    if (SDL_Surface* s = surface()) {
        SDL_Rect r = rect ? *rect : SDL_Rect{};
        SDL_SetClipRect(s, rect ? &r : nullptr);
    }
}

std::span<std::uint8_t> Texture::lock() {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("サーフェスのロックに失敗。", emptyReason(*this));
    if (!blit::mustLock(s))
        return {static_cast<std::uint8_t*>(s->pixels), static_cast<std::size_t>(s->pitch) * s->h};
    SDL_ClearError();
    if (SDL_LockSurface(s) != 0) throw SDLError("サーフェスのロックに失敗。");
    return {static_cast<std::uint8_t*>(s->pixels), static_cast<std::size_t>(s->pitch) * s->h};
}

void Texture::unlock() {
    SDL_Surface* s = surface();
    if (s && blit::mustLock(s)) SDL_UnlockSurface(s);
}

void Texture::toDisplayFormat() {
    SDL_Surface* s = surface();
    if (!s) sdlinit::raise("コンバートに失敗。", emptyReason(*this));
    SDL_ClearError();
    SDL_Surface* converted = SDL_DisplayFormat(s);
    if (!converted) throw SDLError("コンバートに失敗。");
    std::string path = std::move(path_);  // the same picture in another format
    setSurface(converted);
    path_ = std::move(path);
}

void Texture::drawPixel(std::int16_t x, std::int16_t y, std::uint8_t r, std::uint8_t g,
                        std::uint8_t b, std::uint8_t a) {
    if (SDL_Surface* s = surface()) pixelRGBA(s, x, y, r, g, b, a);
}

void Texture::drawLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                       std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    SDL_Surface* s = surface();
    if (!s) return;
    if (x1 == x2)
        vlineRGBA(s, x1, y1, y2, r, g, b, a);
    else if (y1 == y2)
        hlineRGBA(s, x1, x2, y1, r, g, b, a);
    else
        lineRGBA(s, x1, y1, x2, y2, r, g, b, a);
}

void Texture::drawRect(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                       std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, bool fill) {
    SDL_Surface* s = surface();
    if (!s) return;
    if (fill)
        boxRGBA(s, x1, y1, x2, y2, r, g, b, a);
    else
        rectangleRGBA(s, x1, y1, x2, y2, r, g, b, a);
}

void Texture::drawEllipse(std::int16_t x, std::int16_t y, std::int16_t rx, std::int16_t ry,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                          bool fill) {
    SDL_Surface* s = surface();
    if (!s) return;
    if (rx == ry) {
        if (fill)
            filledCircleRGBA(s, x, y, rx, r, g, b, a);
        else
            circleRGBA(s, x, y, rx, r, g, b, a);
    } else if (fill) {
        filledEllipseRGBA(s, x, y, rx, ry, r, g, b, a);
    } else {
        ellipseRGBA(s, x, y, rx, ry, r, g, b, a);
    }
}

void Texture::drawString(std::int16_t x, std::int16_t y, const std::string& text, std::uint8_t r,
                         std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    if (SDL_Surface* s = surface()) stringRGBA(s, x, y, text.c_str(), r, g, b, a);
}

std::uint16_t Texture::pitch() const {
    SDL_Surface* s = surface();
    return s ? s->pitch : 0;
}

int Texture::width() const {
    SDL_Surface* s = surface();
    return s ? s->w : 0;
}

int Texture::height() const {
    SDL_Surface* s = surface();
    return s ? s->h : 0;
}

std::uint8_t Texture::bytesPerPixel() const {
    SDL_Surface* s = surface();
    return s ? s->format->BytesPerPixel : 0;
}

std::uint8_t Texture::bitsPerPixel() const {
    SDL_Surface* s = surface();
    return s ? s->format->BitsPerPixel : 0;
}

bool Texture::sameFormat(const Texture& other) const {
    const SDL_Surface* a = surface();
    const SDL_Surface* b = other.surface();
    return a && b && blit::sameDirectFormat(a->format, b->format);
}

namespace texture {

void moduleStart() {
    log("Texture ctor ..");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw SDLError("error SDL_INIT_VIDEO");
    scratch = std::make_unique<Texture>();
}

void moduleEnd() {
    log("Texture dtor ..");
    scratch.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace texture
}  // namespace algo
