#include "algo/sound/audio.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"

namespace algo {

namespace {

bool validFrequency(int f) {
    static const int kRates[] = {8000,  11025, 16000, 22050, 24000,
                                 32000, 33075, 40000, 44100, 48000};
    return std::find(std::begin(kRates), std::end(kRates), f) != std::end(kRates);
}

bool validFormat(std::uint16_t f) {
    static const std::uint16_t kFormats[] = {AUDIO_U8,     AUDIO_S8,     AUDIO_U16LSB,
                                             AUDIO_S16LSB, AUDIO_U16MSB, AUDIO_S16MSB};
    return std::find(std::begin(kFormats), std::end(kFormats), f) != std::end(kFormats);
}

// What silence is in the device's sample format, as two bytes repeated.
struct Silence {
    std::uint8_t bytes[2] = {0, 0};
} silence;

void setSilence(std::uint16_t format) {
    switch (format) {
        case AUDIO_U8:
            silence = {{0x80, 0x80}};
            break;
        case AUDIO_U16LSB:
            silence = {{0x00, 0x80}};
            break;
        case AUDIO_U16MSB:
            silence = {{0x80, 0x00}};
            break;
        default:
            silence = {{0, 0}};
    }
}

// Runs on the audio thread after everything is mixed, so muting needs no volume of its own
// and unmuting gives back exactly what was there.
void silenceAll(void*, Uint8* stream, int len) {
    if (silence.bytes[0] == silence.bytes[1]) {
        std::memset(stream, silence.bytes[0], static_cast<std::size_t>(len));
        return;
    }
    for (int i = 0; i < len; ++i) stream[i] = silence.bytes[i & 1];
}

void applyMute(bool muted) {
    Mix_SetPostMix(muted ? &silenceAll : nullptr, nullptr);
}

}  // namespace

void Audio_::open(int frequency, std::uint16_t format, int channels, int chunksize) {
    BASIC_ASSERT(validFrequency(frequency),
                 "unsupported audio frequency: " + std::to_string(frequency));
    BASIC_ASSERT(validFormat(format), "unsupported audio format: " + std::to_string(format));
    BASIC_ASSERT(channels == 1 || channels == 2,
                 "audio channels must be 1 or 2: " + std::to_string(channels));
    if (opened_) close();
    SDL_ClearError();
    if (Mix_OpenAudio(frequency, format, channels, chunksize) == 0) {
        opened_ = true;
        int rate = 0, outChannels = 0;
        Uint16 outFormat = format;
        Mix_QuerySpec(&rate, &outFormat, &outChannels);
        setSilence(outFormat);
        applyMute(muted_);
        Mix_AllocateChannels(channels_);
        Mix_VolumeMusic(musicVolume_);
    } else {
        // No exception: the game runs silent. One line says why.
        log(std::string("audio device not opened, running without sound: ") + Mix_GetError());
    }
}

void Audio_::close() {
    // The mixer closes even when freeing an object fails.
    struct Shut {
        bool& opened;
        ~Shut() {
            Mix_CloseAudio();
            opened = false;
        }
    } shut{opened_};
    freeAll();
}

void Audio_::setMuted(bool muted) {
    muted_ = muted;
    if (opened_) applyMute(muted_);
}

void Audio_::setMusicVolume(int volume) {
    BASIC_ASSERT(volume >= 0 && volume <= MIX_MAX_VOLUME,
                 "Audio_.setMusicVolume: " + std::to_string(volume) + " is not from 0 to 128");
    musicVolume_ = volume;
    if (opened_) Mix_VolumeMusic(musicVolume_);
}

void Audio_::setChannels(int channels) {
    BASIC_ASSERT(channels >= 1 && channels <= 256,
                 "Audio_.setChannels: " + std::to_string(channels) + " is not from 1 to 256");
    channels_ = channels;
    if (opened_) Mix_AllocateChannels(channels_);
}

void Audio_::pauseMusic() {
    if (opened_) Mix_PauseMusic();
}

void Audio_::resumeMusic() {
    if (opened_) Mix_ResumeMusic();
}

bool Audio_::isMusicPaused() const {
    return opened_ && Mix_PausedMusic() == 1;
}

// The visits copy the set first: an object's operation may construct or destroy others.
void Audio_::loadAll() {
    for (SoundBase* s : std::vector<SoundBase*>(sounds_.begin(), sounds_.end()))
        if (sounds_.count(s)) s->load();
}

void Audio_::freeAll() {
    for (SoundBase* s : std::vector<SoundBase*>(sounds_.begin(), sounds_.end()))
        if (sounds_.count(s)) s->free();
}

void Audio_::stopAll() {
    for (SoundBase* s : std::vector<SoundBase*>(sounds_.begin(), sounds_.end()))
        if (sounds_.count(s)) s->stop();
}

void Audio_::register_(SoundBase* sound) {
    BASIC_ASSERT(sound != nullptr, "Audio_.register: null sound");
    sounds_.insert(sound);
}

void Audio_::unregister(SoundBase* sound) {
    sounds_.erase(sound);
}

bool Audio_::isRegistered(const SoundBase* sound) const {
    return sounds_.count(const_cast<SoundBase*>(sound)) != 0;
}

Audio_::~Audio_() {
    // Kept objects unregister themselves as they go; the device is already closed.
    while (!kept_.empty()) kept_.pop_back();
}

bool audioOpened() {
    return Audio_::exists() && Audio_::instance().isOpened();
}

namespace audio {
namespace {
std::unique_ptr<basic::SingletonOwner<Audio_>> owner;
}

void moduleStart() {
    log("Audio ctor ..");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) throw SDLError("オーディオの初期化に失敗");
    owner = std::make_unique<basic::SingletonOwner<Audio_>>();
}

void moduleEnd() {
    log("Audio dtor ..");
    struct Finish {
        ~Finish() {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            owner.reset();
        }
    } finish;
    if (Audio_::exists()) Audio_::instance().close();
}

}  // namespace audio
}  // namespace algo
