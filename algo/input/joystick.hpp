#pragma once
// One joystick device per object: the first one no other live JoyStick holds. Without a
// device the object stays closed and every query answers 0, false or "".
#include <SDL.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace algo {

namespace joystick {

/// The device functions behind JoyStick, so a test can stand in for a joystick that is not
/// there. The table is borrowed and must outlive every JoyStick made while it is set.
///
/// @code
/// static const algo::joystick::Device pad = {/* count, open, ... */};
/// algo::joystick::setDevice(&pad);     // JoySticks made from now on use it
/// algo::joystick::setDevice(nullptr);  // SDL's again
/// @endcode
// The device calls a JoyStick makes. SDL's by default; a stand-in where no joystick exists.
struct Device {
    int (*count)();
    SDL_Joystick* (*open)(int index);
    int (*opened)(int index);
    void (*close)(SDL_Joystick* handle);
    const char* (*name)(int index);
    int (*numAxes)(SDL_Joystick* handle);
    int (*numBalls)(SDL_Joystick* handle);
    int (*numHats)(SDL_Joystick* handle);
    int (*numButtons)(SDL_Joystick* handle);
    std::int16_t (*axis)(SDL_Joystick* handle, int axis);
    std::uint8_t (*hat)(SDL_Joystick* handle, int hat);
    std::uint8_t (*button)(SDL_Joystick* handle, int button);
    int (*ball)(SDL_Joystick* handle, int ball, int* dx, int* dy);
};

const Device& sdlDevice();
// JoySticks made afterwards use this device (nullptr: SDL's); each keeps the one it was made
// with, so the device must outlive them.
void setDevice(const Device* device);

// Number of devices attached.
int numJoysticks();

// Asks the SDL 1.2 compatibility layer to show pads through its game-controller mapping, so
// that any known pad has the same layout (A is button 0, B button 1, the left stick axes 0
// and 1). Left alone when the user's environment says otherwise. The layer reads it when
// joysticks start: call before the engine does.
void preferGameControllers();

void moduleStart();
void moduleEnd();

}  // namespace joystick

/// One joystick device: the object claims the first device no other live JoyStick holds and
/// releases it when destroyed. Without a device it stays closed and answers 0, false or "".
/// EasyInput_ owns the one a game usually needs; make another for a second player.
///
/// @code
/// algo::JoyStick second;  // device 1 when EasyInput_ holds device 0
/// if (second.isOpened() && second.button(0)) fire();
/// int dx = second.axisX() / 4096;
/// @endcode
class JoyStick {
  public:
    JoyStick();
    virtual ~JoyStick();
    JoyStick(const JoyStick&) = delete;
    JoyStick& operator=(const JoyStick&) = delete;

    // Adds the motion of every trackball since the last call to its totals. Runs as an
    // updater while the device is open.
    virtual void update();
    virtual bool isOpened() const;
    virtual std::int16_t axisX() const;
    virtual std::int16_t axisY() const;
    // A value above 0 becomes the threshold; returns the threshold either way.
    virtual std::int16_t setThreshold(std::int16_t value);
    // An axis strictly beyond the threshold in that direction.
    virtual bool isLeft() const;
    virtual bool isRight() const;
    virtual bool isUp() const;
    virtual bool isDown() const;
    virtual std::uint8_t hat(int number) const;
    virtual bool button(int number) const;
    // Accumulated trackball totals; 0 without trackballs, else the ball must exist.
    virtual std::int32_t ballX(std::uint32_t ball) const;
    virtual std::int32_t ballY(std::uint32_t ball) const;
    virtual std::string name() const;
    virtual int numAxes() const;
    virtual int numBalls() const;
    virtual int numHats() const;
    virtual int numButtons() const;

    // SDL device index held, -1 when closed.
    int index() const { return index_; }

  private:
    const joystick::Device* device_;
    bool enabled_ = false;
    SDL_Joystick* handle_ = nullptr;
    int index_ = -1;
    std::int16_t threshold_ = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> balls_;
};

}  // namespace algo
