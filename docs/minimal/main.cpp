// A first program on algo: a window, one scene with a box that slides, Escape quits.
#include <SDL.h>

#include <cstdint>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

class Slide : public algo::Scene {
  public:
    void init(const basic::Args&) override { x_ = 0; }
    void exit() override {}
    void update() override { x_ = static_cast<std::int16_t>((x_ + 2) % 480); }
    void draw() override {
        auto& screen = algo::Display_::instance();
        screen.fill(24, 32, 64);
        screen.drawRect(x_, 240, x_ + 31, 271, 255, 200, 0, 255, true);
        screen.drawString(8, 8, "Hello, algo! Escape quits.", 255, 255, 255, 255);
    }

  private:
    std::int16_t x_ = 0;
};

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        algo::setFPS(60);
        algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);
        Slide slide;  // lives as long as the loop that draws it
        auto& scenes = algo::SceneControl_::instance();
        scenes.change(slide, {});
        auto& events = algo::EventControl_::instance();
        while (events.poll()) {  // false after Escape or a closed window
            scenes.update();
            if (algo::waitFrame()) {
                scenes.draw();
                screen.flip();
            }
        }
        return 0;
    });
}
