#include "algo/input/keyboard.hpp"

#include <SDL.h>

#include <array>
#include <memory>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/input/event.hpp"
#include "basic/assert.hpp"

namespace algo {
namespace {

keyboard::KeySource keySource = nullptr;

void checkKey(std::uint32_t key) {
    BASIC_ASSERT(key < kKeyCount, "key code " + std::to_string(key) + " is not below 323");
}

}  // namespace

bool KeyBoard_::isPush(std::uint32_t key) const {
    checkKey(key);
    return state_[current_][key] && !state_[current_ ^ 1][key];
}

bool KeyBoard_::wasPushed(std::uint32_t key) const {
    checkKey(key);
    return isPush(key) || (EventControl_::exists() && EventControl_::instance().keyWentDown(key));
}

bool KeyBoard_::isPress(std::uint32_t key) const {
    checkKey(key);
    return state_[current_][key];
}

void KeyBoard_::update() {
    int count = 0;
    const std::uint8_t* keys =
        keySource ? keySource(&count) : static_cast<const std::uint8_t*>(SDL_GetKeyState(&count));
    BASIC_ASSERT(keys != nullptr, "key source gave no key state");
    current_ ^= 1;
    // A shorter array leaves the missing keys up rather than reading past its end.
    const std::uint32_t known = count < 0 ? 0 : static_cast<std::uint32_t>(count);
    auto& now = state_[current_];
    for (std::uint32_t k = 0; k < kKeyCount; ++k) now[k] = k < known && keys[k] != 0;
    for (std::uint32_t key : quitKeys_)
        if (now[key]) EventControl_::instance().pushQuit();
}

void KeyBoard_::addQuitKey(std::uint32_t key) {
    checkKey(key);
    quitKeys_.insert(key);
}

void KeyBoard_::removeQuitKey(std::uint32_t key) {
    checkKey(key);
    quitKeys_.erase(key);
}

namespace keyboard {
namespace {
std::unique_ptr<basic::SingletonOwner<KeyBoard_>> owner;
}

void setKeySource(KeySource source) {
    keySource = source;
}

std::span<std::uint8_t, kKeyCount> scriptedKeys() {
    static std::array<std::uint8_t, kKeyCount> keys;
    keys.fill(0);
    keySource = [](int* numkeys) -> const std::uint8_t* {
        if (numkeys) *numkeys = static_cast<int>(kKeyCount);
        return keys.data();
    };
    return keys;
}

void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<KeyBoard_>>();
    log("Keyboard ctor ..");
    EventControl_::instance().addUpdater({KeyBoard_::instance(), &KeyBoard_::update});
    KeyBoard_::instance().addQuitKey(SDLK_ESCAPE);
}

void moduleEnd() {
    EventControl_::instance().removeUpdater({KeyBoard_::instance(), &KeyBoard_::update});
    owner.reset();
}

}  // namespace keyboard
}  // namespace algo
