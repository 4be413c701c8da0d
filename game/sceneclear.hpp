#pragma once
// After the last level: the total time in swaying picture digits and a grade picture.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "algo/game/scene.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"

namespace game {

// Grade picture for a play time: 0 the slowest (over 400 s) to 4 the fastest (150 s or less).
int gradeFor(long double seconds);

class SceneClear_ : public algo::Scene, public basic::Singleton<SceneClear_> {
  public:
    void init(const basic::Args& args) override;
    // Ends the level music, which plays on through this scene.
    void exit() override;
    void update() override;
    void draw() override;

    const std::string& timeText() const { return timeText_; }
    long double seconds() const { return seconds_; }
    int grade() const { return gradeFor(seconds_); }
    std::int32_t frame() const { return frame_; }

  private:
    template <class U, class... Args>
    friend class basic::SingletonOwner;
    SceneClear_() = default;

    algo::Texture otuTexture_;
    std::map<char, std::unique_ptr<algo::Texture>> digitTextures_;
    std::array<algo::Texture, 5> gradeTextures_;
    algo::Texture resultTexture_;
    algo::Texture result2Texture_;
    std::string timeText_;
    long double seconds_ = 0;
    std::int32_t frame_ = 0;  // never reset: a second clear goes on from the same phase
};

}  // namespace game
