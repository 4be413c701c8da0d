// Every play frame of a long run (a game over on level 3, then the whole game through the
// recorded solutions: deaths, stars taken, vanishing tiles and every curtain) must be the very
// frame that the plain tile-by-tile drawing gives, byte for byte, with the keyed sheets as
// they were loaded: the game draws from copies converted to the screen's format. And steady
// play allocates nothing, not even when the mixer has no channel free for an effect.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "algo/game/scene.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/se.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "algo/timer/fps.hpp"
#include "bench/support/alloc_count.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/replayscript.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegame.hpp"
#include "game/scenegameover.hpp"
#include "tests/support/testenv.hpp"

namespace {

void linkData() {
    if (!std::filesystem::exists("data"))
        std::filesystem::create_directory_symlink(testenv::binaryDir() + "/data", "data");
}

std::string script(const std::string& name) {
    return testenv::readFile(testenv::sourceDir() + "/tests/levels/" + name);
}

struct Compare : game::PassObserver {
    explicit Compare(const std::vector<game::ReplayStep>& steps) : cursor(steps) {}

    bool beforePass() override {
        const game::ReplayStep* step = cursor.next();
        if (!step) return false;
        std::ranges::fill(keys, 0);
        for (std::uint32_t k : step->keys) keys[k] = 1;
        ++pass;
        return true;
    }

    void afterPass(bool drawn) override {
        auto& current = algo::SceneControl_::instance().current();
        if (&current == &game::SceneClear_::instance()) sawClear = true;
        if (&current == &game::SceneGameOver_::instance()) sawGameOver = true;
        auto& play = game::SceneGame_::instance();
        if (!drawn || &current != &play) return;
        SDL_Surface* s = algo::Display_::instance().surface();
        const auto* pixels = static_cast<const std::uint8_t*>(s->pixels);
        const std::size_t size = static_cast<std::size_t>(s->pitch) * s->h;
        frame.assign(pixels, pixels + size);
        if (game::mapTexture().sameFormat(algo::Display_::instance())) ++converted;
        std::swap(game::mapTexture(), loadedMap);
        std::swap(game::charaTexture(), loadedChara);
        play.drawPlain();
        std::swap(game::mapTexture(), loadedMap);
        std::swap(game::charaTexture(), loadedChara);
        ++compared;
        if (play.rest() < 0) ++curtain;
        if (algo::ActorTable<game::DeadRabbit>::liveCount() > 0) ++withCorpse;
        if (std::memcmp(frame.data(), pixels, size) != 0 && firstDifference == 0)
            firstDifference = pass;
    }

    game::ScriptCursor cursor;
    std::span<std::uint8_t, algo::kKeyCount> keys = algo::keyboard::scriptedKeys();
    std::vector<std::uint8_t> frame;
    // The sheets as the game loads them: 8-bit, keyed, drawn by SDL's converting blit.
    algo::Texture loadedMap, loadedChara;
    long pass = 0, compared = 0, curtain = 0, withCorpse = 0, firstDifference = 0, converted = 0;
    bool sawClear = false, sawGameOver = false;
};

TEST(Frames, EveryPlayFrameMatchesThePlainTileByTileDrawing) {
    linkData();
    std::string text = script("gameover.txt");
    text += "1 z\n";  // the title again: a new game
    for (int n = 1; n <= 8; ++n) text += script("level" + std::to_string(n) + ".txt");
    text += "30 -\n1 z\n10 -\n";
    const auto steps = game::parseScript(text, "frames");

    Compare compare(steps);
    for (auto [sheet, path] : {std::pair{&compare.loadedMap, "data/map.bmp"},
                               std::pair{&compare.loadedChara, "data/chara.bmp"}}) {
        sheet->loadimg(path);
        sheet->setColorKeyFromPixel(true);
        ASSERT_EQ(sheet->bitsPerPixel(), 8) << path;
    }
    algo::fps::setClock(algo::fps::steppedClock());
    int status = -1;
    {
        game::MainModule module;
        game::Options options;
        options.screen = game::Screen::Window;
        options.startLevel = 3;
        options.observer = &compare;
        status = game::entry(options);
    }
    algo::keyboard::setKeySource(nullptr);
    algo::fps::setClock(algo::fps::realClock());

    EXPECT_EQ(status, 0) << testenv::logText();
    EXPECT_EQ(compare.firstDifference, 0)
        << "first differing frame on pass " << compare.firstDifference;
    EXPECT_TRUE(compare.sawGameOver);
    EXPECT_TRUE(compare.sawClear) << "the solutions no longer finish the game";
    EXPECT_GE(compare.compared, 2000);
    EXPECT_EQ(compare.converted, compare.compared)
        << "the play scene drew from its sheets as loaded";
    EXPECT_GE(compare.curtain, 8 * 60);
    EXPECT_GT(compare.withCorpse, 0);
    testenv::report("%ld play frames compared, %ld under the curtain, %ld with a corpse\n",
                    compare.compared, compare.curtain, compare.withCorpse);
}

// Level 1 walked back and forth with a jump now and then. Only the game's own pass is
// counted: poll, update, draw and flip, between the observer's calls.
struct SteadyWalk : game::PassObserver {
    bool beforePass() override {
        if (pass == 0) {
            // Every channel taken, so each effect of the walk takes the skip-and-log way.
            filler = std::make_unique<algo::Sound>("data/dos.wav", true);
            const int channels = Mix_AllocateChannels(-1);
            for (int i = 0; i < channels; ++i) filler->playLoop();
        }
        if (++pass > kPasses) return false;
        std::ranges::fill(keys, 0);
        keys[(pass / 90) % 2 ? SDLK_LEFT : SDLK_RIGHT] = 1;
        keys[SDLK_x] = pass % 45 < 10;
        before = bench::allocationCount();
        return true;
    }
    void afterPass(bool) override {
        const long made = bench::allocationCount() - before;
        if (pass > kWarmUp) allocations += made;
        if (&algo::SceneControl_::instance().current() != &game::SceneGame_::instance())
            leftPlay = true;
    }

    static constexpr long kWarmUp = 120;  // the life ball, then the rabbit is in
    static constexpr long kPasses = kWarmUp + 400;
    std::span<std::uint8_t, algo::kKeyCount> keys = algo::keyboard::scriptedKeys();
    std::unique_ptr<algo::Sound> filler;
    long pass = 0, before = 0, allocations = 0;
    bool leftPlay = false;
};

TEST(SteadyPlay, AllocatesNothingEvenWhenEffectsAreSkipped) {
    linkData();
    SteadyWalk walk;
    algo::fps::setClock(algo::fps::steppedClock());
    int status = -1;
    {
        game::MainModule module;
        game::Options options;
        options.screen = game::Screen::Window;
        options.startLevel = 1;
        options.observer = &walk;
        status = game::entry(options);
        walk.filler.reset();  // before the module's sounds and the device go
    }
    algo::keyboard::setKeySource(nullptr);
    algo::fps::setClock(algo::fps::realClock());

    EXPECT_EQ(status, 0) << testenv::logText();
    EXPECT_FALSE(walk.leftPlay);
    EXPECT_NE(testenv::logText().find("no free mixer channel, effect skipped: data/jump.wav"),
              std::string::npos);
    EXPECT_EQ(walk.allocations, 0)
        << "heap allocations in " << SteadyWalk::kPasses - SteadyWalk::kWarmUp
        << " passes of steady play";
}

}  // namespace
