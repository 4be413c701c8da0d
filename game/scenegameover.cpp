#include "game/scenegameover.hpp"

#include <cstdint>

#include "algo/input/easyinput.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/display.hpp"
#include "game/main.hpp"
#include "game/scenestart.hpp"

namespace game {

void SceneGameOver_::init(const basic::Args&) {
    algo::Audio_::instance().stopAll();
    gameOverTexture_.loadimg("data/gameover.bmp");
    snapshot_.create(512, 512);
    algo::Display_::instance().draw(nullptr, snapshot_, 0, 0);
    velocity_.x = 0;
    velocity_.y = 1;
    position_.x = 0;
    position_.y = -512;
}

void SceneGameOver_::update() {
    velocity_.y += 1;
    position_ += velocity_;
    if (position_.y > 0) {
        position_.y = 0;
        velocity_.y *= -0.7L;
        if (velocity_.y <= -1.0L)
            playSound("dos");
        else
            velocity_.y = 0;
    }
    if (algo::EasyInput_::instance().count(algo::EasyInput_::Button(0)) == 1)
        algo::SceneControl_::instance().change(SceneStart_::instance(), {});
}

void SceneGameOver_::draw() {
    auto& d = algo::Display_::instance();
    snapshot_.draw(nullptr, d, 0, 0);
    const auto oy = static_cast<std::int32_t>(position_.y);
    d.drawRect(0, 0, 512, static_cast<std::int16_t>(512 + oy), 0, 0, 0, 255, true);
    gameOverTexture_.draw(nullptr, d, 44, static_cast<std::int16_t>(230 + oy));
}

}  // namespace game
