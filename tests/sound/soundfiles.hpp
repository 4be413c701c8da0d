#pragma once
// Test inputs made on the spot: 16-bit PCM as a WAV file or as Ogg Vorbis.
#include <cstdint>
#include <string>
#include <vector>

namespace soundfiles {

// `seconds` of a square wave, interleaved for `channels`.
std::vector<std::int16_t> squareWave(int rate, int channels, double seconds, int hz = 440,
                                     std::int16_t amplitude = 8000);

std::string wav(const std::vector<std::int16_t>& samples, int rate, int channels);
std::string ogg(const std::vector<std::int16_t>& samples, int rate, int channels);

}  // namespace soundfiles
