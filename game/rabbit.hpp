#pragma once
// The player's rabbit and the corpse it leaves behind.
#include <cstdint>

#include "algo/game/actor.hpp"
#include "algo/game/vector2d.hpp"
#include "game/level.hpp"

namespace game {

// What a rabbit or a corpse looks like from outside (the replay trace reads this).
struct RabbitState {
    std::uint32_t slot;
    std::int32_t color;
    algo::Vector2D pos;
    algo::Vector2D vel;
    bool left;
    bool onGround;
};

class Rabbit : public algo::ActorTable<Rabbit> {
  public:
    void start(const basic::Args& args) override;
    void end() override;
    using algo::ActorTable<Rabbit>::kill;
    void move() override;
    void draw() override;
    virtual void collide();
    virtual std::uint8_t tileAt(std::int32_t x, std::int32_t y) const;

    std::int32_t color() const { return color_; }
    const algo::Vector2D& pos() const { return pos_; }
    const algo::Vector2D& vel() const { return vel_; }
    bool left() const { return left_; }
    bool onGround() const { return onGround_; }

  protected:
    // Floor, ceiling and walls push-out, ground test; `living` takes stars aloud and can die.
    // Answers whether the centre ended on a deadly tile.
    bool resolve(bool living);
    void limitSpeed();

    std::int32_t color_ = 0;
    algo::Vector2D pos_;
    algo::Vector2D vel_;
    bool left_ = false;
    bool onGround_ = false;
    MapView map_;
    std::int32_t startX_ = 0;
    std::int32_t startY_ = 0;
    bool startLeft_ = false;
};

// A corpse: the rabbit's physics without control, in a table of its own (so it also carries a
// second `index`). It never dies.
class DeadRabbit : public Rabbit, public algo::ActorTable<DeadRabbit> {
    using Table = algo::ActorTable<DeadRabbit>;

  public:
    using Table::clearAll;
    using Table::create;
    using Table::drawAll;
    using Table::list;
    using Table::updateAll;

    void kill() override { Table::kill(); }
    // The second table brings a second Actor base, whose create and kill call start and end
    // through it: only these overrides make them the rabbit's there (and the class concrete).
    void start(const basic::Args& args) override { Rabbit::start(args); }
    void end() override { Rabbit::end(); }
    void move() override;
    void collide() override;
    void draw() override;
};

}  // namespace game
