#pragma once
// Game over: the last play frame frozen, a black curtain falling over it and bouncing to rest.
#include "algo/game/scene.hpp"
#include "algo/game/vector2d.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace game {

class SceneGameOver_ : public algo::Scene, public basic::Singleton<SceneGameOver_> {
  public:
    void init(const basic::Args& args) override;
    void exit() override {}
    void update() override;
    void draw() override;

    // The curtain's offset: -512 fully up, 0 fully down.
    long double curtainY() const { return position_.y; }
    long double curtainSpeed() const { return velocity_.y; }

  private:
    template <class U, class... Args>
    friend class basic::SingletonOwner;
    SceneGameOver_() = default;

    algo::Texture gameOverTexture_;
    algo::Texture snapshot_;
    algo::Vector2D position_;
    algo::Vector2D velocity_;
};

}  // namespace game
