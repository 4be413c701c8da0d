#include "algo/game/scene.hpp"

#include <memory>
#include <string>

#include "basic/assert.hpp"

namespace algo {

namespace {
// The stack's own index error, with what to do about it.
void needScene(const basic::Stack<Scene*>& stack, const char* operation) {
    if (stack.empty())
        BASIC_INDEX_ERROR(std::string(operation) +
                          " with no scene on the stack: the first scene is set with change");
}
}  // namespace

Scene& SceneControl_::current() const {
    needScene(stack_, "current");
    return *stack_.top();
}

void SceneControl_::update() {
    needScene(stack_, "update");
    stack_.top()->update();
}

void SceneControl_::draw() {
    needScene(stack_, "draw");
    stack_.top()->draw();
}

void SceneControl_::change(Scene& scene, const basic::Args& args) {
    if (!stack_.empty()) stack_.top()->exit();
    stack_.clear();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::replace(Scene& scene, const basic::Args& args) {
    needScene(stack_, "replace");
    stack_.pop()->exit();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::push(Scene& scene, const basic::Args& args) {
    needScene(stack_, "push");
    stack_.top()->exit();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::pop(const basic::Args& args) {
    needScene(stack_, "pop");
    stack_.pop()->exit();
    if (stack_.empty())
        BASIC_INDEX_ERROR("pop of the last scene: nothing is left to uncover (change replaces it)");
    stack_.top()->init(args);
}

namespace scene {
namespace {
std::unique_ptr<basic::SingletonOwner<SceneControl_>> owner;
}
void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<SceneControl_>>();
}
void moduleEnd() {
    owner.reset();
}
}  // namespace scene

}  // namespace algo
