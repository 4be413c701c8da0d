// input: what the input devices report, drawn live. The mouse (Mouse_): the pointer's position
// and motion, its buttons and wheel (held, and white in the pass they went down), the cursor;
// the keys held now (KeyBoard_); the counters of the eight bound EasyInput buttons, which count
// the passes a button has been held; and the first joystick, when one is plugged in.
//
// Keys: H hides and shows the cursor, W warps the pointer to the centre, Escape quits (so
// does closing the window). Every other key is only shown.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/input/mouse.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

using algo::EasyInput_;

void text(int x, int y, const std::string& s) {
    algo::Display_::instance().drawString(static_cast<std::int16_t>(x),
                                          static_cast<std::int16_t>(y), s, 230, 230, 230, 255);
}

// A labelled box: filled while held, white in the pass it went down.
void lamp(int x, int y, const char* label, bool held, bool pushed) {
    auto& screen = algo::Display_::instance();
    const auto x1 = static_cast<std::int16_t>(x), y1 = static_cast<std::int16_t>(y);
    const auto x2 = static_cast<std::int16_t>(x + 39), y2 = static_cast<std::int16_t>(y + 19);
    if (pushed)
        screen.drawRect(x1, y1, x2, y2, 255, 255, 255, 255, true);
    else if (held)
        screen.drawRect(x1, y1, x2, y2, 255, 190, 60, 255, true);
    screen.drawRect(x1, y1, x2, y2, 150, 150, 170, 255, false);
    text(x + 20 - 4 * static_cast<int>(std::string(label).size()), y + 6, label);
}

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("input");
        algo::setFPS(60);

        // ---- start: every device is already running; the engine reads them once per pass
        auto& mouse = algo::Mouse_::instance();
        auto& keyboard = algo::KeyBoard_::instance();
        auto& input = EasyInput_::instance();
        algo::JoyStick& joystick = input.joystick();  // the first free one, or closed
        auto& events = algo::EventControl_::instance();
        const char* const names[8] = {"Up",    "Right", "Down",  "Left",
                                      "Z (0)", "X (1)", "C (2)", "V (3)"};

        while (events.poll()) {  // false after Escape or a closed window
            // ---- update
            if (keyboard.isPush(SDLK_h)) mouse.showCursor(!mouse.isCursorShown());
            if (keyboard.isPush(SDLK_w)) mouse.warp(256, 256);  // seen from the next pass

            if (!algo::waitFrame()) continue;

            // ---- draw
            screen.fill(24, 28, 36);
            char line[96];
            std::snprintf(line, sizeof line, "mouse %d, %d   moved %+d, %+d   cursor %s", mouse.x(),
                          mouse.y(), mouse.dx(), mouse.dy(),
                          mouse.isCursorShown() ? "shown" : "hidden");
            text(16, 16, line);
            lamp(16, 32, "L", mouse.isPressLeft(), mouse.isPushLeft());
            lamp(60, 32, "M", mouse.isPressMiddle(), mouse.isPushMiddle());
            lamp(104, 32, "R", mouse.isPressRight(), mouse.isPushRight());
            lamp(148, 32, "WhU", mouse.isPressWheelUp(), mouse.isPushWheelUp());
            lamp(192, 32, "WhD", mouse.isPressWheelDown(), mouse.isPushWheelDown());

            std::string held;
            for (std::uint32_t k = 0; k < algo::kKeyCount; ++k)
                if (keyboard.isPress(k)) held += std::string(" ") + SDL_GetKeyName(SDLKey(k));
            text(16, 80, "keys held:" + held.substr(0, 48));

            text(16, 112, "EasyInput: passes each button has been held");
            for (std::uint32_t i = 0; i < 8; ++i) {
                const int y = 132 + 20 * static_cast<int>(i), count = input.count(i);
                text(16, y + 2, names[i]);
                if (count > 0)
                    screen.drawRect(110, static_cast<std::int16_t>(y),
                                    static_cast<std::int16_t>(110 + std::min(2 * count, 340) - 1),
                                    static_cast<std::int16_t>(y + 11), 120, 220, 120, 255, true);
                text(456, y + 2, std::to_string(count));
            }

            if (joystick.isOpened()) {
                std::snprintf(line, sizeof line, "joystick: %.40s", joystick.name().c_str());
                text(16, 312, line);
                std::snprintf(line, sizeof line, "x %6d  y %6d", joystick.axisX(),
                              joystick.axisY());
                text(16, 328, line);
                for (int b = 0; b < std::min(joystick.numButtons(), 10); ++b) {
                    const std::string label = std::to_string(b);
                    lamp(16 + 44 * b, 344, label.c_str(), joystick.button(b), false);
                }
            } else {
                text(16, 312, "joystick: none plugged in");
            }
            text(16, 480, "H hides the cursor, W warps it to the centre");

            // The pointer last, over everything.
            const auto mx = static_cast<std::int16_t>(mouse.x());
            const auto my = static_cast<std::int16_t>(mouse.y());
            screen.drawLine(mx, 0, mx, 511, 90, 200, 255, 255);
            screen.drawLine(0, my, 511, my, 90, 200, 255, 255);
            screen.drawEllipse(mx, my, 10, 10, 90, 200, 255, 255, false);
            screen.flip();
        }
        return 0;
    });
}
