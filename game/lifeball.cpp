#include "game/lifeball.hpp"

#include <SDL.h>

#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"

namespace game {

namespace {
constexpr std::int32_t kLifetime = 60;
constexpr std::int32_t kBringRabbitAt = 10;
constexpr long double kSparkRadius = 60.0L;
constexpr long double kSparkTurn = 30.0L;  // radians, as the effect was tuned
constexpr std::int32_t kOffset = 24;

std::int16_t whole16(long double v) {
    return static_cast<std::int16_t>(static_cast<std::int32_t>(v));
}
}  // namespace

void LifeBall::start(const basic::Args& args) {
    playSound("hukkatsu");
    life_ = kLifetime;
    args_ = args;
    pos_.x = args.at("x").unpack<int>() + kOffset;
    pos_.y = args.at("y").unpack<int>() + kOffset;
    for (int i = 0; i < 5; ++i) {
        points_[i].x = kSparkRadius;
        points_[i].y = 0;
        points_[i].setAngle(algo::toRadian(72.0L * i));
    }
}

void LifeBall::move() {
    life_ -= 1;
    for (auto& p : points_) {
        p.rotate(kSparkTurn);
        p.setLength(p.length() - 1);
    }
    if (life_ == kBringRabbitAt) Rabbit::create(args_);
    if (life_ == 0) kill();
}

void LifeBall::draw() {
    auto& d = algo::Display_::instance();
    d.drawEllipse(whole16(pos_.x), whole16(pos_.y), 8, 8, 255, 64, 64,
                  static_cast<std::uint8_t>(4 * life_), true);
    for (const auto& p : points_) {
        algo::Vector2D at = pos_;
        at += p;
        d.drawEllipse(whole16(at.x), whole16(at.y), 4, 4, 255, 255, 0,
                      static_cast<std::uint8_t>(2 * life_ + 120), true);
    }
    const std::int32_t k = args_.at("color").unpack<int>();
    for (std::int32_t i = k + 1; i <= 2; ++i) {
        SDL_Rect src{16, static_cast<Sint16>(32 * i), 16, 16};
        charaTexture().draw(&src, d, static_cast<std::int16_t>(32 + 24 * i), 0);
    }
}

}  // namespace game
