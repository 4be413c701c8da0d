// particles: a Lua script draws every frame through the engine's particle functions
// (drawrect, drawcircle, drawline, drawdot, mod, rand). The script is data/particles.lua:
// change it while the example runs and press R to load it again. A script with a mistake does
// not stop the example: Lua's message is shown on the screen and written to the log, and the
// last script that loaded goes on.
//
// Keys: R reloads the script, Escape quits (so does closing the window).
#include <SDL.h>

#include <lua.hpp>
#include <memory>
#include <stdexcept>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/engine.hpp"
#include "algo/system/lua.hpp"
#include "algo/system/luaparticle.hpp"
#include "algo/timer/fps.hpp"

namespace {

const char kScript[] = "data/particles.lua";
std::string gMessage;  // Lua's last complaint, on screen until a script loads

// Lua hands the message of a failed chunk to _ALERT when that is a function.
int alert(lua_State* state) {
    const char* text = lua_tostring(state, 1);
    gMessage = text ? text : "(Lua gave no message)";
    algo::log("particles: " + gMessage);
    return 0;
}

// A new Lua state with the particle functions, and the script run once to define frame().
// A script that does not load raises LuaError; its state is closed with the object.
std::unique_ptr<algo::Lua> load() {
    auto lua = std::make_unique<algo::Lua>();
    lua->setState(luaL_newstate());  // the Lua object closes it
    if (!lua->getState()) throw std::runtime_error("Lua has no memory for a state");
    luaL_openlibs(lua->getState());
    algo::luaparticle::registerFunctions(*lua);
    lua->registerFunction("_ALERT", alert);
    const algo::Bytes source = algo::read(kScript);
    lua->setSource(std::string(source.begin(), source.end()));
    lua->run();
    gMessage.clear();
    return lua;
}

// One pass of the script, as a chunk of its own: a failure takes the same road as a script
// that does not load.
void frame(algo::Lua& lua, int t) {
    lua.setSource("frame(" + std::to_string(t) + ")");
    lua.run();
}

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("particles");
        algo::setFPS(60);

        // ---- start: the camera puts world (0, 0) at the centre; the script is loaded
        algo::Camera2D_::instance().set(0, 0, 1);
        std::unique_ptr<algo::Lua> script;
        try {
            script = load();  // a missing file ends the program; a broken one only shows
        } catch (const algo::LuaError&) {
        }
        auto& keyboard = algo::KeyBoard_::instance();
        auto& events = algo::EventControl_::instance();
        int t = 0;

        while (events.poll()) {  // false after Escape or a closed window
            // ---- update: R loads the file again; the last good script stays until one loads
            if (keyboard.isPush(SDLK_r)) {
                try {
                    script = load();
                } catch (const algo::LuaError&) {
                } catch (const algo::SReadException& e) {
                    gMessage = e.what();
                    algo::log("particles: " + gMessage);
                }
            }
            ++t;

            if (!algo::waitFrame()) continue;

            // ---- draw: the script's frame, then Lua's message if there is one
            screen.fill(10, 12, 30);
            if (script) {
                try {
                    frame(*script, t);
                } catch (const algo::LuaError&) {
                    script.reset();  // it fails on every pass now: stopped until R
                }
            }
            screen.drawString(8, 8, "R reloads data/particles.lua", 220, 220, 255, 255);
            if (!gMessage.empty()) {
                const std::size_t width = 60;  // characters of 8 pixels on a line
                const int lines = static_cast<int>((gMessage.size() + width - 1) / width);
                const int top = 500 - 12 * lines;
                screen.drawRect(0, static_cast<std::int16_t>(top - 8), 511, 511, 150, 20, 30, 255,
                                true);
                for (int i = 0; i < lines; ++i)
                    screen.drawString(12, static_cast<std::int16_t>(top + 12 * i),
                                      gMessage.substr(width * i, width), 255, 255, 255, 255);
            }
            screen.flip();
        }
        return 0;
    });
}
