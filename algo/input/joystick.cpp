#include "algo/input/joystick.hpp"

#include <set>

#include "algo/file/logger.hpp"
#include "algo/input/event.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {
namespace joystick {
namespace {

// Device indices held by live JoySticks.
std::set<int> openedDevices;

const Device kSdlDevice = {
    [] { return SDL_NumJoysticks(); },
    [](int i) { return SDL_JoystickOpen(i); },
    [](int i) { return SDL_JoystickOpened(i); },
    [](SDL_Joystick* j) { SDL_JoystickClose(j); },
    [](int i) { return SDL_JoystickName(i); },
    [](SDL_Joystick* j) { return SDL_JoystickNumAxes(j); },
    [](SDL_Joystick* j) { return SDL_JoystickNumBalls(j); },
    [](SDL_Joystick* j) { return SDL_JoystickNumHats(j); },
    [](SDL_Joystick* j) { return SDL_JoystickNumButtons(j); },
    [](SDL_Joystick* j, int a) { return static_cast<std::int16_t>(SDL_JoystickGetAxis(j, a)); },
    [](SDL_Joystick* j, int h) { return static_cast<std::uint8_t>(SDL_JoystickGetHat(j, h)); },
    [](SDL_Joystick* j, int b) { return static_cast<std::uint8_t>(SDL_JoystickGetButton(j, b)); },
    [](SDL_Joystick* j, int b, int* dx, int* dy) { return SDL_JoystickGetBall(j, b, dx, dy); },
};

const Device* current = &kSdlDevice;

// Totals wrap instead of overflowing.
std::int32_t addWrapping(std::int32_t total, int delta) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(total) +
                                     static_cast<std::uint32_t>(delta));
}

}  // namespace

const Device& sdlDevice() {
    return kSdlDevice;
}

void setDevice(const Device* device) {
    current = device ? device : &kSdlDevice;
}

int numJoysticks() {
    return current->count();
}

void preferGameControllers() {
    sdlinit::presetEnv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1");
}

void moduleStart() {
    log("Joystick ctor ..");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) throw SDLError("error SDL_INIT_JOYSTICK");
    // Joystick changes go through the queue, so polling keeps axes and buttons current.
    SDL_JoystickEventState(SDL_ENABLE);
}

void moduleEnd() {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace joystick

JoyStick::JoyStick() : device_(joystick::current) {
    const int n = device_->count();
    int i = 0;
    for (; i < n; ++i) {
        if (joystick::openedDevices.count(i)) continue;
        handle_ = device_->open(i);
        if (handle_) break;
    }
    if (!handle_ || device_->opened(i) == 0) {
        // Closed for good; a handle that is not reported open is not ours to close.
        handle_ = nullptr;
        return;
    }
    enabled_ = true;
    index_ = i;
    joystick::openedDevices.insert(i);
    const int balls = device_->numBalls(handle_);
    balls_.assign(balls > 0 ? static_cast<std::size_t>(balls) : 0, {0, 0});
    EventControl_::instance().addUpdater({*this, &JoyStick::update});
}

JoyStick::~JoyStick() {
    if (!enabled_) return;
    if (device_->opened(index_) != 0) device_->close(handle_);
    if (EventControl_::exists())
        EventControl_::instance().removeUpdater({*this, &JoyStick::update});
    handle_ = nullptr;
    joystick::openedDevices.erase(index_);
    index_ = -1;
}

void JoyStick::update() {
    for (std::size_t b = 0; b < balls_.size(); ++b) {
        int dx = 0, dy = 0;
        SDL_ClearError();
        if (device_->ball(handle_, static_cast<int>(b), &dx, &dy) != 0)
            throw SDLError("トラックボールの更新に失敗。");
        balls_[b].first = joystick::addWrapping(balls_[b].first, dx);
        balls_[b].second = joystick::addWrapping(balls_[b].second, dy);
    }
}

bool JoyStick::isOpened() const {
    return enabled_ && device_->opened(index_) != 0;
}

std::int16_t JoyStick::axisX() const {
    return enabled_ ? device_->axis(handle_, 0) : 0;
}

std::int16_t JoyStick::axisY() const {
    return enabled_ ? device_->axis(handle_, 1) : 0;
}

std::int16_t JoyStick::setThreshold(std::int16_t value) {
    if (value > 0) threshold_ = value;
    return threshold_;
}

bool JoyStick::isLeft() const {
    return axisX() < -threshold_;
}
bool JoyStick::isRight() const {
    return axisX() > threshold_;
}
bool JoyStick::isUp() const {
    return axisY() < -threshold_;
}
bool JoyStick::isDown() const {
    return axisY() > threshold_;
}

std::uint8_t JoyStick::hat(int number) const {
    return enabled_ ? device_->hat(handle_, number) : 0;
}

bool JoyStick::button(int number) const {
    return enabled_ && device_->button(handle_, number) != 0;
}

std::int32_t JoyStick::ballX(std::uint32_t ball) const {
    if (balls_.empty()) return 0;
    if (ball >= balls_.size()) BASIC_INDEX_ERROR("trackball " + std::to_string(ball));
    return balls_[ball].first;
}

std::int32_t JoyStick::ballY(std::uint32_t ball) const {
    if (balls_.empty()) return 0;
    if (ball >= balls_.size()) BASIC_INDEX_ERROR("trackball " + std::to_string(ball));
    return balls_[ball].second;
}

std::string JoyStick::name() const {
    if (!enabled_) return "";
    const char* n = device_->name(index_);
    return n ? n : "";
}

int JoyStick::numAxes() const {
    return enabled_ ? device_->numAxes(handle_) : 0;
}
int JoyStick::numBalls() const {
    return enabled_ ? device_->numBalls(handle_) : 0;
}
int JoyStick::numHats() const {
    return enabled_ ? device_->numHats(handle_) : 0;
}
int JoyStick::numButtons() const {
    return enabled_ ? device_->numButtons(handle_) : 0;
}

}  // namespace algo
