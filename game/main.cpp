#include "game/main.hpp"

#include <SDL.h>

#include <cstdlib>
#include <exception>
#include <optional>

#include "algo/file/logger.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/joystick.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/se.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "algo/timer/fps.hpp"
#include "basic/error.hpp"
#include "basic/singleton.hpp"
#include "game/levelpack.hpp"
#include "game/lifeball.hpp"
#include "game/main_bn.hpp"
#include "game/rabbit.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegame.hpp"
#include "game/scenegameover.hpp"
#include "game/scenestart.hpp"

namespace game {

namespace {

SoundTable gSoundTable;
algo::Texture* gMapTexture = nullptr;
algo::Texture* gCharaTexture = nullptr;

// The screen surface's width and height.
constexpr int kScreenSize = 512;

// The effects in the order they are loaded.
const char* const kSoundKeys[] = {"dos", "getstar", "hukkatsu", "select", "sibo", "jump"};

std::unique_ptr<algo::Texture> keyedTexture(const std::string& path) {
    auto t = std::make_unique<algo::Texture>(path);
    t->setColorKeyFromPixel(true);
    return t;
}

}  // namespace

SoundTable& soundTable() {
    return gSoundTable;
}

namespace {
void (*gSoundObserver)(const std::string&) = nullptr;
bool gSoundsQuiet = false;
}  // namespace

void setSoundObserver(void (*observer)(const std::string& key)) {
    gSoundObserver = observer;
}

void setSoundsQuiet(bool quiet) {
    gSoundsQuiet = quiet;
}

bool soundsQuiet() {
    return gSoundsQuiet;
}

void playSound(const std::string& key) {
    if (gSoundsQuiet) return;
    algo::Sound& sound = *gSoundTable.at(key);
    if (gSoundObserver) gSoundObserver(key);
    sound.play();
}

algo::Texture& mapTexture() {
    BASIC_ASSERT(gMapTexture != nullptr, "mapTexture before the game's module start");
    return *gMapTexture;
}

algo::Texture& charaTexture() {
    BASIC_ASSERT(gCharaTexture != nullptr, "charaTexture before the game's module start");
    return *gCharaTexture;
}

struct MainModule::Parts {
    std::unique_ptr<basic::SingletonOwner<SceneStart_>> start;
    std::unique_ptr<basic::SingletonOwner<SceneClear_>> clear;
    std::unique_ptr<basic::SingletonOwner<SceneGameOver_>> gameOver;
    std::unique_ptr<algo::Texture> map;
    std::unique_ptr<algo::Texture> chara;
    std::unique_ptr<basic::SingletonOwner<SceneGame_>> game;

    ~Parts() {
        // Actors hold no resources; only put them back so a later start finds full pools.
        Rabbit::clearAll();
        DeadRabbit::clearAll();
        LifeBall::clearAll();
        gSoundTable.clear();  // before the audio module closes the device
        // The engine may start the game again: its scene stack must not hold these scenes.
        if (algo::SceneControl_::exists()) algo::SceneControl_::instance().clear();
        game.reset();
        gMapTexture = nullptr;
        gCharaTexture = nullptr;
        chara.reset();
        map.reset();
        gameOver.reset();
        clear.reset();
        start.reset();
    }
};

MainModule::MainModule() : parts_(std::make_unique<Parts>()) {
    parts_->start = std::make_unique<basic::SingletonOwner<SceneStart_>>();
    parts_->clear = std::make_unique<basic::SingletonOwner<SceneClear_>>();
    parts_->gameOver = std::make_unique<basic::SingletonOwner<SceneGameOver_>>();
    parts_->map = keyedTexture("data/map.bmp");
    gMapTexture = parts_->map.get();
    parts_->chara = keyedTexture("data/chara.bmp");
    gCharaTexture = parts_->chara.get();
    parts_->game = std::make_unique<basic::SingletonOwner<SceneGame_>>();
    // The actor pools: 128 objects per class, made here so that none is made during play.
    Rabbit::makePool();
    algo::ActorTable<DeadRabbit>::makePool();
    LifeBall::makePool();
}

MainModule::~MainModule() = default;

void presetSdl(const Options& options) {
    if (options.screen == Screen::Window) algo::display::preferSharpScaling();
    algo::joystick::preferGameControllers();
}

void scaleWindow(const Options& options, bool full, int width, int height) {
    if (full) {
        algo::log("Window scale: none, full screen");
        return;
    }
    int scale = options.scale;
    std::string why = "--scale";
    if (scale == 0) {
        int w = 0, h = 0;
        if (algo::display::desktopSize(w, h)) {
            scale = algo::display::fittingScale(width, height, w, h, kMaxScale);
            why = "desktop " + std::to_string(w) + " x " + std::to_string(h);
        } else {
            scale = 1;
            why = "desktop size unknown";
        }
    }
    if (algo::display::setWindowScale(scale)) {
        algo::log("Window scale: " + std::to_string(scale) + " (" + why + ")");
    } else {
        const char* user = std::getenv("SDL12COMPAT_WINDOW_SCALING");
        algo::log(std::string("Window scale: SDL12COMPAT_WINDOW_SCALING=") + (user ? user : "") +
                  " from the environment");
    }
}

void globalKeys() {
    if (algo::KeyBoard_::instance().isPush(SDLK_m)) {
        auto& audio = algo::Audio_::instance();
        audio.setMuted(!audio.isMuted());
    }
}

void loadSounds() {
    gSoundTable.clear();
    for (const char* key : kSoundKeys)
        gSoundTable[key] = std::make_unique<algo::Sound>(std::string("data/") + key + ".wav", true);
}

int runGame(const Options& options) {
    BASIC_ASSERT(options.screen != Screen::Ask,
                 "the screen question is answered before the engine starts");
    const bool full = options.screen == Screen::FullScreen;
    // A pack is checked whole before the window opens: a bad one starts nothing.
    std::optional<LevelPack> pack;
    struct PackInUse {
        ~PackInUse() { SceneGame_::instance().usePack(nullptr); }
    } packInUse;
    if (!options.levels.empty()) {
        pack = LevelPack::open(options.levels);
        if (options.startLevel > pack->count())
            throw PackError(pack->path() + ": no level " + std::to_string(options.startLevel) +
                            ", the pack holds " + std::to_string(pack->count()));
        SceneGame_::instance().usePack(&*pack);
        algo::log("Level pack: " + pack->path() + ", " + std::to_string(pack->count()) + " levels");
    }
    auto& display = algo::Display_::instance();
    scaleWindow(options, full, kScreenSize, kScreenSize);
    display.setVideoMode(kScreenSize, kScreenSize, 16, full);
    algo::setFPS(60);
    algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);

    loadSounds();

    SceneGame_::instance().setPauseOnFocusLoss(options.pauseOnFocusLoss);
    auto& scenes = algo::SceneControl_::instance();
    scenes.change(SceneStart_::instance(), {});
    if (options.startLevel > 0)
        scenes.push(SceneGame_::instance(), {{"map", basic::Element::of<int>(options.startLevel)},
                                             {"time", basic::Element::of<int>(1)}});

    auto& events = algo::EventControl_::instance();
    PassObserver* observer = options.observer;
    // Nothing is shown yet: the title's first frame need not wait an interval from setFPS.
    algo::fps::dueNow();
    for (;;) {
        if (observer && !observer->beforePass()) break;
        if (!events.poll()) break;
        globalKeys();
        scenes.update();
        const bool drawn = algo::waitFrame();
        if (drawn) {
            scenes.draw();
            display.flip();
        }
        if (observer) observer->afterPass(drawn);
    }
    return 0;
}

int entry(const Options& options) {
    algo::log("B/N: " + std::to_string(kBuildNumber));
    try {
        return runGame(options);
    } catch (const std::exception& e) {
        const std::string line = basic::describe(e);
        algo::log(line);
        // The log is a file nobody watches: whoever started the game sees the line too.
        algo::logger::toTerminal(line);
        return 1;
    }
}

}  // namespace game
