// tasks: 120 walkers, each run by a MicroThread of its own. A walker's behaviour is written as
// plain sequential code (walk a side of its square, wait, turn, again); the task yields after
// every step, and the main loop continues each task by one slice per pass.
//
// Keys: Z pauses and resumes every walker, Escape quits (so does closing the window).
#include <SDL.h>

#include <array>
#include <cstdio>

#include "algo/game/microthread.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

constexpr int kColumns = 12, kRows = 10;
constexpr int kSide = 24;  // steps along each side of a walker's square
// Plenty for these bodies; the rest is room for the sanitizer build's larger frames.
constexpr std::uint32_t kStackSize = 16384;

// Headings in the order of the turns, as in the picture: right, down, left, up.
constexpr int kDx[] = {1, 0, -1, 0};
constexpr int kDy[] = {0, 1, 0, -1};

class Walker {
  public:
    // The task runs at once up to its first yield; it keeps a pointer to this walker.
    void start(int x, int y, int rest) {
        homeX_ = x_ = x;
        homeY_ = y_ = y;
        rest_ = rest;
        task_.start(algo::MicroThread::Body::bind<&Walker::life>(*this), kStackSize);
    }
    // One slice: the body runs from where it yielded to its next yield.
    void step() { task_.step(); }

    void draw(algo::Texture& sheet, algo::Texture& screen) {
        screen.drawRect(static_cast<std::int16_t>(homeX_ + 4),
                        static_cast<std::int16_t>(homeY_ + 4),
                        static_cast<std::int16_t>(homeX_ + 4 + kSide),
                        static_cast<std::int16_t>(homeY_ + 4 + kSide), 200, 190, 150, 255, false);
        SDL_Rect frame{static_cast<Sint16>(8 * heading_), 0, 8, 8};
        sheet.draw(&frame, screen, static_cast<std::int16_t>(x_), static_cast<std::int16_t>(y_));
    }
    std::uint32_t stackUsed() const { return stackUsed_; }

  private:
    // The whole behaviour. Each yield ends this walker's pass; wait(n) stands for n passes.
    void life() {
        for (;;) {
            for (int i = 0; i < kSide; ++i) {
                x_ += kDx[heading_];
                y_ += kDy[heading_];
                task_.yield();
            }
            stackUsed_ = task_.stackUsage();
            task_.wait(rest_);
            heading_ = (heading_ + 1) % 4;  // a quarter turn clockwise
        }
    }

    algo::MicroThread task_;
    int homeX_ = 0, homeY_ = 0;  // where its square starts
    int x_ = 0, y_ = 0;
    int heading_ = 0;
    int rest_ = 1;
    std::uint32_t stackUsed_ = 0;
};

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("tasks");
        algo::setFPS(60);

        // ---- start: the picture, then one walker and its task per cell of a 12 × 10 field
        algo::Texture sheet("data/walker.bmp");
        sheet.setColorKeyFromPixel(true);
        std::array<Walker, kColumns * kRows> walkers;  // never moved: the tasks point at them
        for (int i = 0; i < kColumns * kRows; ++i) {
            const int cellX = 4 + 42 * (i % kColumns), cellY = 32 + 48 * (i / kColumns);
            walkers[i].start(cellX + 4, cellY + 8, 5 + (i * 37) % 60);
        }
        auto& input = algo::EasyInput_::instance();
        auto& events = algo::EventControl_::instance();
        bool paused = false;

        while (events.poll()) {  // false after Escape or a closed window
            // ---- update: every task one slice, unless paused
            if (input.count(algo::EasyInput_::Button(0)) == 1) paused = !paused;
            if (!paused)
                for (Walker& w : walkers) w.step();

            if (!algo::waitFrame()) continue;

            // ---- draw
            screen.fill(230, 225, 200);
            for (Walker& w : walkers) w.draw(sheet, screen);
            char status[80];
            std::snprintf(status, sizeof status, "%d tasks, %u bytes of stack in use%s",
                          kColumns * kRows, walkers[0].stackUsed(), paused ? ", paused" : "");
            screen.drawString(8, 8, status, 40, 40, 40, 255);
            screen.drawString(8, 18, "Z pauses and resumes", 40, 40, 40, 255);
            screen.flip();
        }
        // ---- end: the walkers' tasks are parked in yield; they are dropped with their stacks
        return 0;
    });
}
