#include "tools/assetgen/synth.hpp"

#include <algorithm>
#include <cmath>

namespace assetgen {

bool waveByName(const std::string& name, Wave& wave) {
    static const std::pair<const char*, Wave> names[] = {
        {"sine", Wave::Sine},   {"square", Wave::Square}, {"triangle", Wave::Triangle},
        {"saw", Wave::Saw},     {"noise", Wave::Noise},   {"kick", Wave::Kick},
        {"snare", Wave::Snare}, {"hat", Wave::Hat},
    };
    for (const auto& [n, w] : names)
        if (name == n) {
            wave = w;
            return true;
        }
    return false;
}

double Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483647.5 - 1.0;
}

namespace {

// Softens the jumps of square and saw waves so high notes do not alias harshly.
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double envelope(const Instrument& ins, double t, double gate) {
    double attack = std::max(ins.attack, 0.002), release = std::max(ins.release, 0.005);
    auto held = [&](double u) {
        if (u < attack) return u / attack;
        u -= attack;
        if (ins.decay > 0 && u < ins.decay) return 1.0 - (1.0 - ins.sustain) * (u / ins.decay);
        return ins.sustain;
    };
    if (t < gate) return held(t);
    double level = held(gate), u = t - gate;
    return u >= release ? 0.0 : level * (1.0 - u / release);
}

}  // namespace

double noteLength(const Instrument& ins, double gate) {
    return gate + std::max(ins.release, 0.005);
}

void addNote(std::vector<float>& out, std::size_t at, const Instrument& ins, double f0, double f1,
             double gate, Noise& noise, bool grow) {
    const double dt = 1.0 / kSampleRate;
    std::size_t count = static_cast<std::size_t>(std::ceil(noteLength(ins, gate) * kSampleRate));
    if (grow && out.size() < at + count) out.resize(at + count, 0.0f);
    double sweep = ins.sweep > 0 ? ins.sweep : std::max(gate, dt);
    double phase = 0, held = 0, low = 0, lastNoise = 0, snareNoise = 0;
    for (std::size_t i = 0; i < count && at + i < out.size(); ++i) {
        double t = i * dt;
        double k = std::min(t / sweep, 1.0);
        double f = f0 * std::pow(f1 / f0, k);
        if (ins.vibratoRate > 0)
            f *= 1.0 + ins.vibratoDepth * std::sin(2 * M_PI * ins.vibratoRate * t);
        double inc = f * dt;
        double v = 0;
        switch (ins.wave) {
            case Wave::Sine:
                v = std::sin(2 * M_PI * phase);
                break;
            case Wave::Square: {
                double d = std::clamp(ins.duty, 0.05, 0.95);
                v = phase < d ? 1.0 : -1.0;
                v += blep(phase, inc);
                v -= blep(std::fmod(phase + 1.0 - d, 1.0), inc);
                break;
            }
            case Wave::Triangle:
                v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
                break;
            case Wave::Saw:
                v = 2 * phase - 1 - blep(phase, inc);
                break;
            case Wave::Noise:
                // Sample-and-hold noise: its "pitch" is how often a new value is drawn.
                if (phase + inc >= 1.0 || i == 0) held = noise.next();
                v = held;
                break;
            case Wave::Kick: {
                double kf = f1 + (f0 - f1) * std::exp(-t / 0.035);
                inc = kf * dt;
                v = std::sin(2 * M_PI * phase);
                break;
            }
            case Wave::Snare: {
                snareNoise = noise.next();
                double body = std::sin(2 * M_PI * phase) * std::exp(-t / 0.04);
                v = 0.75 * snareNoise + 0.5 * body;
                break;
            }
            case Wave::Hat: {
                double n = noise.next();
                v = n - lastNoise;  // a first difference keeps only the hiss
                lastNoise = n;
                v *= 0.7;
                break;
            }
        }
        phase += inc;
        phase -= std::floor(phase);
        if (ins.lowpass > 0) {
            double a = 1.0 - std::exp(-2 * M_PI * ins.lowpass * dt);
            low += a * (v - low);
            v = low;
        }
        out[at + i] += static_cast<float>(v * envelope(ins, t, gate) * ins.volume);
    }
}

}  // namespace assetgen
