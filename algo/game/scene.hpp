#pragma once
/// @file
/// Scenes on a stack; the main loop updates and draws the one on top.
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
    /// The program owns its scenes: the stack never destroys one.
    virtual ~Scene() = default;
    /// The scene comes to the top: set by change, pushed, swapped in by replace, or uncovered
    /// by pop; `args` is the map given to that call.
    virtual void init(const basic::Args& args) = 0;
    /// The scene leaves the top: popped, replaced, covered by a push, or taken by change.
    virtual void exit() = 0;
    /// One pass of the scene's logic, from SceneControl_::update while it is on top.
    virtual void update() = 0;
    /// Paints one frame, from SceneControl_::draw while it is on top.
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
    /// The scene on top. Like update, draw, replace, push and pop, it needs a scene on the
    /// stack: on an empty one it raises std::out_of_range, saying that the first scene is set
    /// with change.
    Scene& current() const;
    /// The top scene's update(); std::out_of_range on an empty stack.
    void update();
    /// The top scene's draw(); std::out_of_range on an empty stack.
    void draw();
    /// Empties the stack and sets `scene`: exit() of the scene on top (the others get no
    /// hook), then scene.init(args). The way to set the first scene; works on an empty stack.
    void change(Scene& scene, const basic::Args& args);
    /// Swaps the top scene for `scene` (the next level): its exit(), then scene.init(args).
    void replace(Scene& scene, const basic::Args& args);
    /// Covers the top scene with `scene` (a pause menu): exit() of the covered one, which
    /// waits underneath, then scene.init(args).
    void push(Scene& scene, const basic::Args& args);
    /// Removes the top scene (its exit()) and calls init(args) of the one uncovered. Popping
    /// the last scene is std::out_of_range, raised after its exit() with the stack left empty.
    void pop(const basic::Args& args);

    /// The number of scenes on the stack.
    std::size_t depth() const { return stack_.size(); }
    /// Lets go of every scene without a hook: for an owner whose scenes are about to go while
    /// the engine lives on, so that a later change() does not call exit() of a dead scene.
    void clear() { stack_.clear(); }

  private:
    basic::Stack<Scene*> stack_;
};

/// The scene module: the scene stack's singleton.
namespace scene {
/// The module's start, run by algo::Engine: makes SceneControl_ with an empty stack.
/// Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: destroys SceneControl_ (no scene gets a hook).
void moduleEnd();
}  // namespace scene

}  // namespace algo
