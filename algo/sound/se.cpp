#include "algo/sound/se.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace {

void (*playHook)(const Sound&) = nullptr;

bool everyChannelBusy() {
    return Mix_Playing(-1) >= Mix_AllocateChannels(-1);
}

// The fixed messages say nothing of the file, so SDL's reason (shown by SDLError) carries it.
[[noreturn]] void raiseWithFile(const char* message, const std::string& path) {
    std::string reason = SDL_GetError();
    SDL_SetError("%s: %s", path.c_str(), reason.c_str());
    throw SDLError(message);
}

}  // namespace

void Sound::setPlayHook(void (*hook)(const Sound&)) {
    playHook = hook;
}

Sound::Sound(const std::string& path, bool loadNow)
    : path_(path), skipped_("no free mixer channel, effect skipped: " + path) {
    BASIC_ASSERT(!path.empty(), "Sound: empty path");
    if (loadNow) load();
    Audio_::instance().register_(this);
}

Sound::~Sound() {
    try {
        free();
    } catch (const std::exception& e) {
        log(std::string("Sound.free failed while destroying ") + path_ + ": " + e.what());
    }
    if (Audio_::exists()) Audio_::instance().unregister(this);
}

void Sound::load() {
    if (!audioOpened() || isLoaded()) return;
    log("start Sound.load");
    std::vector<std::uint8_t> bytes = read(path_);
    SDL_ClearError();
    SDL_RWops* stream = SDL_RWFromMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) raiseWithFile("メモリ設定失敗。@Sound.load", path_);
    chunk_ = Mix_LoadWAV_RW(stream, 1);  // decodes everything and closes the stream
    if (!chunk_) raiseWithFile("ロード失敗。@Sound.load", path_);
    Mix_VolumeChunk(chunk_, volume_);
    log("end Sound.load");
}

void Sound::free() {
    if (!audioOpened() || !isLoaded()) return;
    stop();
    Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
}

void Sound::start(int loops, const char* notLoaded, const char* failed) {
    if (!audioOpened()) return;
    if (!isLoaded())
        sdlinit::raise(notLoaded, path_ +
                                      ": not loaded (made before Audio_::open? load it, or "
                                      "Audio_::loadAll, once the mixer is open)");
    // A busy mixer must not end the game: the effect is dropped.
    if (!everyChannelBusy()) {
        SDL_ClearError();
        int ch = Mix_PlayChannelTimed(-1, chunk_, loops, -1);
        if (ch != -1) {
            channel_ = ch;
            if (playHook) playHook(*this);
            return;
        }
        if (!everyChannelBusy()) throw SDLError(failed);
    }
    log(skipped_);
}

void Sound::play() {
    start(0, "ロードしてないので鳴らせない。@Sound.play", "SE再生失敗。");
}

void Sound::playLoop() {
    start(-1, "ロードしてないので鳴らせない。@Sound.playLoop", "SE再生失敗。@Sound.playLoop");
}

void Sound::stop() {
    if (!audioOpened()) return;
    if (!isPlaying()) {
        channel_ = -1;
        return;
    }
    SDL_ClearError();
    if (Mix_HaltChannel(channel_) != 0)
        throw SDLError("Mix_HaltChannelがいつも0を返すとタカをくくっていた。@Sound.stop");
    channel_ = -1;
}

void Sound::setVolume(int volume) {
    BASIC_ASSERT(
        volume >= 0 && volume <= MIX_MAX_VOLUME,
        "Sound.setVolume: " + std::to_string(volume) + " is not from 0 to 128 (" + path_ + ")");
    volume_ = volume;
    if (audioOpened() && chunk_) Mix_VolumeChunk(chunk_, volume_);
}

// The channel counts only while it still carries this effect: once the effect ends another
// one may take the channel, and stop must not halt that one.
bool Sound::isPlaying() const {
    return audioOpened() && channel_ != -1 && Mix_Playing(channel_) == 1 &&
           Mix_GetChunk(channel_) == chunk_;
}

}  // namespace algo
