#pragma once
// Scenes on a stack; the main loop updates and draws the one on top.
#include "basic/element.hpp"
#include "basic/singleton.hpp"
#include "basic/stack.hpp"

namespace algo {

/// One screen of a program (a title, a level, a menu): the four hooks the scene stack calls.
/// init() when the scene comes to the top, exit() when it leaves it, update() once per pass
/// and draw() once per drawn frame while it is on top. The program owns its scenes; the stack
/// only points at them, so a scene must live as long as it is on the stack.
///
/// @code
/// class Title : public algo::Scene {
///     void init(const basic::Args&) override { choice_ = 0; }
///     void exit() override {}
///     void update() override { /* read EasyInput_, maybe change the scene */ }
///     void draw() override { algo::Display_::instance().fill(0, 0, 0); }
///     int choice_ = 0;
/// };
/// @endcode
class Scene {
  public:
    virtual ~Scene() = default;
    virtual void init(const basic::Args& args) = 0;
    virtual void exit() = 0;
    virtual void update() = 0;
    virtual void draw() = 0;
};

/// The scene stack: update() and draw() go to the scene on top; change, replace, push and pop
/// move scenes on and off, calling exit() of the scene leaving the top and then init() of the
/// one arriving. The first scene is set with change(). The singleton lives from the engine's
/// start to its end; it borrows the scenes it holds.
///
/// @code
/// auto& scenes = algo::SceneControl_::instance();
/// scenes.change(title, {});                                       // the first scene
/// scenes.push(pause, {});                                         // title waits underneath
/// scenes.pop({{"resumed", basic::Element::of<bool>(true)}});      // title's init() again
/// scenes.replace(level, {{"map", basic::Element::of<int>(2)}});   // same depth, new scene
/// @endcode
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
    /// Lets go of every scene without a hook: for an owner whose scenes are about to go while
    /// the engine lives on, so that a later change() does not call exit() of a dead scene.
    void clear() { stack_.clear(); }

  private:
    basic::Stack<Scene*> stack_;
};

namespace scene {
void moduleStart();
void moduleEnd();
}  // namespace scene

}  // namespace algo
