#pragma once
// Sound synthesis shared by the effects and the tunes: oscillators, envelopes, noise.
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 22050;

enum class Wave { Sine, Square, Triangle, Saw, Noise, Kick, Snare, Hat };

// Wave by name; false for an unknown name.
bool waveByName(const std::string& name, Wave& wave);

struct Instrument {
    Wave wave = Wave::Square;
    double duty = 0.5;      // square only, 0.05..0.95
    double attack = 0.005;  // seconds; never below 2 ms, so notes start without a click
    double decay = 0.0;
    double sustain = 1.0;   // level after the decay, 0..1
    double release = 0.02;  // seconds after the gate closes; never below 5 ms
    double volume = 0.5;
    double vibratoRate = 0;   // Hz
    double vibratoDepth = 0;  // fraction of the frequency
    double lowpass = 0;       // Hz, 0 = off (one-pole)
    double sweep = 0;         // seconds for from -> to, 0 = the whole note
};

// Deterministic noise: the same sources always give the same files.
class Noise {
  public:
    explicit Noise(std::uint32_t seed = 0x2545f491u) : state_(seed ? seed : 1) {}
    double next();  // -1..1
  private:
    std::uint32_t state_;
};

// Adds one note to `out` from sample `at`: frequency glides exponentially from f0 to f1,
// the gate stays open for `gate` seconds, then the release runs. Samples past the end of
// `out` are dropped unless `grow` is set.
void addNote(std::vector<float>& out, std::size_t at, const Instrument& ins, double f0, double f1,
             double gate, Noise& noise, bool grow = true);

// Seconds a note sounds in all: gate plus release.
double noteLength(const Instrument& ins, double gate);

}  // namespace assetgen
