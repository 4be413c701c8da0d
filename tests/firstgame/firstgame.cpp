// What a first program on the engine tends to do, one mode per way it used to go wrong:
//   globals  fonts, pictures, music and effects kept at namespace scope past the engine's end
//   push     push as the first scene operation (an error that ends the body)
//   early    a singleton reached before algo::runProgram has started the engine
//   start    nothing but the engine's start and end (for runs in a broken directory)
#include <SDL.h>

#include <cstring>
#include <memory>

#include "algo/game/scene.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/music.hpp"
#include "algo/sound/se.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/engine.hpp"

namespace {

algo::Font gFont;
algo::Texture gPicture;
std::unique_ptr<algo::Music> gMusic;
std::unique_ptr<algo::Sound> gEffect;

class Blank : public algo::Scene {
  public:
    void init(const basic::Args&) override {}
    void exit() override {}
    void update() override {}
    void draw() override {}
};

int keepGlobals() {
    algo::Display_::instance().setVideoMode(64, 64, 16, false);
    algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);
    gFont.load("data/sans.ttf", 12);
    gFont.drawText("left open", algo::Display_::instance(), 0, 0, 255, 255, 255, 255, false);
    gPicture.loadimg("data/chara.bmp");
    gMusic = std::make_unique<algo::Music>("data/jump.ogg", true);
    gMusic->playLoop();
    gEffect = std::make_unique<algo::Sound>("data/dos.wav", true);
    gEffect->play();
    return 0;
}

int pushFirst() {
    Blank blank;
    algo::SceneControl_::instance().push(blank, {});
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "early") == 0) algo::Display_::instance().setVideoMode(64, 64, 16, false);
    if (std::strcmp(mode, "globals") == 0) return algo::runProgram(keepGlobals);
    if (std::strcmp(mode, "push") == 0) return algo::runProgram(pushFirst);
    if (std::strcmp(mode, "start") == 0) return algo::runProgram([] { return 0; });
    return 2;
}
