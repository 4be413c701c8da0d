#pragma once
/// @file
/// The screen: a texture whose surface is SDL's video surface, never freed here.
#include <string>

#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace algo {

/// The screen: a Texture whose surface is SDL's video surface, so everything is drawn on it
/// with the texture operations. setVideoMode() opens the window; flip() shows the frame. The
/// surface belongs to SDL and is never freed here. The singleton lives from the engine's
/// start to its end.
///
/// @code
/// auto& screen = algo::Display_::instance();
/// screen.setVideoMode(512, 512, 16, false);  // windowed
/// screen.setCaption("My game");
/// screen.fill(0, 0, 0);
/// picture.draw(nullptr, screen, 10, 10);
/// screen.flip();
/// @endcode
class Display_ : public Texture, public basic::Singleton<Display_> {
  public:
    /// Made by the display module's start; the screen is empty until setVideoMode.
    Display_() = default;
    /// Lets go of the screen surface without freeing it: it is SDL's.
    ~Display_() override;

    /// Opens the window, or switches the mode of the open one: a screen of width × height
    /// pixels with bpp bits per pixel (8 or fewer asks for a palette), full screen when
    /// `fullscreen`. Logs "フラグ要求 ⇒ 結果", the flags asked for and granted (hex), and a
    /// legend of the flag values. SDLError "ウィンドウを作れないなんて。" when SDL cannot;
    /// the screen is empty then. Textures made before keep the format they have.
    virtual void setVideoMode(int width, int height, int bpp, bool fullscreen);
    /// Shows the rectangle of the screen at (x, y), w × h pixels (all four 0: the whole
    /// screen) without flipping. Nothing before setVideoMode; raises nothing.
    virtual void updateRect(int x, int y, int w, int h);
    /// Shows the frame drawn on the screen. SDLError "フリップできませんでした。orz" before
    /// setVideoMode (the reason says so) or when SDL fails.
    virtual void flip();
    /// Sets the window's title (UTF-8) and remembers it.
    virtual void setCaption(const std::string& title);
    /// The last title set; empty before the first.
    virtual std::string caption() const { return caption_; }
    /// Makes the picture the window's icon; an empty texture does nothing. SDL 1.2 wants it
    /// before the window opens: call it before setVideoMode.
    virtual void setIcon(Texture& icon);

    /// The screen surface belongs to SDL: this and the four below would free or replace it,
    /// so each is an AssertError ("setSurface on the display", ...).
    void setSurface(SDL_Surface* s) override;
    /// An AssertError: the screen is made by setVideoMode.
    void create(int width, int height) override;
    /// An AssertError: load into a Texture and draw it onto the screen.
    void loadimg(const std::string& path) override;
    /// An AssertError: the screen surface is SDL's.
    void freeSurface() override;
    /// An AssertError: the screen is in the screen's format already.
    void toDisplayFormat() override;

  private:
    std::string caption_;
};

/// The display module: the mode flags and window scaling by the SDL 1.2 compatibility layer
/// (the window grows, the screen surface keeps its size). Settings the user's environment
/// already has are left alone.
namespace display {
/// Would add SDL_OPENGL to the mode flags; nothing turns it on.
extern bool openGL;
/// The flags setVideoMode asks for: SDL_SWSURFACE (SDL_HWSURFACE | SDL_DOUBLEBUF when
/// texture::softwareSurface is false), plus SDL_FULLSCREEN, SDL_OPENGL with openGL, and
/// SDL_HWPALETTE for 8 or fewer bits per pixel.
Uint32 requestFlags(int bpp, bool fullscreen);

/// Nearest-neighbour filtering, so scaled pixels stay sharp blocks. The layer reads it when
/// SDL starts: call before the engine does.
void preferSharpScaling();
/// The next window is `scale` times as large; call before setVideoMode. False when the user's
/// environment already sets the scale. A scale below 1 is an AssertError.
bool setWindowScale(int scale);
/// The desktop's size in pixels, read before the first setVideoMode; false when SDL cannot
/// tell (then width and height are left alone).
bool desktopSize(int& width, int& height);
/// The largest whole scale from 1 to maxScale at which a width × height window fits in 90 %
/// of the desktop's width and height; 1 when none does.
int fittingScale(int width, int height, int desktopWidth, int desktopHeight, int maxScale);

/// The module's start, run by algo::Engine: logs "Display ctor .." and the full-screen modes
/// ("全解像度が利用可能です。", "利用可能なモードがない。" or a list), and makes Display_.
/// Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: destroys Display_.
void moduleEnd();
}  // namespace display

}  // namespace algo
