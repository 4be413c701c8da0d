// What a first program on the engine tends to do, one mode per way it used to go wrong:
//   globals   fonts, pictures, music and effects kept at namespace scope past the engine's end
//   push      push as the first scene operation (an error that ends the body)
//   early     a singleton reached before algo::runProgram has started the engine
//   start     nothing but the engine's start and end (for runs in a broken directory)
//   throw     a task with the default stack whose body throws
//   overflow  a task with the default stack whose body recurses without end
//   actor     an actor class that loads its picture in its constructor
//   crash     a log line, then a write to memory that is not the program's
//   lua       a script whose run-time error is Lua's, not a parse error
//   predraw   a keyed picture drawn on the screen before the video mode is set
//   escape    an error that is not a std::exception leaves the body
//   terminate an error thrown where nothing may throw
//   static    a picture loaded at namespace scope, before the engine starts
#include <SDL.h>
#include <sys/mman.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <lua.hpp>
#include <memory>
#include <stdexcept>

#include "algo/file/logger.hpp"
#include "algo/game/actor.hpp"
#include "algo/game/microthread.hpp"
#include "algo/game/scene.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/music.hpp"
#include "algo/sound/se.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/engine.hpp"
#include "algo/system/lua.hpp"

namespace {

algo::Font gFont;
algo::Texture gPicture;
std::unique_ptr<algo::Music> gMusic;
std::unique_ptr<algo::Sound> gEffect;

class Blank : public algo::Scene {
  public:
    void init(const basic::Args&) override {}
    void exit() override {}
    void update() override {}
    void draw() override {}
};

int keepGlobals() {
    algo::Display_::instance().setVideoMode(64, 64, 16, false);
    algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);
    gFont.load("data/sans.ttf", 12);
    gFont.drawText("left open", algo::Display_::instance(), 0, 0, 255, 255, 255, 255, false);
    gPicture.loadimg("data/chara.bmp");
    gMusic = std::make_unique<algo::Music>("data/jump.ogg", true);
    gMusic->playLoop();
    gEffect = std::make_unique<algo::Sound>("data/dos.wav", true);
    gEffect->play();
    return 0;
}

int pushFirst() {
    Blank blank;
    algo::SceneControl_::instance().push(blank, {});
    return 0;
}

int throwingTask() {
    algo::MicroThread task;
    auto body = [] { throw std::runtime_error("the fruit fell through the floor"); };
    task.start(algo::MicroThread::Body::of(body));
    return 0;
}

[[gnu::noinline]] int deeper(int depth) {
    volatile char frame[256];
    frame[depth % 256] = static_cast<char>(depth);
    return depth < (1 << 30) ? deeper(depth + 1) + frame[0] : 0;
}

int overflowingTask() {
    algo::log("the task starts");
    algo::MicroThread task;
    auto body = [] { deeper(0); };
    task.start(algo::MicroThread::Body::of(body));
    return 0;
}

struct Fruit : algo::ActorTable<Fruit> {
    algo::Texture picture{"data/chara.bmp"};
    void start(const basic::Args&) override {}
    void end() override {}
    void move() override {}
    void draw() override { picture.draw(nullptr, algo::Display_::instance(), 0, 0); }
};

int actorWithPicture() {
    algo::Display_::instance().setVideoMode(64, 64, 16, false);
    Fruit::create({});
    Fruit::drawAll();
    algo::log("fruit drawn");
    Fruit::clearAll();
    return 0;
}

int crashAfterALine() {
    // A page nobody may touch: a real fault, which the sanitizers do not take for their own.
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    algo::log("about to write through a pointer to nowhere");
    *static_cast<volatile int*>(page) = 1;
    return 0;
}

int luaRunTimeError() {
    algo::Lua lua;
    lua.setState(luaL_newstate());
    lua.setSource("local t = nil\nlocal u = 1\nt.x = u\n");
    lua.run();
    return 0;
}

int drawBeforeTheVideoMode() {
    algo::Texture picture("data/chara.bmp");
    picture.setColorKeyFromPixel(true);
    picture.draw(nullptr, algo::Display_::instance(), 0, 0);
    return 0;
}

int escapeNonStandard() {
    algo::log("throwing an int");
    throw 42;
}

[[gnu::noinline]] void fails() {
    throw std::logic_error("thrown where nothing may throw");
}

void mayNotThrow() noexcept {
    fails();
}

int terminateInTheBody() {
    mayNotThrow();
    return 0;
}

// Made at static initialisation only in this mode, before main runs.
struct StaticPicture {
    StaticPicture() {
        if (const char* mode = std::getenv("FIRSTGAME_STATIC"); mode && *mode)
            picture = std::make_unique<algo::Texture>("data/chara.bmp");
    }
    std::unique_ptr<algo::Texture> picture;
} gStaticPicture;

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "early") == 0) algo::Display_::instance().setVideoMode(64, 64, 16, false);
    if (std::strcmp(mode, "globals") == 0) return algo::runProgram(keepGlobals);
    if (std::strcmp(mode, "push") == 0) return algo::runProgram(pushFirst);
    if (std::strcmp(mode, "start") == 0) return algo::runProgram([] { return 0; });
    if (std::strcmp(mode, "throw") == 0) return algo::runProgram(throwingTask);
    if (std::strcmp(mode, "overflow") == 0) return algo::runProgram(overflowingTask);
    if (std::strcmp(mode, "actor") == 0) return algo::runProgram(actorWithPicture);
    if (std::strcmp(mode, "crash") == 0) return algo::runProgram(crashAfterALine);
    if (std::strcmp(mode, "lua") == 0) return algo::runProgram(luaRunTimeError);
    if (std::strcmp(mode, "predraw") == 0) return algo::runProgram(drawBeforeTheVideoMode);
    if (std::strcmp(mode, "escape") == 0) return algo::runProgram(escapeNonStandard);
    if (std::strcmp(mode, "terminate") == 0) return algo::runProgram(terminateInTheBody);
    if (std::strcmp(mode, "static") == 0) return 0;  // never reached: the picture failed first
    return 2;
}
