#include "tests/sound/soundfiles.hpp"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace soundfiles {

namespace {

void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::int16_t> squareWave(int rate, int channels, double seconds, int hz,
                                     std::int16_t amplitude) {
    int frames = static_cast<int>(rate * seconds);
    std::vector<std::int16_t> out;
    out.reserve(static_cast<std::size_t>(frames) * channels);
    int half = rate / hz / 2;
    for (int i = 0; i < frames; ++i) {
        std::int16_t v = (i / half) % 2 ? amplitude : static_cast<std::int16_t>(-amplitude);
        for (int c = 0; c < channels; ++c) out.push_back(v);
    }
    return out;
}

std::string wav(const std::vector<std::int16_t>& samples, int rate, int channels) {
    std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, channels);
    put32(out, rate);
    put32(out, rate * channels * 2);
    put16(out, channels * 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (std::int16_t s : samples) put16(out, static_cast<std::uint16_t>(s));
    return out;
}

std::string ogg(const std::vector<std::int16_t>& samples, int rate, int channels) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0)
        throw std::runtime_error("vorbis encoder refused the format");
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);

    std::string out;
    auto writePage = [&out](const ogg_page& page) {
        out.append(reinterpret_cast<const char*>(page.header), page.header_len);
        out.append(reinterpret_cast<const char*>(page.body), page.body_len);
    };
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) writePage(page);

    const long frames = static_cast<long>(samples.size() / channels);
    const long step = 1024;
    for (long at = 0;;) {
        long n = std::min(step, frames - at);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buf[c][i] = samples[(at + i) * channels + c] / 32768.0f;
        }
        vorbis_analysis_wrote(&vd, static_cast<int>(n));  // 0 ends the stream
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) writePage(page);
            }
        }
        if (n == 0) break;
        at += n;
    }
    while (ogg_stream_flush(&os, &page)) writePage(page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace soundfiles
