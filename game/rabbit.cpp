#include "game/rabbit.hpp"

#include <algorithm>

#include "algo/input/easyinput.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"

namespace game {

namespace {

constexpr long double kWalk = 0.1L;
constexpr long double kJump = -5.0L;
constexpr long double kGravity = 0.2L;
constexpr long double kMaxSpeedX = 2.0L;
constexpr long double kMaxSpeedY = 5.0L;
constexpr long double kFriction = 1.2L;

// A push-out loop never moves a body further than across the whole field and a tile: only a
// body buried in solid up to the grid's edge (where outside cells read solid) would need more.
constexpr int kMaxPush = kGridSize * kTilePixels + 2 * kTilePixels;

constexpr std::uint32_t kRight = algo::EasyInput_::Right;
constexpr std::uint32_t kLeft = algo::EasyInput_::Left;
constexpr std::uint32_t kJumpButton = algo::EasyInput_::Button(1);  // X

std::int32_t whole(long double v) {
    return static_cast<std::int32_t>(v);
}

bool solid(std::uint8_t t) {
    return t == kSolid || t == kSolidVanishing;
}
bool deadly(std::uint8_t t) {
    return t == kDeadly || t == kDeadlyVanishing;
}

basic::Args argsOf(std::int32_t color, bool left, MapView map, std::int32_t x, std::int32_t y,
                   std::int32_t sx, std::int32_t sy) {
    return {{"color", basic::Element::of<int>(color)}, {"left", basic::Element::of<bool>(left)},
            {"map", basic::Element::of<MapView>(map)}, {"x", basic::Element::of<int>(x)},
            {"y", basic::Element::of<int>(y)},         {"sx", basic::Element::of<int>(sx)},
            {"sy", basic::Element::of<int>(sy)}};
}

void drawCell(std::int16_t sx, std::int16_t sy, std::int16_t x, std::int16_t y) {
    SDL_Rect src{sx, sy, 16, 16};
    charaTexture().draw(&src, algo::Display_::instance(), x, y);
}

}  // namespace

void Rabbit::start(const basic::Args& args) {
    color_ = args.at("color").unpack<int>();
    left_ = args.at("left").unpack<bool>();
    map_ = args.at("map").unpack<MapView>();
    pos_.x = args.at("x").unpack<int>();
    pos_.y = args.at("y").unpack<int>();
    vel_.x = args.at("sx").unpack<int>();
    vel_.y = args.at("sy").unpack<int>();
    startX_ = whole(pos_.x);
    startY_ = whole(pos_.y);
    startLeft_ = left_;
}

std::uint8_t Rabbit::tileAt(std::int32_t x, std::int32_t y) const {
    return map_.tileAt(x, y);
}

void Rabbit::limitSpeed() {
    if (vel_.x > kMaxSpeedX) vel_.x = kMaxSpeedX;
    if (vel_.x < -kMaxSpeedX) vel_.x = -kMaxSpeedX;
    if (vel_.y > kMaxSpeedY) vel_.y = kMaxSpeedY;
    if (vel_.y < -kMaxSpeedY) vel_.y = -kMaxSpeedY;
}

void Rabbit::move() {
    auto& in = algo::EasyInput_::instance();
    const std::int32_t right = in.count(kRight);
    const std::int32_t leftHeld = in.count(kLeft);
    const std::int32_t jump = in.count(kJumpButton);
    if (right != 0) {
        vel_.x += kWalk;
        left_ = false;
    }
    if (leftHeld != 0) {
        vel_.x -= kWalk;
        left_ = true;
    }
    if (jump == 1 && onGround_) {
        vel_.y = kJump;
        playSound("jump");
    }
    vel_.y += kGravity;
    limitSpeed();
    if (onGround_ && ((right == 0) == (leftHeld == 0))) vel_.x = vel_.x / kFriction;
    if (vel_.y < 0 && jump == 0) vel_.y += kGravity;
    pos_ += vel_;
    collide();
}

bool Rabbit::resolve(bool living) {
    std::int32_t px = whole(pos_.x);
    std::int32_t py = whole(pos_.y);
    auto r = [&px] { return (px - 8) % kTilePixels; };

    if (tileAt(px + 7, py + 7) == kStar) {
        map_.cellAt(px + 7, py + 7) = kEmpty;
        SceneGame_::instance().decrementRest();
        if (living) playSound("getstar");
    }
    for (int n = 0;
         n < kMaxPush && (solid(tileAt(px + 7, py + 14)) || tileAt(px + 7, py + r()) == kSlopeUp ||
                          tileAt(px + 7, py + 14 - r()) == kSlopeDown);
         ++n) {
        vel_.y = std::min(vel_.y, 0.0L);
        pos_.y -= 1;
        py -= 1;
    }
    for (int n = 0; n < kMaxPush && solid(tileAt(px + 7, py + 1)); ++n) {
        vel_.y = std::max(vel_.y, 0.0L);
        pos_.y += 1;
        py += 1;
    }
    for (int n = 0; n < kMaxPush && solid(tileAt(px + 2, py + 7)); ++n) {
        vel_.x = std::max(vel_.x, 0.0L);
        pos_.x += 1;
        px += 1;
    }
    for (int n = 0; n < kMaxPush && solid(tileAt(px + 12, py + 7)); ++n) {
        vel_.x = std::min(vel_.x, 0.0L);
        pos_.x -= 1;
        px -= 1;
    }
    onGround_ = solid(tileAt(px + 7, py + 15)) || tileAt(px + 7, py + 1 + r()) == kSlopeUp ||
                tileAt(px + 7, py + 15 - r()) == kSlopeDown;
    return deadly(tileAt(px + 7, py + 7));
}

void Rabbit::collide() {
    if (resolve(true)) kill();
}

void Rabbit::draw() {
    auto& in = algo::EasyInput_::instance();
    const std::int32_t held = std::max(in.count(kRight), in.count(kLeft));
    const std::int32_t f = (held / 4 + 1) % 4;
    const auto x = static_cast<std::int16_t>(whole(pos_.x));
    const auto y = static_cast<std::int16_t>(whole(pos_.y));
    drawCell(static_cast<std::int16_t>(16 * f),
             static_cast<std::int16_t>(32 * color_ + (left_ ? 16 : 0)),
             static_cast<std::int16_t>(x + 16), static_cast<std::int16_t>(y + 16));
    for (std::int32_t i = color_ + 1; i <= 2; ++i)
        drawCell(16, static_cast<std::int16_t>(32 * i), static_cast<std::int16_t>(32 + 24 * i), 0);
}

void Rabbit::end() {
    playSound("sibo");
    basic::Args args =
        argsOf(color_, left_, map_, whole(pos_.x), whole(pos_.y), whole(vel_.x), whole(vel_.y));
    DeadRabbit::create(args);
    if (color_ == 2) {
        SceneGame_::instance().gameOver();
        return;
    }
    args = argsOf(color_ + 1, startLeft_, map_, startX_, startY_, 0, 0);
    LifeBall::create(args);
}

void DeadRabbit::move() {
    vel_.y += kGravity;
    limitSpeed();
    if (onGround_) vel_ /= kFriction;
    pos_ += vel_;
    collide();
}

void DeadRabbit::collide() {
    resolve(false);
}

void DeadRabbit::draw() {
    const auto x = static_cast<std::int16_t>(whole(pos_.x));
    const auto y = static_cast<std::int16_t>(whole(pos_.y));
    drawCell(64, static_cast<std::int16_t>(32 * color_ + (left_ ? 16 : 0)),
             static_cast<std::int16_t>(x + 16), static_cast<std::int16_t>(y + 16));
}

}  // namespace game
