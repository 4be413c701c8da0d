// data: files read from a ZIP archive, a message file and a settings file. Everything under
// data/ comes from data.zip: the resource reader finds data/star.bmp as the member star.bmp
// of the archive. data/messages.txt holds the texts as named blocks, in English and Japanese.
// settings.ini, a plain file beside the program, keeps across runs how often the example has
// run, the picture chosen last and the language.
//
// Keys: Left and Right choose a picture, L switches between English and Japanese, Escape
// quits (so does closing the window).
#include <SDL.h>

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>
#include <vector>

#include "algo/file/initfile.hpp"
#include "algo/file/logger.hpp"
#include "algo/file/msgfile.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

const char kMessages[] = "data/messages.txt";
const char kSettings[] = "settings.ini";

// The lines of a block, which must hold at least `lines` of them: a message file without it
// is a damaged data file.
const algo::MsgFile::Lines& block(const algo::MsgFile& messages, const std::string& name,
                                  std::size_t lines) {
    const auto& all = messages.messages();
    auto it = all.find(name);
    if (it == all.end() || it->second.size() < lines)
        throw std::runtime_error(std::string(kMessages) + ": the block " + name + " needs " +
                                 std::to_string(lines) + " line(s)");
    return it->second;
}

// A whole number from the settings; anything else (a hand-edited file, say) counts as 0.
int number(const algo::InitFile& settings, const std::string& key) {
    const std::string text = settings.get(key);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        if (!text.empty()) algo::log(std::string(kSettings) + ": " + key + " is not a number");
        return 0;
    }
    return value;
}

void centred(algo::Font& font, const std::string& text, int y, std::uint8_t r, std::uint8_t g,
             std::uint8_t b) {
    algo::Texture line = font.renderText(text, r, g, b, false);
    line.draw(nullptr, algo::Display_::instance(),
              static_cast<std::int16_t>((512 - line.width()) / 2), static_cast<std::int16_t>(y));
}

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("data");
        algo::setFPS(60);

        // ---- start: data from the archive, then the settings of the last run
        std::vector<algo::Texture> pictures;
        for (const char* path : {"data/star.bmp", "data/apple.bmp", "data/key.bmp"}) {
            pictures.emplace_back(path);
            pictures.back().setColorKeyFromPixel(true);
        }
        algo::Font big, small;
        big.load("data/pixel.ttf", 32);
        small.load("data/pixel.ttf", 16);
        algo::MsgFile messages;
        messages.load(kMessages);
        for (const char* language : {"en", "ja"}) {
            const std::string l = language;
            block(messages, l + ".title", 1);
            block(messages, l + ".names", pictures.size());
            block(messages, l + ".runs", 1);
            block(messages, l + ".help", 2);
        }

        algo::InitFile settings;  // saved again when it goes, at the end of this scope
        settings.load(kSettings);
        const int runs = number(settings, "runs") + 1;
        int choice =
            std::clamp(number(settings, "choice"), 0, static_cast<int>(pictures.size()) - 1);
        std::string language = settings.get("language") == "ja" ? "ja" : "en";
        settings.set(std::to_string(runs), "runs");  // value first, then the key
        settings.set(std::to_string(choice), "choice");
        settings.set(language, "language");
        settings.save();

        auto& input = algo::EasyInput_::instance();
        auto& keyboard = algo::KeyBoard_::instance();
        auto& events = algo::EventControl_::instance();

        while (events.poll()) {  // false after Escape or a closed window
            // ---- update: choose, switch language; the settings file follows at once
            const int count = static_cast<int>(pictures.size());
            int next = choice;
            if (input.count(algo::EasyInput_::Left) == 1) next = (choice + count - 1) % count;
            if (input.count(algo::EasyInput_::Right) == 1) next = (choice + 1) % count;
            const bool switched = keyboard.isPush(SDLK_l);
            if (switched) language = language == "en" ? "ja" : "en";
            if (next != choice || switched) {
                choice = next;
                settings.set(std::to_string(choice), "choice");
                settings.set(language, "language");
                settings.save();
            }

            if (!algo::waitFrame()) continue;

            // ---- draw: every text comes from the message file, in the chosen language
            screen.fill(40, 32, 64);
            centred(big, block(messages, language + ".title", 1)[0], 40, 255, 230, 150);
            screen.drawRect(176, 120, 335, 279, 70, 60, 100, 255, true);
            pictures[choice].drawZoom(nullptr, screen, 192, 136, 4.0, false);  // 128 × 128
            big.drawText("<", screen, 120, 184, 200, 200, 255, 255, false);
            big.drawText(">", screen, 370, 184, 200, 200, 255, 255, false);
            centred(big, block(messages, language + ".names", pictures.size())[choice], 300, 255,
                    255, 255);

            std::string runLine = block(messages, language + ".runs", 1)[0];
            if (auto at = runLine.find("{n}"); at != std::string::npos)
                runLine.replace(at, 3, std::to_string(runs));
            centred(small, runLine, 370, 180, 220, 255);
            const auto& help = block(messages, language + ".help", 2);
            for (std::size_t i = 0; i < help.size(); ++i)
                centred(small, help[i], 430 + 24 * static_cast<int>(i), 200, 200, 200);
            screen.flip();
        }
        return 0;
    });
}
