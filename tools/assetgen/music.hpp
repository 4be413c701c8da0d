#pragma once
// Tunes from text scores: voices, patterns of steps, and a song order; rendered so that the
// end flows into the start, then encoded as Ogg Vorbis.
#include <string>
#include <vector>

namespace assetgen {

struct Tune {
    std::vector<float> left, right;  // kSampleRate, one loop exactly
};

Tune renderTune(const std::string& path);
// Throws when assetgen was built without the encoder (the engine alone).
std::string encodeOgg(const Tune& tune, const std::string& title);

}  // namespace assetgen
