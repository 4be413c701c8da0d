#pragma once
// Title: the logo and a two-item menu, start from the beginning or quit.
#include <cstdint>

#include "algo/game/scene.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace game {

class SceneStart_ : public algo::Scene, public basic::Singleton<SceneStart_> {
  public:
    void init(const basic::Args& args) override;
    void exit() override {}
    void update() override;
    void draw() override;

    // 0 = "HAZIMEKARA", 1 = "OWAREXIT"; kept from one visit to the next.
    std::int32_t choice() const { return choice_; }

  private:
    template <class U, class... Args>
    friend class basic::SingletonOwner;
    SceneStart_() = default;

    algo::Texture logoTexture_;
    std::int32_t choice_ = 0;
};

}  // namespace game
