#pragma once
// The one picture type and the one drawing target: owns a single SDL surface.
#include <SDL.h>

#include <cstdint>
#include <span>
#include <string>

namespace algo {

/// The one picture type and the one drawing target: pictures are loaded into textures, drawn
/// onto other textures (the screen is one), and drawn on with primitives and the built-in
/// 8 x 8 text. A texture owns its SDL surface and frees it when destroyed or given another;
/// it can be moved, not copied. create() needs the video mode set; loadimg() only the engine.
///
/// @code
/// algo::Texture hero("data/hero.bmp");  // from data/ or data.zip
/// hero.setColorKeyFromPixel(true);      // the top-left pixel's colour is transparent
/// algo::Texture canvas(64, 64);         // blank, in the screen's format
/// hero.draw(nullptr, canvas, 0, 0);
/// canvas.drawZoom(nullptr, algo::Display_::instance(), 100, 100, 2.0, false);
/// @endcode
class Texture {
  public:
    Texture() = default;
    explicit Texture(const std::string& path);
    Texture(int width, int height);
    virtual ~Texture();

    Texture(Texture&& other) noexcept;
    Texture& operator=(Texture&& other) noexcept;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Frees the held surface, then owns `s` (may be null).
    virtual void setSurface(SDL_Surface* s);
    // Blank surface in the screen's pixel format; the video mode must be set.
    virtual void create(int width, int height);
    // Decodes a picture from the game data; the old surface goes only after success. Needs
    // the engine running (an assertion error before algo::runProgram has started it).
    virtual void loadimg(const std::string& path);
    virtual void fill(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    virtual void freeSurface();
    // 255 switches per-surface alpha off.
    virtual void setAlpha(std::uint8_t alpha);
    // The raw value of the top-left pixel becomes the colour key (1, 2 or 4 bytes per pixel:
    // a 24-bit picture needs toDisplayFormat first, which the error names with the file).
    virtual void setColorKeyFromPixel(bool enable);
    virtual void setColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool enable);

    // Copies this (the srcRect part, null = all) onto dst with its top-left at (x, y).
    virtual void draw(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y);
    // A picture in this surface's own format without alpha (after toDisplayFormat, say) is
    // copied here directly, byte for byte as SDL would copy it and far faster; others go to SDL.
    virtual void blitFrom(const SDL_Rect* srcRect, Texture& src, std::int16_t x, std::int16_t y);
    // srcRect is in the coordinates of the zoomed (rotated) picture.
    virtual void drawZoom(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                          double zoom, bool smooth);
    virtual void drawRotate(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                            double angle, bool smooth);
    virtual void drawMirror(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                            bool horizontal);
    virtual void setClipRect(const SDL_Rect* rect);

    // Pixel memory, pitch × height bytes; locks the surface when SDL needs it.
    virtual std::span<std::uint8_t> lock();
    virtual void unlock();
    virtual void toDisplayFormat();

    // Primitives of the gfx library; they report nothing.
    virtual void drawPixel(std::int16_t x, std::int16_t y, std::uint8_t r, std::uint8_t g,
                           std::uint8_t b, std::uint8_t a);
    virtual void drawLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    virtual void drawRect(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                          bool fill);
    virtual void drawEllipse(std::int16_t x, std::int16_t y, std::int16_t rx, std::int16_t ry,
                             std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                             bool fill);
    // The built-in 8 × 8 font, top-left corner at (x, y).
    virtual void drawString(std::int16_t x, std::int16_t y, const std::string& text, std::uint8_t r,
                            std::uint8_t g, std::uint8_t b, std::uint8_t a);

    // Sizes read 0 while the texture is empty.
    virtual std::uint16_t pitch() const;
    virtual int width() const;
    virtual int height() const;
    virtual std::uint8_t bytesPerPixel() const;
    virtual std::uint8_t bitsPerPixel() const;
    virtual SDL_Surface* surface() const { return surface_; }
    /// True when both hold a picture in one direct-colour format (no palette; equal depth and
    /// channel masks), so a draw between them converts nothing: a picture after
    /// toDisplayFormat and the screen, say. False while either is empty.
    bool sameFormat(const Texture& other) const;
    /// The file the picture was loaded from (kept through toDisplayFormat); empty for one made
    /// otherwise. Errors about the picture name it.
    const std::string& path() const { return path_; }

  protected:
    // For targets whose surface belongs to SDL: give it up without freeing it.
    SDL_Surface* forgetSurface();
    // Sets the field directly, freeing nothing (the screen surface is SDL's).
    void adoptSurface(SDL_Surface* s) { surface_ = s; }

  private:
    SDL_Surface* surface_ = nullptr;
    std::string path_;
};

namespace texture {
// Software surfaces (true) or hardware ones; the display reads it too.
extern bool softwareSurface;
void moduleStart();
void moduleEnd();
}  // namespace texture

}  // namespace algo
