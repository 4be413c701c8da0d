#include "algo/sound/music.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>
#include <stdexcept>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

bool tagAt(const std::vector<std::uint8_t>& b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

// A WAV file as the mixer's streamer walks it: chunks end exactly at their stated length (no
// pad byte), "fmt " comes first after any LIST and fact chunks, and a data chunk follows.
// Anything else makes that streamer free memory twice or search for ever.
std::string wavProblem(const std::vector<std::uint8_t>& b) {
    std::uint64_t at = 12;
    auto header = [&](const char*& what) {
        if (at + 8 > b.size()) {
            what = nullptr;
            return std::uint64_t{0};
        }
        what = reinterpret_cast<const char*>(b.data() + at);
        return std::uint64_t{le32(b, static_cast<std::size_t>(at) + 4)};
    };
    const char* tag = nullptr;
    for (;;) {
        std::uint64_t length = header(tag);
        if (!tag) return "no fmt chunk";
        if (std::memcmp(tag, "LIST", 4) != 0 && std::memcmp(tag, "fact", 4) != 0) break;
        if (length % 2 != 0) return "a LIST or fact chunk of odd length before the fmt chunk";
        at += 8 + length;
    }
    std::uint64_t length = header(tag);
    if (std::memcmp(tag, "fmt ", 4) != 0) return "the first chunk is not fmt";
    if (length < 16 || at + 8 + length > b.size()) return "a damaged fmt chunk";
    const std::size_t fmt = static_cast<std::size_t>(at) + 8;
    const unsigned encoding = b[fmt] | b[fmt + 1] << 8;
    const unsigned bits = b[fmt + 14] | b[fmt + 15] << 8;
    if (encoding != 1 || (bits != 8 && bits != 16)) return "not 8- or 16-bit PCM samples";
    at += 8 + length;
    for (;;) {
        length = header(tag);
        if (!tag) return "no data chunk";
        if (std::memcmp(tag, "data", 4) == 0) return {};
        at += 8 + length;
    }
}

// Why the mixer cannot be given these bytes to stream, or empty when it can. Only what is
// known to stream safely passes: another format (an AIFF file makes the mixer spin for
// ever) is refused before the mixer sees it.
std::string streamProblem(const std::vector<std::uint8_t>& b) {
    if (tagAt(b, 0, "OggS")) return {};
    if (tagAt(b, 0, "RIFF") && tagAt(b, 8, "WAVE")) {
        std::string problem = wavProblem(b);
        return problem.empty() ? problem : "a WAV file the mixer cannot stream (" + problem + ")";
    }
    std::string kind = "a file of unknown format";
    if (b.empty())
        kind = "an empty file";
    else if (tagAt(b, 0, "FORM"))
        kind = "an AIFF file";
    else if (tagAt(b, 0, "fLaC"))
        kind = "a FLAC file";
    else if (tagAt(b, 0, "MThd"))
        kind = "a MIDI file";
    else if (tagAt(b, 0, "ID3") || (b.size() > 1 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0))
        kind = "an MP3 file";
    return kind + ", which music does not stream";
}

}  // namespace

Music::Music(const std::string& path, bool loadNow) : path_(path) {
    BASIC_ASSERT(!path.empty(), "Music: empty path");
    if (loadNow) load();
    Audio_::instance().register_(this);
}

Music::~Music() {
    try {
        free();
    } catch (const std::exception& e) {
        log(std::string("Music.free failed while destroying ") + path_ + ": " + e.what());
    }
    if (Audio_::exists()) Audio_::instance().unregister(this);
}

void Music::load() {
    if (!audioOpened() || isLoaded()) return;
    log("start Music.load");
    // A stream left by an earlier failed load goes first, so nothing leaks.
    if (stream_) {
        SDL_RWclose(stream_);
        stream_ = nullptr;
    }
    bytes_ = read(path_);
    if (std::string problem = streamProblem(bytes_); !problem.empty()) {
        bytes_.clear();
        sdlinit::raise("音楽のロードに失敗。 @Music.load:" + path_,
                       path_ + ": " + problem +
                           "; music is streamed from Ogg Vorbis or PCM WAV files: convert it");
    }
    SDL_ClearError();
    stream_ = SDL_RWFromMem(bytes_.data(), static_cast<int>(bytes_.size()));
    if (!stream_) {
        bytes_.clear();
        throw SDLError("Error SDL_RWFromMem @Music.load:" + path_);
    }
    music_ = Mix_LoadMUS_RW(stream_);
    if (!music_) {
        SDL_RWclose(stream_);
        stream_ = nullptr;
        bytes_.clear();
        throw SDLError("音楽のロードに失敗。 @Music.load:" + path_);
    }
    log("end Music.load");
}

void Music::free() {
    if (!audioOpened()) return;
    if (isLoaded()) {
        stop();
        Mix_FreeMusic(music_);
        music_ = nullptr;
    }
    if (stream_) {
        SDL_RWclose(stream_);
        stream_ = nullptr;
        bytes_ = {};
    }
}

void Music::play() {
    if (!audioOpened()) return;
    if (!isLoaded()) throw std::runtime_error("ロードしてないので無理。(Music):" + path_);
    if (Mix_PlayMusic(music_, 0) != 0) throw std::runtime_error("音楽を鳴らせなかった。:" + path_);
}

void Music::playLoop() {
    if (!audioOpened()) return;
    if (!isLoaded()) throw std::runtime_error("ロードしてないので無理（ループ）。(Music):" + path_);
    if (Mix_PlayMusic(music_, -1) != 0)
        throw std::runtime_error("音楽を鳴らせなかった。（ループ）:" + path_);
}

void Music::stop() {
    if (!audioOpened()) return;
    if (!isPlaying()) return;
    SDL_ClearError();
    if (Mix_HaltMusic() != 0) throw SDLError("え？いつも0を返すんじゃないの？:" + path_);
}

bool Music::isPlaying() const {
    return audioOpened() && Mix_PlayingMusic() == 1;
}

}  // namespace algo
