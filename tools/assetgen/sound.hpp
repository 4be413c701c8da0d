#pragma once
// Sound effects from short scores: each line one voice (tone or noise) with its envelope.
#include <string>
#include <vector>

#include "tools/assetgen/source.hpp"
#include "tools/assetgen/synth.hpp"

namespace assetgen {

// Renders an effect score into mono samples at kSampleRate, normalised to the score's peak.
std::vector<float> renderEffect(const std::string& path);

// Instrument options of a score line (wave=, attack=, vol=, ...).
Instrument readInstrument(const Source& src, const Line& line, const Options& opt);

// 16-bit PCM WAV bytes; samples are clamped to -1..1.
std::string encodeWav(const std::vector<float>& samples, int channels, int rate);

// Peak level in dB below full scale of float samples (-inf for silence).
double peakDb(const std::vector<float>& samples);

}  // namespace assetgen
