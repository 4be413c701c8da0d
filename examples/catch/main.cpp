// catch: fruit falls, the basket catches it. A small whole game: fruit are actors made from
// their class's pool at random places and speeds, a collision is two rectangles overlapping,
// a catch plays an effect over quieter music, the score is centred by measuring its text, and
// the best score is kept for the next run in the user's data directory.
//
// Keys: Left and Right move the basket, P pauses and resumes (a tap however short), Escape
// quits (so does closing the window).
#include <SDL.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/file/userdir.hpp"
#include "algo/game/actor.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/audio.hpp"
#include "algo/sound/music.hpp"
#include "algo/sound/se.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"
#include "util/mt.hpp"

namespace {

constexpr int kWidth = 512, kHeight = 512;
constexpr int kFruitSize = 16;
constexpr int kBasketY = 460, kBasketWidth = 48, kBasketHeight = 16;
constexpr int kEvery = 24;  // passes between two new fruit

// The fruit picture is shared by every fruit: the scene owns it and hands it over in start.
class Fruit : public algo::ActorTable<Fruit> {
  public:
    void start(const basic::Args& args) override {
        sheet_ = args.at("sheet").unpack<algo::Texture*>();
        kind_ = util::mt::nextInt(0, 1);                 // apple or pear
        x_ = util::mt::nextInt(0, kWidth - kFruitSize);  // anywhere across the top
        y_ = -kFruitSize;
        speed_ = 1.5 + 2.5 * util::mt::nextReal();  // 1.5 to 4 pixels a pass
    }
    void end() override {}
    void move() override {
        y_ += speed_;
        if (y_ > kHeight) kill();  // missed: gone below the screen
    }
    void draw() override {
        SDL_Rect frame{static_cast<Sint16>(kind_ * kFruitSize), 0, kFruitSize, kFruitSize};
        sheet_->draw(&frame, algo::Display_::instance(), static_cast<std::int16_t>(x_),
                     static_cast<std::int16_t>(y_));
    }
    SDL_Rect box() const {
        return {static_cast<Sint16>(x_), static_cast<Sint16>(y_), kFruitSize, kFruitSize};
    }

  private:
    algo::Texture* sheet_ = nullptr;
    int kind_ = 0, x_ = 0;
    double y_ = 0, speed_ = 0;
};

// The best score of earlier runs, in $XDG_DATA_HOME/algo-catch/best.txt.
std::string bestFile() {
    return (algo::userDataDir("algo-catch") / "best.txt").string();
}

int readBest() {
    std::ifstream in(bestFile());
    int best = 0;
    return in >> best ? best : 0;
}

class Game : public algo::Scene {
  public:
    void init(const basic::Args&) override {
        fruit_.loadimg("data/fruit.bmp");
        fruit_.setColorKeyFromPixel(true);
        basket_.loadimg("data/basket.bmp");
        basket_.setColorKeyFromPixel(true);
        big_.load("data/pixel.ttf", 32);
        small_.load("data/pixel.ttf", 16);

        auto& audio = algo::Audio_::instance();
        audio.setChannels(4);      // a few catches may ring at once
        audio.setMusicVolume(40);  // the music under the effects
        caught_ = std::make_unique<algo::Sound>("data/catch.wav", true);
        caught_->setVolume(96);
        music_ = std::make_unique<algo::Music>("data/tune.wav", true);
        music_->playLoop();

        best_ = readBest();
        Fruit::makePool();  // the 128 fruit now, none during play
    }

    void exit() override { Fruit::clearAll(); }

    // At the end of the run: a better score than ever is kept for the next one.
    void keepBest() const {
        if (score_ <= best_) return;
        std::ofstream(bestFile()) << score_ << '\n';
        algo::log("new best score: " + std::to_string(score_));
    }

    void update() override {
        auto& input = algo::EasyInput_::instance();
        if (algo::KeyBoard_::instance().wasPushed(SDLK_p)) {
            paused_ = !paused_;
            if (paused_)
                algo::Audio_::instance().pauseMusic();
            else
                algo::Audio_::instance().resumeMusic();
        }
        if (paused_) return;
        if (input.count(algo::EasyInput_::Left) > 0) basketX_ -= 5;
        if (input.count(algo::EasyInput_::Right) > 0) basketX_ += 5;
        basketX_ = basketX_ < 0                       ? 0
                   : basketX_ > kWidth - kBasketWidth ? kWidth - kBasketWidth
                                                      : basketX_;
        if (++passes_ % kEvery == 0) Fruit::create({{"sheet", basic::Element::of(&fruit_)}});
        Fruit::updateAll();
        const SDL_Rect basket{static_cast<Sint16>(basketX_), kBasketY, kBasketWidth, kBasketHeight};
        for (Fruit& f : Fruit::live()) {
            if (!algo::overlaps(f.box(), basket)) continue;
            ++score_;
            caught_->play();
            f.kill();
        }
    }

    void draw() override {
        auto& screen = algo::Display_::instance();
        screen.fill(28, 40, 64);
        screen.drawRect(0, kBasketY + kBasketHeight, kWidth - 1, kHeight - 1, 60, 110, 50, 255,
                        true);
        Fruit::drawAll();
        basket_.draw(nullptr, screen, static_cast<std::int16_t>(basketX_), kBasketY);

        const std::string score = "Score " + std::to_string(score_);
        centred(big_, score, 16, 255, 230, 120);
        centred(small_, "Best " + std::to_string(best_ > score_ ? best_ : score_), 56, 200, 200,
                200);
        if (paused_) centred(big_, "Paused", 220, 255, 255, 255);
        screen.drawString(8, 500, "Left/Right move, P pauses, Escape quits", 220, 220, 220, 255);
    }

  private:
    // Centred across the screen: the text's own width decides where it starts.
    void centred(algo::Font& font, const std::string& text, int y, std::uint8_t r, std::uint8_t g,
                 std::uint8_t b) {
        const algo::TextSize size = font.textSize(text);
        font.drawText(text, algo::Display_::instance(),
                      static_cast<std::int16_t>((kWidth - size.width) / 2),
                      static_cast<std::int16_t>(y), r, g, b, 255, false);
    }

    algo::Texture fruit_, basket_;
    algo::Font big_, small_;
    std::unique_ptr<algo::Sound> caught_;
    std::unique_ptr<algo::Music> music_;
    int basketX_ = (kWidth - kBasketWidth) / 2;
    int score_ = 0, best_ = 0;
    long passes_ = 0;
    bool paused_ = false;
};

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(kWidth, kHeight, 16, false);
        screen.setCaption("catch");
        algo::setFPS(60);
        algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);
        util::mt::seed(static_cast<std::uint32_t>(SDL_GetTicks() ^ 0x5eed));

        Game game;  // its pictures, fonts and sounds go with it, before the engine ends
        auto& scenes = algo::SceneControl_::instance();
        scenes.change(game, {});
        auto& events = algo::EventControl_::instance();
        while (events.poll()) {  // false after Escape or a closed window
            scenes.update();
            if (algo::waitFrame()) {
                scenes.draw();
                screen.flip();
            }
        }
        game.keepBest();
        return 0;
    });
}
