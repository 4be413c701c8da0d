#include "game/scenegame.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "algo/file/strongread.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/music.hpp"
#include "algo/surface/display.hpp"
#include "game/levelpack.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegameover.hpp"

namespace game {

namespace {
constexpr std::int32_t kCountdown = 60;
// A pad's Start under the layer's game-controller mapping.
constexpr int kPadStart = 6;
}  // namespace

// The pad's button straight from the joystick: its logical button would also follow the
// keys SDL cannot name, which all share key code 0.
bool SceneGame_::pauseKey() {
    const bool start = algo::EasyInput_::instance().joystick().button(kPadStart);
    const bool pushed = start && !padStart_;
    padStart_ = start;
    return algo::KeyBoard_::instance().isPush(SDLK_p) || pushed;
}

SceneGame_::SceneGame_() = default;

std::string SceneGame_::timeText() const {
    char text[64];
    std::snprintf(text, sizeof text, "%.02f", static_cast<float>(time_ * kSecondsPerPass));
    return text;
}
SceneGame_::~SceneGame_() = default;

void SceneGame_::pause() {
    if (paused_) return;
    paused_ = true;
    algo::Audio_::instance().pauseMusic();
}

void SceneGame_::resume() {
    if (!paused_) return;
    paused_ = false;
    algo::Audio_::instance().resumeMusic();
}

void SceneGame_::init(const basic::Args& args) {
    auto grid = args.find("grid");
    begin(args, grid == args.end() ? nullptr : grid->second.unpack<const Grid*>(), false);
}

void SceneGame_::initGrid(const Grid& grid, const basic::Args& args, bool quiet) {
    begin(args, &grid, quiet);
}

void SceneGame_::begin(const basic::Args& args, const Grid* grid, bool quiet) {
    if (quiet)
        paused_ = false;  // without resuming the music of whoever paused
    else
        resume();
    Rabbit::clearAll();
    DeadRabbit::clearAll();
    LifeBall::clearAll();

    if (!quiet) {
        clearTexture_.loadimg("data/clear.bmp");
        clearTexture_.setColorKeyFromPixel(true);
    }
    level_ = args.at("map").unpack<int>();
    time_ = args.at("time").unpack<int>();

    std::int32_t startX = 0, startY = 0;
    layerValid_ = false;
    if (grid || pack_) {
        map_ = grid ? *grid : pack_->level(level_);
        rest_ = scanLevel(map_, startX, startY);
    } else {
        rest_ = loadLevel(levelPath(level_), map_, startX, startY);
    }

    if (!quiet) {
        music_.reset();  // the previous level's, so one level's music at a time stays registered
        const char* tune = level_ < 5 ? "jump.ogg" : "jump2.ogg";
        music_ = std::make_unique<algo::Music>(
            pack_ ? pack_->tune(tune) : std::string("data/") + tune, true);
        music_->playLoop();
    }

    LifeBall::create({{"color", basic::Element::of<int>(0)},
                      {"left", basic::Element::of<bool>(false)},
                      {"map", basic::Element::of<MapView>(MapView::of(map_))},
                      {"rest", basic::Element::of<int>(rest_)},
                      {"x", basic::Element::of<int>(startX)},
                      {"y", basic::Element::of<int>(startY)},
                      {"sx", basic::Element::of<int>(0)},
                      {"sy", basic::Element::of<int>(0)}});
}

void SceneGame_::update() {
    // The pass that resumes plays on; the one that pauses already stands still.
    const bool toggle = pauseKey();
    if (paused_) {
        if (!toggle) return;
        resume();
    } else if (toggle || (pauseOnFocusLoss_ && algo::EventControl_::instance().focusLost())) {
        pause();
        return;
    }
    advance();
}

void SceneGame_::advance() {
    time_ += 1;
    if (-kCountdown < rest_ && rest_ <= 0) {
        for (auto& column : map_)
            for (auto& cell : column)
                if (cell == kSolidVanishing || cell == kDeadlyVanishing) cell = kEmpty;
        rest_ -= 1;
    } else if (rest_ <= -kCountdown) {
        if (end_) {
            end_->playEnded(true);
            return;
        }
        auto& scenes = algo::SceneControl_::instance();
        // Through the resource reader, so levels packed in data.zip count as well.
        if (pack_ ? level_ < pack_->count() : algo::exists(levelPath(level_ + 1)))
            scenes.replace(SceneGame_::instance(), {{"map", basic::Element::of<int>(level_ + 1)},
                                                    {"time", basic::Element::of<int>(time_)}});
        else
            scenes.replace(SceneClear_::instance(), {{"time", basic::Element::of<int>(time_)}});
        return;
    }
    Rabbit::updateAll();
    DeadRabbit::updateAll();
    LifeBall::updateAll();
}

void SceneGame_::gameOver() {
    if (end_) {
        end_->playEnded(false);
        return;
    }
    algo::SceneControl_::instance().replace(SceneGameOver_::instance(), {});
}

void drawGridTiles(const Grid& grid, algo::Texture& target, int fromColumn, int toColumn,
                   int fromRow, int toRow) {
    auto& tiles = mapTexture();
    for (int a = fromRow; a <= toRow; ++a) {
        for (int b = fromColumn; b <= toColumn; ++b) {
            const int t = grid[b][a];
            SDL_Rect src{static_cast<Sint16>((t % 4) * 16), static_cast<Sint16>((t / 4) * 16), 16,
                         16};
            tiles.draw(&src, target, static_cast<std::int16_t>(16 + 15 * b),
                       static_cast<std::int16_t>(16 + 15 * a));
        }
    }
}

bool SceneGame_::refreshLayer(algo::Texture& screen) {
    // A palette screen would map the layer's colours through a second palette: draw plainly.
    if (screen.bitsPerPixel() <= 8) return false;
    if (!layerValid_ || layer_.width() != screen.width() || layer_.height() != screen.height() ||
        !layer_.sameFormat(screen)) {
        // The keyed sheets take the screen's format once: their tiles and actors are then
        // plain keyed copies, the very bytes of SDL's blit from the palette, several times
        // faster.
        for (algo::Texture* sheet : {&mapTexture(), &charaTexture()})
            if (!sheet->sameFormat(screen)) sheet->toDisplayFormat();
        layer_.create(screen.width(), screen.height());
        layer_.fill(255, 255, 255);
        drawGridTiles(map_, layer_);
        shown_ = map_;
        layerValid_ = true;
        return true;
    }
    if (shown_ == map_) return true;
    for (int b = 0; b < kGridSize; ++b) {
        for (int a = 0; a < kGridSize; ++a) {
            if (shown_[b][a] == map_[b][a]) continue;
            // Tiles overlap their neighbours by a pixel: the cell's square is the ground and
            // the nine tiles around it, drawn in the frame's order, clipped to the square.
            SDL_Rect cell{static_cast<Sint16>(16 + 15 * b), static_cast<Sint16>(16 + 15 * a), 16,
                          16};
            layer_.setClipRect(&cell);
            layer_.fill(255, 255, 255);
            drawGridTiles(map_, layer_, std::max(b - 1, 0), std::min(b + 1, kGridSize - 1),
                          std::max(a - 1, 0), std::min(a + 1, kGridSize - 1));
            layer_.setClipRect(nullptr);
        }
    }
    shown_ = map_;
    return true;
}

void SceneGame_::draw() {
    auto& d = algo::Display_::instance();
    if (refreshLayer(d)) {
        layer_.draw(nullptr, d, 0, 0);
        drawOver(d);
    } else {
        drawPlain();
    }
}

void SceneGame_::drawPlain() {
    auto& d = algo::Display_::instance();
    d.fill(255, 255, 255);
    drawGridTiles(map_, d);
    drawOver(d);
}

void SceneGame_::drawOver(algo::Texture& d) {
    DeadRabbit::drawAll();
    Rabbit::drawAll();
    LifeBall::drawAll();
    if (rest_ < 0) {
        const std::int32_t k = 256 / -rest_;
        d.drawRect(0, 0, 512, static_cast<std::int16_t>(260 - k), 0, 0, 0, 255, true);
        d.drawRect(0, static_cast<std::int16_t>(252 + k), 512, 512, 0, 0, 0, 255, true);
        clearTexture_.draw(nullptr, d, 220, 117);
    }
    d.drawString(400, 8, "Time: " + timeText(), 0, 0, 0, 255);
    if (paused_) {
        d.drawRect(0, 0, 512, 512, 0, 0, 0, 128, true);
        d.drawRect(216, 244, 296, 268, 0, 0, 0, 255, true);  // keeps the word readable
        d.drawString(236, 252, "PAUSE", 255, 255, 255, 255);
    }
}

}  // namespace game
