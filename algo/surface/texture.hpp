#pragma once
/// @file
/// The one picture type and the one drawing target: owns a single SDL surface.
#include <SDL.h>

#include <cstdint>
#include <span>
#include <string>

namespace algo {

/// The one picture type and the one drawing target: pictures are loaded into textures, drawn
/// onto other textures (the screen is one), and drawn on with primitives and the built-in
/// 8 x 8 text. A texture owns its SDL surface and frees it when destroyed or given another;
/// it can be moved, not copied. create() needs the video mode set; loadimg() only the engine.
/// Positions are in the pixels of the texture drawn on (the destination): x to the right and
/// y down from its top-left corner, signed 16-bit, so a picture may start off its edges.
/// Colours are r, g, b bytes with a an opacity from 0 (invisible) to 255 (opaque). Drawing,
/// filling, keys, alpha, locking and converting raise SDLError on an empty texture, with a
/// reason that says which one is empty; the primitives draw nothing there.
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
    /// An empty texture: no surface, every size 0.
    Texture() = default;
    /// loadimg(path), with its errors.
    explicit Texture(const std::string& path);
    /// create(width, height), with its errors.
    Texture(int width, int height);
    /// Frees the surface it holds.
    virtual ~Texture();

    /// Takes the other's surface and path; the other is left empty.
    Texture(Texture&& other) noexcept;
    /// Frees the surface held, then takes the other's surface and path; the other is left
    /// empty.
    Texture& operator=(Texture&& other) noexcept;
    /// Not copyable: a texture owns its surface (move it instead).
    Texture(const Texture&) = delete;
    /// Not copyable: a texture owns its surface (move it instead).
    Texture& operator=(const Texture&) = delete;

    /// Frees the held surface, then owns `s` (may be null) and forgets the file's name.
    /// Giving it the surface it holds changes nothing.
    virtual void setSurface(SDL_Surface* s);
    /// A blank (black) width × height surface in the screen's pixel format, replacing the held
    /// one. The video mode must be set: before it an AssertError ("Texture.create before the
    /// video mode is set"); SDLError "error SDL_CreateRGBSurface" when SDL cannot make it.
    virtual void create(int width, int height);
    /// Decodes a picture (any format SDL_image reads) from the game data (see algo::read),
    /// keeping its own format (a palette BMP stays 8-bit: see toDisplayFormat); the old
    /// surface goes only after success. Logs "start Texture.loadimg" and "end Texture.loadimg".
    /// Raises what algo::read raises, and SDLError "RWopsの生成に失敗。" or
    /// "テクスチャのロードに失敗。" whose SDL reason begins with the path. Needs the engine
    /// running (an assertion error before algo::runProgram has started it).
    virtual void loadimg(const std::string& path);
    /// Paints the clip rectangle (the whole picture unless setClipRect says otherwise) in the
    /// colour r, g, b, as near as the picture's format holds it. SDLError "塗りつぶし失敗。"
    /// on an empty texture (the screen before setVideoMode) or when SDL fails.
    virtual void fill(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    /// Frees the surface; the texture is empty afterwards (path() still names the file).
    virtual void freeSurface();
    /// Per-surface alpha: when drawn onto another texture the picture is blended, 0 invisible
    /// to 254 almost opaque; 255 switches it off (drawn as it is). SDLError
    /// "アルファブレンディングの設定に失敗。" on an empty texture or when SDL fails.
    virtual void setAlpha(std::uint8_t alpha);
    /// The raw value of the top-left pixel becomes the colour key: pixels of that value are
    /// left out when the picture is drawn (`enable` false switches keying off). Needs 1, 2 or
    /// 4 bytes per pixel: a 24-bit picture is SDLError "ピクセルフォーマットが変。" naming the
    /// file (call toDisplayFormat first). SDLError "カラーキーの設定に失敗。" on an empty
    /// texture, one of no pixels, or when SDL fails; "サーフェスのロックに失敗。" when it cannot
    /// be locked.
    virtual void setColorKeyFromPixel(bool enable);
    /// The colour r, g, b, as the picture's format holds it (for a palette, the nearest
    /// entry), becomes the colour key; `enable` false switches keying off. SDLError
    /// "カラーキーの設定に失敗。" on an empty texture or when SDL fails.
    virtual void setColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool enable);

    /// Copies this (the srcRect part in this picture's pixels, null = all) onto dst with its
    /// top-left at (x, y) in dst's pixels, clipped to dst's clip rectangle; the colour key and
    /// alpha apply, and formats are converted as needed. srcRect is not changed. A picture of
    /// no pixels draws nothing. The same as dst.blitFrom(srcRect, *this, x, y). SDLError
    /// "error SDL_BlitSurface" when either texture is empty (the reason says which: "nothing
    /// to draw" or "nowhere to draw") or SDL fails.
    virtual void draw(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y);
    /// The other way round from draw: src onto this. A picture in this surface's own format without
    /// alpha (after toDisplayFormat, say) is copied here directly, byte for byte as SDL would
    /// copy it and far faster; others go to SDL. Errors as draw's.
    virtual void blitFrom(const SDL_Rect* srcRect, Texture& src, std::int16_t x, std::int16_t y);
    /// Draws this picture scaled by `zoom` in both directions (2.0 doubles it; the size is
    /// rounded to whole pixels) with its top-left at (x, y). srcRect is in the coordinates of
    /// the zoomed picture: to draw the 8 × 8 part at (8, 0) at zoom 2, pass {16, 0, 16, 16}.
    /// `smooth` interpolates between pixels instead of repeating them. The zoomed copy is made
    /// anew on every call. Errors as draw's ("error SDL_BlitSurface" on an empty texture).
    virtual void drawZoom(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                          double zoom, bool smooth);
    /// Draws this picture turned by `angle` degrees counter-clockwise as seen on the screen (a
    /// positive angle lifts its right side), unscaled. The turned copy is the size of the
    /// turned picture's bounding box (a little more), transparent outside the picture, and
    /// its top-left corner lands at (x, y): the picture is not centred there. srcRect is in
    /// the turned copy's coordinates. `smooth` interpolates. Errors as draw's.
    virtual void drawRotate(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                            double angle, bool smooth);
    /// Draws the srcRect part (null = all) mirrored, top-left at (x, y): `horizontal` flips
    /// left and right, false upside down. SDLError "error SDL_BlitSurface" when either
    /// texture is empty or SDL fails.
    virtual void drawMirror(const SDL_Rect* srcRect, Texture& dst, std::int16_t x, std::int16_t y,
                            bool horizontal);
    /// Limits what is drawn onto this texture (draw, fill, the primitives) to the pixels inside
    /// `rect`, in this texture's pixels and cut to the picture; null clips to the whole picture
    /// again. The rectangle is copied. Nothing happens on an empty texture; raises nothing.
    virtual void setClipRect(const SDL_Rect* rect);

    /// Pixel memory, pitch × height bytes: rows pitch() bytes apart, pixels in the surface's
    /// format. Locks the surface when SDL needs it; call unlock() before drawing with it
    /// again. SDLError "サーフェスのロックに失敗。" on an empty texture or when SDL fails.
    virtual std::span<std::uint8_t> lock();
    /// Ends a lock(); nothing on an empty texture or one SDL never locks.
    virtual void unlock();
    /// Converts the picture to the screen's format, so drawing it onto the screen converts
    /// nothing (see sameFormat). The colour key, per-surface alpha and path() come along; a
    /// picture's own alpha channel does not. Needs the video mode. SDLError "コンバートに失敗。"
    /// on an empty texture or when SDL cannot convert (before setVideoMode).
    virtual void toDisplayFormat();

    /// One pixel at (x, y). The primitives (of the SDL_gfx library) blend by `a` (255 opaque),
    /// keep to the clip rectangle, draw nothing on an empty texture and report nothing.
    virtual void drawPixel(std::int16_t x, std::int16_t y, std::uint8_t r, std::uint8_t g,
                           std::uint8_t b, std::uint8_t a);
    /// A line from (x1, y1) to (x2, y2), both ends included.
    virtual void drawLine(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
    /// The rectangle with corners (x1, y1) and (x2, y2), both included (so x2 - x1 + 1 pixels
    /// wide), outlined or, with `fill`, filled.
    virtual void drawRect(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2,
                          std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                          bool fill);
    /// The ellipse around the centre (x, y) with radii rx and ry in pixels (a circle when they
    /// are equal), outlined or, with `fill`, filled.
    virtual void drawEllipse(std::int16_t x, std::int16_t y, std::int16_t rx, std::int16_t ry,
                             std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a,
                             bool fill);
    /// The built-in 8 × 8 font, top-left corner at (x, y): one 8-pixel cell per byte of
    /// `text` (not UTF-8 aware), on one line.
    virtual void drawString(std::int16_t x, std::int16_t y, const std::string& text, std::uint8_t r,
                            std::uint8_t g, std::uint8_t b, std::uint8_t a);

    /// Bytes per row of pixels. Sizes read 0 while the texture is empty.
    virtual std::uint16_t pitch() const;
    /// Width in pixels.
    virtual int width() const;
    /// Height in pixels.
    virtual int height() const;
    /// Bytes per pixel: 1 (palette), 2, 3 or 4.
    virtual std::uint8_t bytesPerPixel() const;
    /// Bits per pixel: 8, 15, 16, 24 or 32.
    virtual std::uint8_t bitsPerPixel() const;
    /// The SDL surface, still owned by the texture; null while empty.
    virtual SDL_Surface* surface() const { return surface_; }
    /// True when both hold a picture in one direct-colour format (no palette; equal depth and
    /// channel masks), so a draw between them converts nothing: a picture after
    /// toDisplayFormat and the screen, say. False while either is empty.
    bool sameFormat(const Texture& other) const;
    /// The file the picture was loaded from (kept through toDisplayFormat); empty for one made
    /// otherwise. Errors about the picture name it.
    const std::string& path() const { return path_; }

  protected:
    /// For targets whose surface belongs to SDL: gives it up without freeing it, and returns
    /// it.
    SDL_Surface* forgetSurface();
    /// Sets the field directly, freeing nothing (the screen surface is SDL's).
    void adoptSurface(SDL_Surface* s) { surface_ = s; }

  private:
    SDL_Surface* surface_ = nullptr;
    std::string path_;
};

/// The texture module: SDL's video subsystem and the switch between software and hardware
/// surfaces.
namespace texture {
/// Software surfaces (true, the default) or hardware ones for create and the screen; read
/// when they are made. Nothing in the engine or the game changes it.
extern bool softwareSurface;
/// The module's start, run by algo::Engine: logs "Texture ctor .." and starts SDL's video
/// subsystem (SDLError "error SDL_INIT_VIDEO" when it will not). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: logs "Texture dtor .." and stops the subsystem.
void moduleEnd();
}  // namespace texture

}  // namespace algo
