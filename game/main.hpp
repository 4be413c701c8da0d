#pragma once
// The game's entry point, its shared objects and the main loop.
#include <map>
#include <memory>
#include <string>

#include "game/options.hpp"

namespace algo {
class Texture;
class Sound;
}  // namespace algo

namespace game {

// Watches the main loop pass by pass (the replay runner); the game itself has none.
class PassObserver {
  public:
    virtual ~PassObserver() = default;
    // Before the pass's poll; false ends the loop as a quit would.
    virtual bool beforePass() = 0;
    // After the pass: update, and draw and flip when `drawn`.
    virtual void afterPass(bool drawn) = 0;
};

// What must be set before SDL starts: the filter of a scaled window (when the window is
// known to be one) and the pads' game-controller mapping, each only where the user's
// environment has no say.
void presetSdl(const Options& options);

// Sets the window's scale before the window of `width` x `height` opens, and logs it:
// options.scale, or the largest that fits the desktop; nothing full screen. The editor's
// window is scaled as the game's.
void scaleWindow(const Options& options, bool full, int width, int height);

// Fills soundTable with the six effects (the audio device open first, or they stay unloaded).
void loadSounds();

// Keys that work in every scene of the game: M mutes and unmutes.
void globalKeys();

// Logs the build number and runs the game inside the entry handler: 0 after a quit,
// 1 after an error (logged as "[class] text").
int entry(const Options& options);

// The game itself, without the handler: open everything, title scene, main loop. The
// screen question is answered already (options.screen is FullScreen or Window).
int runGame(const Options& options);

// The six sound effects by key ("dos", "getstar", "hukkatsu", "select", "sibo", "jump"),
// filled by runGame. A missing key is an std::out_of_range.
using SoundTable = std::map<std::string, std::unique_ptr<algo::Sound>>;
SoundTable& soundTable();
// Plays the effect under `key` and tells the sound observer, if any.
void playSound(const std::string& key);
// Called with the key of every effect the game starts, whether or not the mixer had a free
// channel or an open device for it: the replay trace stays the same on every machine.
void setSoundObserver(void (*observer)(const std::string& key));
// While quiet, playSound starts nothing and tells no observer: a search plays levels unheard
// beside a program whose audio is open. The table need not be filled then.
void setSoundsQuiet(bool quiet);
bool soundsQuiet();

// Tile sheet and character sheet, loaded by the game's module start.
algo::Texture& mapTexture();
algo::Texture& charaTexture();

// The game's module start and end: scene singletons, shared textures, actor pools, in that
// order; released in reverse. Lives between the engine's start and its end.
class MainModule {
  public:
    MainModule();
    ~MainModule();
    MainModule(const MainModule&) = delete;
    MainModule& operator=(const MainModule&) = delete;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace game
