#include "game/sceneclear.hpp"

#include <cstdio>
#include <cstdlib>

#include "algo/game/vector2d.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/display.hpp"
#include "game/scenegame.hpp"
#include "game/scenestart.hpp"

namespace game {

namespace {
const char kDigitChars[] = "0123456789.";
}  // namespace

int gradeFor(long double seconds) {
    if (seconds > 400) return 0;
    if (seconds > 300) return 1;
    if (seconds > 200) return 2;
    if (seconds > 150) return 3;
    return 4;
}

void SceneClear_::init(const basic::Args& args) {
    otuTexture_.loadimg("data/otu.bmp");
    for (const char* c = kDigitChars; *c; ++c) {
        auto t = std::make_unique<algo::Texture>(std::string("data/") + *c + ".bmp");
        t->setColorKeyFromPixel(true);
        digitTextures_[*c] = std::move(t);
    }
    resultTexture_.loadimg("data/result.bmp");
    result2Texture_.loadimg("data/result2.bmp");
    resultTexture_.setColorKeyFromPixel(true);
    result2Texture_.setColorKeyFromPixel(true);
    for (int i = 0; i < 5; ++i) gradeTextures_[i].loadimg("data/rank" + std::to_string(i) + ".bmp");

    const int t = args.at("time").unpack<int>();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<float>(t * kSecondsPerPass));
    timeText_ = buf;
    seconds_ = static_cast<long double>(t) * static_cast<long double>(kSecondsPerPass);
}

void SceneClear_::exit() {
    algo::Audio_::instance().stopAll();
}

void SceneClear_::update() {
    frame_ += 1;
    if (algo::EasyInput_::instance().count(algo::EasyInput_::Button(0)) == 1)
        algo::SceneControl_::instance().change(SceneStart_::instance(), {});
}

void SceneClear_::draw() {
    auto& d = algo::Display_::instance();
    d.fill(255, 255, 255);
    otuTexture_.draw(nullptr, d, 200, 64);
    resultTexture_.draw(nullptr, d, 150, 150);
    for (std::size_t i = 0; i < timeText_.size(); ++i) {
        const std::int32_t a = 3 * frame_ + 20 * static_cast<std::int32_t>(i);
        const std::int32_t radius = std::abs(((a / 20) % 60) - 30);
        algo::Vector2D offset;  // (0, 1)
        offset.setLength(radius);
        offset.setAngle(algo::toRadian(a));
        const auto ox = static_cast<std::int32_t>(offset.x);
        const auto oy = static_cast<std::int32_t>(offset.y);
        digitTextures_.at(timeText_[i])
            ->draw(nullptr, d,
                   static_cast<std::int16_t>(80 + 48 * static_cast<std::int32_t>(i) + ox),
                   static_cast<std::int16_t>(260 + oy));
    }
    result2Texture_.draw(nullptr, d, 400, 290);
    gradeTextures_[gradeFor(seconds_)].draw(nullptr, d, 180, 400);
}

}  // namespace game
