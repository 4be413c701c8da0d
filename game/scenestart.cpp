#include "game/scenestart.hpp"

#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/surface/display.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"

namespace game {

void SceneStart_::init(const basic::Args&) {
    logoTexture_.loadimg("data/logo.bmp");
}

void SceneStart_::update() {
    auto& in = algo::EasyInput_::instance();
    if (in.count(algo::EasyInput_::Up) == 1) {
        choice_ -= 1;
        playSound("select");
    }
    if (in.count(algo::EasyInput_::Down) == 1) {
        choice_ += 1;
        playSound("select");
    }
    if (choice_ > 1) choice_ -= 2;
    if (choice_ < 0) choice_ += 2;
    if (in.count(algo::EasyInput_::Button(0)) == 1) {
        if (choice_ == 0) {
            playSound("select");
            algo::SceneControl_::instance().push(
                SceneGame_::instance(),
                {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}});
        } else if (choice_ == 1) {
            playSound("select");
            algo::EventControl_::instance().pushQuit();
        }
    }
}

void SceneStart_::draw() {
    auto& d = algo::Display_::instance();
    d.fill(255, 255, 255);
    logoTexture_.draw(nullptr, d, 180, 180);
    d.drawString(220, 300, "HAZIMEKARA", 0, 0, 0, choice_ == 0 ? 255 : 64);
    d.drawString(220, 316, "OWAREXIT", 0, 0, 0, choice_ == 1 ? 255 : 64);
}

}  // namespace game
