#pragma once
// The revival effect: a red disc with five sparks spiralling in; brings the next rabbit.
#include <array>
#include <cstdint>

#include "algo/game/actor.hpp"
#include "algo/game/vector2d.hpp"
#include "basic/element.hpp"

namespace game {

class LifeBall : public algo::ActorTable<LifeBall> {
  public:
    void start(const basic::Args& args) override;
    void end() override {}
    void move() override;
    void draw() override;

    std::int32_t life() const { return life_; }
    const algo::Vector2D& pos() const { return pos_; }
    const std::array<algo::Vector2D, 5>& points() const { return points_; }

  private:
    algo::Vector2D pos_;
    std::array<algo::Vector2D, 5> points_;
    std::int32_t life_ = 0;
    basic::Args args_;
};

}  // namespace game
