// hello: the smallest whole program on algo. It starts the engine, sets one scene on the scene
// stack and runs the main loop at 60 passes a second. The scene writes in three ways: the
// built-in 8 × 8 font (drawString), a TrueType font (Font, data/pixel.ttf) and pictures made
// once per character (CharList), which suit text that changes every frame, like the clock.
//
// Keys: Escape quits, and so does closing the window.
#include <cstdio>
#include <string>
#include <vector>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

class Hello : public algo::Scene {
  public:
    // Runs when the scene reaches the top of the stack: the display is open by then, and
    // fonts and pictures need it.
    void init(const basic::Args&) override {
        big_.load("data/pixel.ttf", 48);  // 48 points: 3 screen pixels per font pixel
        small_.load("data/pixel.ttf", 16);
        const std::string clockChars = "0123456789:";
        digits_.clear();
        digits_.reserve(clockChars.size());  // the CharList points into this vector
        for (char c : clockChars) {
            digits_.push_back(big_.renderText(std::string(1, c), 120, 220, 255, false));
            clock_.chars[c] = &digits_.back();
        }
        passes_ = 0;
    }

    void exit() override {}

    void update() override { ++passes_; }

    void draw() override {
        auto& screen = algo::Display_::instance();
        screen.fill(16, 24, 48);
        screen.drawString(16, 16, "drawString: the built-in 8 x 8 font", 200, 200, 200, 255);

        big_.drawText("Hello, world!", screen, 40, 140, 255, 220, 90, 255, false);
        small_.drawText("Font: TrueType text, here at 48 and 16 points", screen, 40, 210, 255, 255,
                        255, 255, false);

        const int seconds = passes_ / 60;
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d", seconds / 60 % 100, seconds % 60);
        clock_.draw(clock, screen, 40, 280);
        small_.drawText("CharList: one picture per character", screen, 40, 340, 255, 255, 255, 255,
                        false);

        screen.drawString(16, 488, "Escape quits", 200, 200, 200, 255);
    }

  private:
    algo::Font big_, small_;
    std::vector<algo::Texture> digits_;
    algo::CharList clock_;
    int passes_ = 0;
};

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("hello");
        algo::setFPS(60);

        Hello hello;  // its fonts close when it goes, before the engine ends
        auto& scenes = algo::SceneControl_::instance();
        scenes.change(hello, {});

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
