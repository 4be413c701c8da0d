#include "tools/assetgen/sound.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/assetgen/source.hpp"
#include "tools/assetgen/synth.hpp"

namespace assetgen {

double peakDb(const std::vector<float>& samples) {
    float peak = 0;
    for (float v : samples) peak = std::max(peak, std::fabs(v));
    return peak > 0 ? 20 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

Instrument readInstrument(const Source& src, const Line& line, const Options& opt) {
    Instrument ins;
    std::string wave = opt.text("wave", "square");
    if (!waveByName(wave, ins.wave)) src.fail(line, "unknown wave '" + wave + "'");
    ins.duty = opt.real("duty", 0.5);
    ins.attack = opt.real("attack", 0.005);
    ins.decay = opt.real("decay", 0);
    ins.sustain = opt.real("sustain", 1);
    ins.release = opt.real("release", 0.02);
    ins.volume = opt.real("vol", 0.5);
    ins.vibratoRate = opt.real("vibrato", 0);
    ins.vibratoDepth = opt.real("depth", 0.01);
    ins.lowpass = opt.real("lowpass", 0);
    ins.sweep = opt.real("sweep", 0);
    if (ins.duty <= 0 || ins.duty >= 1) src.fail(line, "duty lies between 0 and 1");
    if (ins.attack < 0 || ins.decay < 0 || ins.release < 0 || ins.sweep < 0)
        src.fail(line, "times cannot be negative");
    if (ins.sustain < 0 || ins.sustain > 1) src.fail(line, "sustain lies between 0 and 1");
    if (ins.volume < 0 || ins.volume > 4) src.fail(line, "vol lies between 0 and 4");
    if (ins.lowpass < 0 || ins.lowpass > kSampleRate / 2.0)
        src.fail(line, "lowpass lies between 0 and half the sample rate");
    return ins;
}

std::vector<float> renderEffect(const std::string& path) {
    Source src(path);
    std::vector<float> out;
    Noise noise;
    double peak = -3;
    bool any = false;
    for (const Line& line : src.lines()) {
        if (line.words.empty()) continue;
        const std::string& cmd = line.words[0];
        if (cmd == "peak") {
            if (line.words.size() != 2) src.fail(line, "peak takes one value in dBFS");
            peak = src.real(line, line.words[1]);
            if (peak > -1 || peak < -40) src.fail(line, "peak must lie between -40 and -1 dBFS");
        } else if (cmd == "tone") {
            Options opt(src, line, 1);
            double at = opt.real("at", 0), len = opt.real("len", 0.1);
            double from = opt.real("from", 440), to = opt.real("to", from);
            Instrument ins = readInstrument(src, line, opt);
            opt.finish();
            if (at < 0 || at > 10) src.fail(line, "at lies between 0 and 10 seconds");
            if (len <= 0 || len > 10) src.fail(line, "len lies between 0 and 10 seconds");
            if (from < 10 || to < 10 || from > 11000 || to > 11000)
                src.fail(line, "frequencies lie between 10 and 11000 Hz");
            addNote(out, static_cast<std::size_t>(at * kSampleRate), ins, from, to, len, noise);
            any = true;
        } else {
            src.fail(line, "unknown command '" + cmd + "' (peak, tone)");
        }
    }
    if (!any) src.fail(0, "the score has no tone");
    float top = 0;
    for (float v : out) top = std::max(top, std::fabs(v));
    if (top <= 0) src.fail(0, "the score is silent");
    float gain = static_cast<float>(std::pow(10.0, peak / 20) / top);
    for (float& v : out) v *= gain;
    // A few silent samples at the end let the mixer stop without a step.
    out.resize(out.size() + 64, 0.0f);
    return out;
}

std::string encodeWav(const std::vector<float>& samples, int channels, int rate) {
    unsigned dataBytes = static_cast<unsigned>(samples.size() * 2);
    std::string s = "RIFF";
    put32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, 1);  // PCM
    put16(s, static_cast<unsigned>(channels));
    put32(s, static_cast<unsigned>(rate));
    put32(s, static_cast<unsigned>(rate * channels * 2));
    put16(s, static_cast<unsigned>(channels * 2));
    put16(s, 16);
    s += "data";
    put32(s, dataBytes);
    for (float v : samples) {
        long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        put16(s, static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int16_t>(q))));
    }
    return s;
}

}  // namespace assetgen
