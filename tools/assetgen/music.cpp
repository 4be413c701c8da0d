#include "tools/assetgen/music.hpp"

#if ASSETGEN_OGG
#include <vorbis/vorbisenc.h>
#endif

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "tools/assetgen/sound.hpp"
#include "tools/assetgen/source.hpp"
#include "tools/assetgen/synth.hpp"

namespace assetgen {

namespace {

struct Voice {
    Instrument ins;
    double pan = 0;      // -1 left .. 1 right
    double send = 0;     // share sent to the echo
    double gate = 0.85;  // share of the note's steps the gate stays open
    double drumFrom = 0, drumTo = 0;
};

struct Track {
    std::vector<std::string> steps;
    int line = 0;
};

struct Pattern {
    std::map<std::string, Track> tracks;
    std::size_t length = 0;
};

// Frequency of a note like c4, f#3, bb2; 0 when the word is no note.
double noteFrequency(const std::string& w) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (w.size() < 2 || w[0] < 'a' || w[0] > 'g') return 0;
    int semi = semis[w[0] - 'a'];
    std::size_t i = 1;
    if (w[i] == '#')
        ++semi, ++i;
    else if (w[i] == 'b' && w.size() == 3)
        --semi, ++i;
    if (i + 1 != w.size() || w[i] < '0' || w[i] > '8') return 0;
    int octave = w[i] - '0';
    int midi = 12 * (octave + 1) + semi;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

}  // namespace

Tune renderTune(const std::string& path) {
    Source src(path);
    double tempo = 0, peak = -3, echoSteps = 3, feedback = 0.3;
    int stepsPerBeat = 4;
    std::map<std::string, Voice> voices;
    std::map<std::string, Pattern> patterns;
    std::vector<std::pair<std::string, int>> song;
    const auto& lines = src.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.words.empty()) continue;
        const auto& w = line.words;
        if (w[0] == "tempo" || w[0] == "steps" || w[0] == "peak") {
            if (w.size() != 2) src.fail(line, w[0] + " takes one value");
            double v = src.real(line, w[1]);
            if (w[0] == "tempo") {
                if (v < 40 || v > 300)
                    src.fail(line, "tempo lies between 40 and 300 beats a minute");
                tempo = v;
            } else if (w[0] == "steps") {
                if (v < 1 || v > 16 || v != std::floor(v))
                    src.fail(line, "steps per beat is a whole number from 1 to 16");
                stepsPerBeat = static_cast<int>(v);
            } else {
                if (v > -1 || v < -40) src.fail(line, "peak must lie between -40 and -1 dBFS");
                peak = v;
            }
        } else if (w[0] == "echo") {
            Options opt(src, line, 1);
            echoSteps = opt.real("delay", 3);
            feedback = opt.real("feedback", 0.3);
            opt.finish();
            if (echoSteps <= 0 || echoSteps > 64) src.fail(line, "echo delay is 0 to 64 steps");
            if (feedback < 0 || feedback > 0.8) src.fail(line, "echo feedback is 0 to 0.8");
        } else if (w[0] == "voice") {
            if (w.size() < 2) src.fail(line, "voice takes a name and options");
            if (voices.count(w[1])) src.fail(line, "voice '" + w[1] + "' defined twice");
            Options opt(src, line, 2);
            Voice v;
            v.pan = opt.real("pan", 0);
            v.send = opt.real("send", 0);
            v.gate = opt.real("gate", 0.85);
            v.drumFrom = opt.real("from", 150);
            v.drumTo = opt.real("to", 50);
            v.ins = readInstrument(src, line, opt);
            opt.finish();
            if (v.pan < -1 || v.pan > 1) src.fail(line, "pan lies between -1 and 1");
            if (v.send < 0 || v.send > 1) src.fail(line, "send lies between 0 and 1");
            if (v.gate <= 0 || v.gate > 1) src.fail(line, "gate lies between 0 and 1");
            voices[w[1]] = v;
        } else if (w[0] == "pattern") {
            if (w.size() != 2) src.fail(line, "pattern takes a name");
            if (patterns.count(w[1])) src.fail(line, "pattern '" + w[1] + "' defined twice");
            Pattern p;
            std::size_t j = i + 1;
            for (; j < lines.size(); ++j) {
                const Line& row = lines[j];
                if (row.words.empty()) continue;
                if (row.words[0] == "end") break;
                const std::string& name = row.words[0];
                if (!voices.count(name)) src.fail(row, "no voice named '" + name + "'");
                if (p.tracks.count(name)) src.fail(row, "voice '" + name + "' twice in a pattern");
                Track t;
                t.line = row.number;
                if (row.words.size() == 3 && row.words[1] == "=") {
                    auto from = patterns.find(row.words[2]);
                    if (from == patterns.end() || !from->second.tracks.count(name))
                        src.fail(row,
                                 "no earlier pattern '" + row.words[2] + "' with voice " + name);
                    t.steps = from->second.tracks[name].steps;
                } else {
                    for (std::size_t k = 1; k < row.words.size(); ++k) {
                        const std::string& s = row.words[k];
                        if (s == "|") continue;
                        if (s != "." && s != "-" && s != "x" && s != "o") {
                            std::size_t start = 0;
                            while (start <= s.size()) {
                                auto plus = s.find('+', start);
                                std::string one = s.substr(start, plus - start);
                                if (noteFrequency(one) == 0)
                                    src.fail(row, "'" + s +
                                                      "' is no note (like c4, f#3, bb2), "
                                                      "'.', '-', 'x' or 'o'");
                                if (plus == std::string::npos) break;
                                start = plus + 1;
                            }
                        }
                        t.steps.push_back(s);
                    }
                }
                if (t.steps.empty()) src.fail(row, "empty track");
                p.length = std::max(p.length, t.steps.size());
                p.tracks[name] = std::move(t);
            }
            if (j == lines.size()) src.fail(line, "pattern without 'end'");
            if (p.tracks.empty()) src.fail(line, "empty pattern");
            for (const auto& [name, t] : p.tracks)
                if (p.length % t.steps.size())
                    src.fail(t.line, "track of " + std::to_string(t.steps.size()) +
                                         " steps does not divide the pattern's " +
                                         std::to_string(p.length));
            patterns[w[1]] = std::move(p);
            i = j;
        } else if (w[0] == "song") {
            for (std::size_t k = 1; k < w.size(); ++k) {
                if (!patterns.count(w[k])) src.fail(line, "no pattern named '" + w[k] + "'");
                song.emplace_back(w[k], line.number);
            }
        } else {
            src.fail(line, "unknown command '" + w[0] + "'");
        }
    }
    if (tempo == 0) src.fail(0, "no tempo given");
    if (song.empty()) src.fail(0, "no song line");

    const double stepSeconds = 60.0 / tempo / stepsPerBeat;
    std::size_t totalSteps = 0;
    for (const auto& [name, line] : song) totalSteps += patterns[name].length;
    const std::size_t loop =
        static_cast<std::size_t>(std::lround(totalSteps * stepSeconds * kSampleRate));
    double seconds = static_cast<double>(loop) / kSampleRate;
    if (seconds < 30 || seconds > 90)
        src.fail(0, "the song lasts " + std::to_string(seconds) + " s; it must last 30 to 90 s");

    Tune tune;
    std::vector<float> left(loop, 0.0f), right(loop, 0.0f), echo(loop, 0.0f);
    Noise noise(0x5eed1234u);
    for (const auto& [vname, voice] : voices) {
        // Flatten this voice's steps across the song.
        std::vector<std::string> flat;
        flat.reserve(totalSteps);
        for (const auto& [pname, line] : song) {
            const Pattern& p = patterns[pname];
            auto t = p.tracks.find(vname);
            for (std::size_t s = 0; s < p.length; ++s)
                flat.push_back(t == p.tracks.end() ? "."
                                                   : t->second.steps[s % t->second.steps.size()]);
        }
        std::vector<float> mono(loop, 0.0f);
        for (std::size_t s = 0; s < flat.size(); ++s) {
            const std::string& tok = flat[s];
            if (tok == "." || tok == "-") continue;
            std::size_t len = 1;
            while (s + len < flat.size() && flat[s + len] == "-") ++len;
            double gate = len * stepSeconds * voice.gate;
            std::size_t at = static_cast<std::size_t>(std::lround(s * stepSeconds * kSampleRate));
            std::vector<float> note;
            bool drum = voice.ins.wave == Wave::Kick || voice.ins.wave == Wave::Snare ||
                        voice.ins.wave == Wave::Hat;
            Instrument ins = voice.ins;
            if (tok == "o") ins.volume *= 0.5;
            std::size_t start = 0;
            while (true) {
                auto plus = tok.find('+', start);
                std::string one = tok.substr(start, plus - start);
                double f = noteFrequency(one);
                if (f == 0 || drum)
                    addNote(note, 0, ins, drum || f == 0 ? voice.drumFrom : f,
                            drum || f == 0 ? voice.drumTo : f, gate, noise);
                else
                    addNote(note, 0, ins, f, f, gate, noise);
                if (plus == std::string::npos) break;
                start = plus + 1;
            }
            // Wrap what sounds past the end onto the start: the loop joins seamlessly.
            for (std::size_t k = 0; k < note.size(); ++k) mono[(at + k) % loop] += note[k];
        }
        double a = (voice.pan + 1) * M_PI / 4;
        float gl = static_cast<float>(std::cos(a) * std::sqrt(2.0));
        float gr = static_cast<float>(std::sin(a) * std::sqrt(2.0));
        for (std::size_t k = 0; k < loop; ++k) {
            left[k] += mono[k] * gl * 0.7071f;
            right[k] += mono[k] * gr * 0.7071f;
            echo[k] += mono[k] * static_cast<float>(voice.send);
        }
    }
    // Echo around the loop: repeat the feedback passes until what is left is inaudible, so
    // the tail at the start of the loop matches the end.
    if (feedback > 0) {
        std::size_t delay =
            static_cast<std::size_t>(std::lround(echoSteps * stepSeconds * kSampleRate));
        std::vector<float> wet(loop, 0.0f);
        // Two passes would do (the loop is far longer than the delay); a third costs little.
        const int passes = 3;
        for (int pass = 0; pass < passes; ++pass)
            for (std::size_t k = 0; k < loop; ++k) {
                std::size_t back = (k + loop - delay % loop) % loop;
                wet[k] = static_cast<float>(feedback) * (wet[back] + echo[back]);
            }
        for (std::size_t k = 0; k < loop; ++k) {
            std::size_t other = (k + loop - delay / 3 % loop) % loop;
            left[k] += wet[k];
            right[k] += wet[other];
        }
    }
    float top = 0;
    for (std::size_t k = 0; k < loop; ++k)
        top = std::max({top, std::fabs(left[k]), std::fabs(right[k])});
    if (top <= 0) src.fail(0, "the song is silent");
    float gain = static_cast<float>(std::pow(10.0, peak / 20) / top);
    for (std::size_t k = 0; k < loop; ++k) left[k] *= gain, right[k] *= gain;
    tune.left = std::move(left);
    tune.right = std::move(right);
    return tune;
}

#if ASSETGEN_OGG

std::string encodeOgg(const Tune& tune, const std::string& title) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kSampleRate, 0.3f) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("the Vorbis encoder refused its settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x53484f50);  // fixed serial: same input, same bytes

    std::string out;
    ogg_page og;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    while (ogg_stream_flush(&os, &og)) {
        out.append(reinterpret_cast<const char*>(og.header),
                   static_cast<std::size_t>(og.header_len));
        out.append(reinterpret_cast<const char*>(og.body), static_cast<std::size_t>(og.body_len));
    }
    std::size_t pos = 0, total = tune.left.size();
    bool eos = false;
    while (!eos) {
        std::size_t n = std::min<std::size_t>(1024, total - pos);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            std::copy_n(tune.left.begin() + static_cast<std::ptrdiff_t>(pos), n, buf[0]);
            std::copy_n(tune.right.begin() + static_cast<std::ptrdiff_t>(pos), n, buf[1]);
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (!eos && ogg_stream_pageout(&os, &og)) {
                    out.append(reinterpret_cast<const char*>(og.header),
                               static_cast<std::size_t>(og.header_len));
                    out.append(reinterpret_cast<const char*>(og.body),
                               static_cast<std::size_t>(og.body_len));
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

#else

// The engine alone is built without the encoder: its data has no tunes.
std::string encodeOgg(const Tune&, const std::string&) {
    throw std::runtime_error(
        "this assetgen has no Ogg Vorbis encoder: it was built without the game "
        "(-DSTARHOP_GAME=OFF)");
}

#endif

}  // namespace assetgen
