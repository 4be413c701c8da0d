// assetgen: builds the game's data files from the text sources under assets/.
//   assetgen picture SOURCE OUT.bmp [ARG]   pixel art and lettering
//   assetgen level SOURCE OUT.bmp           ASCII level -> 8-bit palette bitmap
//   assetgen unlevel IN.bmp                 level bitmap -> ASCII on standard output
//   assetgen effect SOURCE OUT.wav          sound-effect score -> 16-bit WAV
//   assetgen tune SOURCE OUT.ogg|OUT.wav    music score -> Ogg Vorbis, or a mono 16-bit
//                                           WAV (no encoder needed: the examples' tunes)
//   assetgen font SOURCE OUT.ttf [TEXT...]  pixel design -> TrueType; every character of
//                                           each TEXT file must have a glyph
//   assetgen zip OUT.zip DIR NAME...        pack staged files
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "game/levelfile.hpp"
#include "tools/assetgen/font.hpp"
#include "tools/assetgen/level.hpp"
#include "tools/assetgen/music.hpp"
#include "tools/assetgen/pack.hpp"
#include "tools/assetgen/picture.hpp"
#include "tools/assetgen/sound.hpp"
#include "tools/assetgen/source.hpp"
#include "tools/assetgen/synth.hpp"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: assetgen picture SOURCE OUT.bmp [ARG] | level SOURCE OUT.bmp | "
                 "unlevel IN.bmp | effect SOURCE OUT.wav | tune SOURCE OUT.ogg|OUT.wav | "
                 "font SOURCE OUT.ttf [TEXT...] | zip OUT.zip DIR NAME...\n");
    return 2;
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty()) return usage();
    try {
        const std::string& cmd = a[0];
        if (cmd == "picture" && (a.size() == 3 || a.size() == 4)) {
            auto image = assetgen::renderPicture(a[1], a.size() == 4 ? a[3] : "");
            std::string bytes;
            try {
                bytes = assetgen::encodeBmp(image);
            } catch (const std::runtime_error& e) {
                throw std::runtime_error(a[1] + ": " + e.what());
            }
            assetgen::writeFile(a[2], bytes);
        } else if (cmd == "level" && a.size() == 3) {
            assetgen::writeFile(a[2], game::levelBitmap(assetgen::readLevel(a[1])));
        } else if (cmd == "unlevel" && a.size() == 2) {
            auto text = game::levelText(game::readLevelFile(a[1]));
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else if (cmd == "effect" && a.size() == 3) {
            auto samples = assetgen::renderEffect(a[1]);
            assetgen::writeFile(a[2], assetgen::encodeWav(samples, 1, assetgen::kSampleRate));
        } else if (cmd == "tune" && a.size() == 3) {
            auto tune = assetgen::renderTune(a[1]);
            const std::string& out = a[2];
            if (out.size() > 4 && out.compare(out.size() - 4, 4, ".wav") == 0) {
                // Mono, to keep an uncompressed tune small.
                std::vector<float> mono(tune.left.size());
                for (std::size_t i = 0; i < mono.size(); ++i)
                    mono[i] = (tune.left[i] + tune.right[i]) / 2;
                assetgen::writeFile(out, assetgen::encodeWav(mono, 1, assetgen::kSampleRate));
            } else {
                assetgen::writeFile(out, assetgen::encodeOgg(tune, baseName(a[1])));
            }
        } else if (cmd == "font" && a.size() >= 3) {
            auto design = assetgen::readFontDesign(a[1]);
            for (std::size_t i = 3; i < a.size(); ++i) assetgen::checkCoverage(design, a[1], a[i]);
            assetgen::writeFile(a[2], assetgen::encodeTtf(design));
        } else if (cmd == "zip" && a.size() >= 4) {
            assetgen::packZip(a[1], a[2], std::vector<std::string>(a.begin() + 3, a.end()));
        } else {
            return usage();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
