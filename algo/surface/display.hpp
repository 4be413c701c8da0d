#pragma once
// The screen: a texture whose surface is SDL's video surface, never freed here.
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
    Display_() = default;
    ~Display_() override;

    // Opens the window (or switches the mode) and logs the flags asked for and granted.
    virtual void setVideoMode(int width, int height, int bpp, bool fullscreen);
    virtual void updateRect(int x, int y, int w, int h);
    virtual void flip();
    virtual void setCaption(const std::string& title);
    virtual std::string caption() const { return caption_; }
    virtual void setIcon(Texture& icon);

    // The screen surface belongs to SDL: these would free or replace it.
    void setSurface(SDL_Surface* s) override;
    void create(int width, int height) override;
    void loadimg(const std::string& path) override;
    void freeSurface() override;
    void toDisplayFormat() override;

  private:
    std::string caption_;
};

namespace display {
// Would add SDL_OPENGL to the mode flags; nothing turns it on.
extern bool openGL;
// The flags setVideoMode asks for.
Uint32 requestFlags(int bpp, bool fullscreen);

// Window scaling by the SDL 1.2 compatibility layer: the window grows, the screen surface
// keeps its size. Settings the user's environment already has are left alone.
// Nearest-neighbour filtering, so scaled pixels stay sharp blocks. The layer reads it when
// SDL starts: call before the engine does.
void preferSharpScaling();
// The next window is `scale` times as large; call before setVideoMode. False when the user's
// environment already sets the scale.
bool setWindowScale(int scale);
// The desktop's size, read before the first setVideoMode; false when SDL cannot tell.
bool desktopSize(int& width, int& height);
// The largest whole scale from 1 to maxScale at which a width × height window fits in 90 %
// of the desktop's width and height; 1 when none does.
int fittingScale(int width, int height, int desktopWidth, int desktopHeight, int maxScale);

void moduleStart();
void moduleEnd();
}  // namespace display

}  // namespace algo
