#include "algo/sound/music.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <stdexcept>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

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
    if (isPlaying() && Mix_HaltMusic() != 0)
        throw SDLError("え？いつも0を返すんじゃないの？:" + path_);
}

bool Music::isPlaying() const {
    return audioOpened() && Mix_PlayingMusic() == 1;
}

}  // namespace algo
