#pragma once
/// @file
/// One joystick device per object: the first one no other live JoyStick holds. Without a
/// device the object stays closed and every query answers 0, false or "".
#include <SDL.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace algo {

/// The joystick module: SDL's joystick subsystem, the device functions behind JoyStick, and
/// the game-controller mapping.
namespace joystick {

/// The device functions behind JoyStick, so a test can stand in for a joystick that is not
/// there. The table is borrowed and must outlive every JoyStick made while it is set. SDL's by
/// default; each field is the SDL 1.2 call of the same name (SDL_NumJoysticks, ...).
///
/// @code
/// static const algo::joystick::Device pad = {/* count, open, ... */};
/// algo::joystick::setDevice(&pad);     // JoySticks made from now on use it
/// algo::joystick::setDevice(nullptr);  // SDL's again
/// @endcode
struct Device {
    /// How many devices are attached (SDL_NumJoysticks).
    int (*count)();
    /// Opens device `index` from 0; null when it cannot (SDL_JoystickOpen).
    SDL_Joystick* (*open)(int index);
    /// Non-zero while device `index` is open (SDL_JoystickOpened).
    int (*opened)(int index);
    /// Closes a handle (SDL_JoystickClose).
    void (*close)(SDL_Joystick* handle);
    /// The device's name, or null (SDL_JoystickName).
    const char* (*name)(int index);
    /// Number of axes (SDL_JoystickNumAxes).
    int (*numAxes)(SDL_Joystick* handle);
    /// Number of trackballs (SDL_JoystickNumBalls).
    int (*numBalls)(SDL_Joystick* handle);
    /// Number of hats (SDL_JoystickNumHats).
    int (*numHats)(SDL_Joystick* handle);
    /// Number of buttons (SDL_JoystickNumButtons).
    int (*numButtons)(SDL_Joystick* handle);
    /// An axis's position, -32768 to 32767 (SDL_JoystickGetAxis).
    std::int16_t (*axis)(SDL_Joystick* handle, int axis);
    /// A hat's SDL_HAT_* bits (SDL_JoystickGetHat).
    std::uint8_t (*hat)(SDL_Joystick* handle, int hat);
    /// 1 while a button is down (SDL_JoystickGetButton).
    std::uint8_t (*button)(SDL_Joystick* handle, int button);
    /// A trackball's motion since the last call into *dx and *dy; non-zero on failure
    /// (SDL_JoystickGetBall).
    int (*ball)(SDL_Joystick* handle, int ball, int* dx, int* dy);
};

/// SDL's own device functions.
const Device& sdlDevice();
/// JoySticks made afterwards use this device (nullptr: SDL's); each keeps the one it was made
/// with, so the device must outlive them.
void setDevice(const Device* device);

/// Number of devices attached, as the current device table counts them.
int numJoysticks();

/// Asks the SDL 1.2 compatibility layer to show pads through its game-controller mapping, so
/// that any known pad has the same layout (A is button 0, B button 1, the left stick axes 0
/// and 1). Left alone when the user's environment says otherwise. The layer reads it when
/// joysticks start: call before the engine does.
void preferGameControllers();

/// The module's start, run by algo::Engine: logs "Joystick ctor .." and starts SDL's
/// joystick subsystem with its events on (SDLError "error SDL_INIT_JOYSTICK" when it will
/// not). Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: stops the subsystem.
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
    /// Claims the first device that no other live JoyStick holds and that opens, and
    /// registers its update with EventControl_ (so, with a device, it needs the engine
    /// running). Without one it stays closed; nothing is raised.
    JoyStick();
    /// Closes the device and removes the updater.
    virtual ~JoyStick();
    /// Not copyable: the object holds its device.
    JoyStick(const JoyStick&) = delete;
    /// Not copyable: the object holds its device.
    JoyStick& operator=(const JoyStick&) = delete;

    /// Adds the motion of every trackball since the last call to its totals (wrapping at the
    /// ends of the 32-bit range). Runs as an updater, once per pass, while the device is open;
    /// SDLError "トラックボールの更新に失敗。" when the device reports a failure.
    virtual void update();
    /// True while it holds a device that is open.
    virtual bool isOpened() const;
    /// Axis 0 (left -32768 to right 32767); 0 without a device.
    virtual std::int16_t axisX() const;
    /// Axis 1 (up -32768 to down 32767); 0 without a device.
    virtual std::int16_t axisY() const;
    /// A value above 0 becomes the threshold of isLeft, isRight, isUp and isDown (0 until
    /// set); returns the threshold either way.
    virtual std::int16_t setThreshold(std::int16_t value);
    /// axisX strictly below -threshold.
    virtual bool isLeft() const;
    /// axisX strictly above the threshold.
    virtual bool isRight() const;
    /// axisY strictly below -threshold.
    virtual bool isUp() const;
    /// axisY strictly above the threshold.
    virtual bool isDown() const;
    /// Hat `number` (from 0) as SDL_HAT_* bits: SDL_HAT_UP 1, RIGHT 2, DOWN 4, LEFT 8, 0
    /// centred; 0 without a device.
    virtual std::uint8_t hat(int number) const;
    /// True while button `number` (from 0) is down; false without a device.
    virtual bool button(int number) const;
    /// Accumulated trackball x total since the device opened; 0 without trackballs, else a
    /// ball past the last is std::out_of_range.
    virtual std::int32_t ballX(std::uint32_t ball) const;
    /// Accumulated trackball y total, as ballX.
    virtual std::int32_t ballY(std::uint32_t ball) const;
    /// The device's name; "" without one.
    virtual std::string name() const;
    /// Number of axes; 0 without a device.
    virtual int numAxes() const;
    /// Number of trackballs; 0 without a device.
    virtual int numBalls() const;
    /// Number of hats; 0 without a device.
    virtual int numHats() const;
    /// Number of buttons; 0 without a device.
    virtual int numButtons() const;

    /// SDL device index held, -1 when closed.
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
