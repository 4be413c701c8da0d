// Built outside the tree against the installed engine: each library the engine links does one
// visible thing (a picture from a ZIP archive, TrueType text, the mixer, a Lua script drawing
// through the camera, a task on a stack of its own), the last frame is checked pixel by pixel,
// and the program quits by itself after a fixed number of passes.
//
//   consumer FONT.ttf      (run where data.zip holds dot.bmp, an orange picture)
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/game/microthread.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/system/engine.hpp"
#include "algo/system/lua.hpp"
#include "algo/system/luaparticle.hpp"
#include "algo/timer/fps.hpp"

namespace {

constexpr int kSize = 128;
constexpr int kPasses = 30;

void expect(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("consumer: " + what);
}

SDL_Color pixel(int x, int y) {
    SDL_Surface* s = algo::Display_::instance().surface();
    SDL_LockSurface(s);
    Uint32 value = 0;
    std::memcpy(&value,
                static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    SDL_UnlockSurface(s);
    SDL_Color c{};
    SDL_GetRGB(value, s->format, &c.r, &c.g, &c.b);
    return c;
}

bool is(SDL_Color c, int r, int g, int b) {
    return c.r == r && c.g == g && c.b == b;
}

class Probe : public algo::Scene {
  public:
    explicit Probe(const char* fontPath) : fontPath_(fontPath) {}

    void init(const basic::Args&) override {
        dot_.loadimg("data/dot.bmp");  // no data/ folder: member dot.bmp of data.zip
        font_.load(fontPath_, 20);
        lua_.setState(luaL_newstate());
        algo::luaparticle::registerFunctions(lua_);
        algo::Camera2D_::instance().set(0, 0, 1.0L);
        task_.start(algo::MicroThread::Body::of(body_));
    }
    void exit() override {}
    void update() override {
        task_.resume();
        ++passes_;
    }
    void draw() override {
        auto& screen = algo::Display_::instance();
        screen.fill(0, 0, 0);
        dot_.draw(nullptr, screen, 8, 8);
        font_.drawText("algo", screen, 8, 40, 255, 255, 255, 255, true);
        // A square of world units around the camera's centre, the middle of the screen.
        lua_.setSource("drawrect(-4, -4, 3, 3, 0, 255, 0, 255, true)");
        lua_.run();
    }

    int passes() const { return passes_; }

    // The last frame drawn is still on the screen surface.
    void check() const {
        expect(is(pixel(9, 9), 255, 128, 0), "the archive's picture is not on the screen");
        expect(is(pixel(kSize / 2, kSize / 2), 0, 255, 0), "the Lua rectangle is not drawn");
        int lit = 0;
        for (int y = 40; y < 64; ++y)
            for (int x = 8; x < 64; ++x) lit += is(pixel(x, y), 255, 255, 255);
        expect(lit > 20, "the TrueType text is not drawn");
        expect(task_.isFinished() && steps_ == 5, "the task did not run its five steps");
    }

  private:
    const char* fontPath_;
    algo::Texture dot_;
    algo::Font font_;
    algo::Lua lua_;
    algo::MicroThread task_;
    int passes_ = 0;
    int steps_ = 0;
    std::function<void()> body_ = [this] {
        for (int i = 0; i < 5; ++i) {
            ++steps_;
            task_.yield();
        }
    };
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FONT.ttf\n", argv[0]);
        return 2;
    }
    return algo::runProgram([&] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(kSize, kSize, 32, false);
        algo::setFPS(60);
        auto& audio = algo::Audio_::instance();
        audio.open(22050, AUDIO_S16LSB, 2, 1024);
        expect(audio.isOpened(), "the mixer did not open");
        Probe probe(argv[1]);
        auto& scenes = algo::SceneControl_::instance();
        scenes.change(probe, {});
        auto& events = algo::EventControl_::instance();
        while (events.poll()) {
            scenes.update();
            if (algo::waitFrame()) {
                scenes.draw();
                screen.flip();
            }
            if (probe.passes() == kPasses) events.pushQuit();
        }
        probe.check();
        algo::log("consumer: every check passed");
        return 0;
    });
}
