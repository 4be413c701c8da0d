#include "algo/input/easyinput.hpp"

#include <SDL.h>

#include <limits>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/input/event.hpp"
#include "basic/assert.hpp"

namespace algo {
namespace {

void checkIndex(std::uint32_t index) {
    if (index >= EasyInput_::kButtonCount)
        BASIC_INDEX_ERROR("EasyInput button " + std::to_string(index));
}

}  // namespace

EasyInput_::EasyInput_() : joystick_(std::make_unique<JoyStick>()) {
    log(std::to_string(joystick_->numButtons()));
    joystick_->setThreshold(kThreshold);
    setDefaultKeys();
}

void EasyInput_::setDefaultKeys() {
    const std::uint32_t defaults[] = {SDLK_UP, SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT,
                                      SDLK_z,  SDLK_x,     SDLK_c,    SDLK_v};
    for (std::uint32_t i = 0; i < 8; ++i) setKey(i, defaults[i]);
}

JoyStick& EasyInput_::joystick() {
    return *joystick_;
}

KeyBoard_& EasyInput_::keyboard() {
    return KeyBoard_::instance();
}

void EasyInput_::setKey(std::uint32_t index, std::uint32_t key) {
    checkIndex(index);
    // Refused here rather than at the keyboard's next update, far from the bad call.
    BASIC_ASSERT(key < kKeyCount, "setKey: key code " + std::to_string(key) + " is not below 323");
    keys_[index] = key;
}

void EasyInput_::update() {
    const KeyBoard_& keys = KeyBoard_::instance();
    const JoyStick& pad = *joystick_;
    for (std::uint32_t i = 0; i < kButtonCount; ++i) {
        bool held;
        switch (i) {
            case Up:
                held = pad.isUp();
                break;
            case Right:
                held = pad.isRight();
                break;
            case Down:
                held = pad.isDown();
                break;
            case Left:
                held = pad.isLeft();
                break;
            default:
                held = pad.button(static_cast<int>(i - 4));
                break;
        }
        // Either device holds the button: one count per pass, never two.
        held = held || keys.isPress(keys_[i]);
        advance(held, i);
    }
}

std::int32_t EasyInput_::count(std::uint32_t index) const {
    checkIndex(index);
    return counts_[index];
}

bool EasyInput_::wasPushed(std::uint32_t index) const {
    checkIndex(index);
    // Buttons without a key (code 0) must not answer for every unknown key.
    return counts_[index] == 1 ||
           (keys_[index] != 0 && KeyBoard_::instance().wasPushed(keys_[index]));
}

void EasyInput_::advance(bool held, std::uint32_t index) {
    std::int32_t& c = counts_[index];
    if (!held)
        c = 0;
    else if (c < std::numeric_limits<std::int32_t>::max())  // stays held instead of wrapping
        ++c;
}

namespace easyinput {
namespace {
std::unique_ptr<basic::SingletonOwner<EasyInput_>> owner;
}

void moduleStart() {
    owner = std::make_unique<basic::SingletonOwner<EasyInput_>>();
    log("Easyinput ctor ..");
    // Registered after the keyboard's updater (keyboard module start), and updaters run in
    // registration order: the counters always read the key snapshot of the same pass.
    EventControl_::instance().addUpdater({EasyInput_::instance(), &EasyInput_::update});
}

void moduleEnd() {
    EventControl_::instance().removeUpdater({EasyInput_::instance(), &EasyInput_::update});
    owner.reset();
}

}  // namespace easyinput
}  // namespace algo
