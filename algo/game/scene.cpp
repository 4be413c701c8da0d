#include "algo/game/scene.hpp"

#include <memory>

namespace algo {

Scene& SceneControl_::current() const {
    return *stack_.top();
}

void SceneControl_::update() {
    stack_.top()->update();
}

void SceneControl_::draw() {
    stack_.top()->draw();
}

void SceneControl_::change(Scene& scene, const basic::Args& args) {
    if (!stack_.empty()) stack_.top()->exit();
    stack_.clear();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::replace(Scene& scene, const basic::Args& args) {
    stack_.pop()->exit();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::push(Scene& scene, const basic::Args& args) {
    stack_.top()->exit();
    stack_.push(&scene);
    scene.init(args);
}

void SceneControl_::pop(const basic::Args& args) {
    stack_.pop()->exit();
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
