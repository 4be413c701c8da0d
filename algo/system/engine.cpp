#include "algo/system/engine.hpp"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/game/scene.hpp"
#include "algo/game/sprite.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/joystick.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/input/mouse.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/lua.hpp"
#include "algo/system/sdlinit.hpp"
#include "algo/timer/fps.hpp"
#include "algo/timer/timer.hpp"
#include "algo/timer/timestamp.hpp"
#include "basic/error.hpp"

namespace algo {
namespace {

struct Module {
    void (*start)();
    void (*end)();  // null where the module has no end routine
};

// Dependency order: a module that logs starts after the logger, one that owns an SDL
// subsystem after sdlinit, the input devices after the event pump they register with.
const Module kModules[] = {
    {timestamp_module::moduleStart, nullptr},
    {logger::moduleStart, logger::moduleEnd},
    {sdlinit::moduleStart, sdlinit::moduleEnd},
    {timer::moduleStart, timer::moduleEnd},
    {fps::moduleStart, nullptr},
    {strongread::moduleStart, nullptr},
    {texture::moduleStart, texture::moduleEnd},
    {display::moduleStart, display::moduleEnd},
    {font::moduleStart, font::moduleEnd},
    // Input: the pump first; the keyboard registers its updater before EasyInput does, so
    // EasyInput always counts this pass's key snapshot.
    {event::moduleStart, event::moduleEnd},
    {keyboard::moduleStart, keyboard::moduleEnd},
    {joystick::moduleStart, joystick::moduleEnd},
    {mouse::moduleStart, mouse::moduleEnd},
    {easyinput::moduleStart, easyinput::moduleEnd},
    {audio::moduleStart, audio::moduleEnd},
    {scene::moduleStart, scene::moduleEnd},
    {camera2d::moduleStart, camera2d::moduleEnd},
    {lua::moduleStart, lua::moduleEnd},
    {sprite::moduleStart, sprite::moduleEnd},
};
constexpr int kModuleCount = static_cast<int>(sizeof kModules / sizeof kModules[0]);

void reportLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    // stderr.txt is a file nobody watches: whoever started the program sees the line too.
    logger::toTerminal(line);
}

void reportError(const std::exception& e) {
    reportLine(basic::describe(e));
}

}  // namespace

Engine::Engine() {
    try {
        for (; started_ < kModuleCount; ++started_) kModules[started_].start();
    } catch (const std::exception& e) {
        reportError(e);
        while (started_-- > 0)
            if (kModules[started_].end) kModules[started_].end();
        throw;
    }
}

Engine::~Engine() {
    while (started_-- > 0) {
        try {
            if (kModules[started_].end) kModules[started_].end();
        } catch (const std::exception& e) {
            reportError(e);  // an end routine must not stop the others
        }
    }
}

int runProgram(const std::function<int()>& body) {
    std::unique_ptr<Engine> engine;
    try {
        engine = std::make_unique<Engine>();
    } catch (const std::exception&) {
        return 1;  // already reported, started modules already ended
    }
    try {
        return body();
    } catch (const std::exception& e) {
        reportError(e);
        return 1;
    } catch (...) {
        // Not ours to describe, but no reason to skip the end routines either.
        reportLine("[unknown] an error that is not a std::exception left the program's body");
        return 1;
    }
}

}  // namespace algo
