#pragma once
// Scenes on a stack; the main loop updates and draws the one on top.
#include "basic/element.hpp"
#include "basic/singleton.hpp"
#include "basic/stack.hpp"

namespace algo {

class Scene {
  public:
    virtual ~Scene() = default;
    virtual void init(const basic::Args& args) = 0;
    virtual void exit() = 0;
    virtual void update() = 0;
    virtual void draw() = 0;
};

class SceneControl_ : public basic::Singleton<SceneControl_> {
  public:
    Scene& current() const;
    void update();
    void draw();
    // Each call: exit of the scene leaving the top, the stack change, init of the new top.
    void change(Scene& scene, const basic::Args& args);
    void replace(Scene& scene, const basic::Args& args);
    void push(Scene& scene, const basic::Args& args);
    void pop(const basic::Args& args);

    std::size_t depth() const { return stack_.size(); }

  private:
    basic::Stack<Scene*> stack_;
};

namespace scene {
void moduleStart();
void moduleEnd();
}  // namespace scene

}  // namespace algo
