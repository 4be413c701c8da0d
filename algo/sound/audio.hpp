#pragma once
/// @file
/// The audio device and the registry of every music piece and sound effect.
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "basic/singleton.hpp"

namespace algo {

/// The operations Music and Sound share, so Audio_ can load, free or stop all of them. Every
/// one does nothing while the audio device is closed.
///
/// @code
/// std::vector<algo::SoundBase*> all = {&theme, &jump};
/// for (algo::SoundBase* s : all) s->stop();
/// @endcode
class SoundBase {
  public:
    /// Music and Sound leave Audio_'s registry when destroyed.
    virtual ~SoundBase() = default;
    /// Reads and decodes the file, when not loaded yet.
    virtual void load() = 0;
    /// Stops it and lets the decoded data go; load() brings it back.
    virtual void free() = 0;
    /// Plays it once from the start.
    virtual void play() = 0;
    /// Plays it from the start, over and over until stopped.
    virtual void playLoop() = 0;
    /// Stops it when it plays.
    virtual void stop() = 0;
    /// Whether it is sounding now.
    virtual bool isPlaying() const = 0;
    /// Whether its data is loaded.
    virtual bool isLoaded() const = 0;
};

/// The audio device and the registry of every Music and Sound: each registers itself when
/// made and leaves when destroyed. The singleton lives from the engine's start to its end;
/// the device is closed until open(), and while it is closed (or failed to open) every sound
/// operation does nothing. open() on an open device frees every sound first.
///
/// @code
/// auto& audio = algo::Audio_::instance();
/// audio.open(22050, AUDIO_S16LSB, 2, 1024);  // before making sounds
/// audio.stopAll();                           // silence for a game-over screen
/// audio.setMusicVolume(64);                  // the music at half, under the effects
/// audio.setChannels(16);                     // up to 16 effects at once
/// audio.keep(std::make_unique<algo::Music>("data/theme.ogg", true)).playLoop();
/// @endcode
class Audio_ : public basic::Singleton<Audio_> {
  public:
    /// Opens the mixer: `frequency` samples a second (8000, 11025, 16000, 22050, 24000, 32000,
    /// 33075, 40000, 44100 or 48000), `format` one of AUDIO_U8, AUDIO_S8, AUDIO_U16LSB,
    /// AUDIO_S16LSB, AUDIO_U16MSB, AUDIO_S16MSB (from SDL.h), `channels` 1 (mono) or 2
    /// (stereo), `chunksize` samples mixed at a time (1024, say: more is steadier and later).
    /// Another frequency, format or channel count is an AssertError. An open device is closed
    /// first (every sound's data is freed). A device that will not open is no error: the log says
    /// "audio device not opened, running without sound: " and SDL's reason, and the game runs
    /// silent (every sound operation does nothing).
    virtual void open(int frequency, std::uint16_t format, int channels, int chunksize);
    /// Frees every registered object's data and closes the mixer (also when never opened).
    virtual void close();
    /// load() of every registered object: after open, for sounds made before it. Nothing
    /// while the device is closed; a load's error passes through and ends the walk.
    virtual void loadAll();
    /// free() of every registered object.
    virtual void freeAll();
    /// stop() of every registered object: silence, music and effects.
    virtual void stopAll();
    /// Adds a sound to the registry (Music and Sound do it themselves when made); null is an
    /// AssertError. The name has an underscore because `register` is a reserved word in C++.
    virtual void register_(SoundBase* sound);
    /// Takes a sound out of the registry (Music and Sound do it when destroyed); an absent one
    /// is fine.
    virtual void unregister(SoundBase* sound);

    /// Silences everything the mixer plays, music and effects, or lets it be heard again.
    /// Only what is heard changes: what plays goes on, unheard. Stays across open and close.
    void setMuted(bool muted);
    /// Whether setMuted(true) is in force.
    bool isMuted() const { return muted_; }
    /// Holds the music where it is, to go on from there with resumeMusic. Effects are left
    /// alone; nothing happens while the device is closed.
    void pauseMusic();
    /// Goes on with music held by pauseMusic; nothing while the device is closed.
    void resumeMusic();
    /// True while the music is held by pauseMusic; false while the device is closed.
    bool isMusicPaused() const;

    /// Loudness of the music, 0 (silent) to 128 (as recorded, the default; SDL_mixer's
    /// MIX_MAX_VOLUME), for whatever music plays now or later. Kept across open and close.
    /// Other values are an assertion error.
    void setMusicVolume(int volume);
    /// The music's loudness, 0 to 128.
    int musicVolume() const { return musicVolume_; }
    /// How many effects can sound at once (mixer channels, 8 unless set); a play beyond that
    /// is skipped with a log line. Kept across open and close; below 1 or above 256 is an
    /// assertion error. Lowering it stops the effects on the channels taken away.
    void setChannels(int channels);
    /// How many effects can sound at once (8 unless set).
    int channels() const { return channels_; }

    /// True while the device is open (open succeeded and close has not come since).
    bool isOpened() const { return opened_; }
    /// Whether the sound is in the registry.
    bool isRegistered(const SoundBase* sound) const;
    /// How many sounds are in the registry.
    std::size_t registeredCount() const { return sounds_.size(); }

    /// Keeps a sound object nobody else holds (the level music) until Audio_ goes at the
    /// engine's end, and returns it.
    template <class T>
    T& keep(std::unique_ptr<T> sound) {
        T& ref = *sound;
        kept_.push_back(std::move(sound));
        return ref;
    }

    /// Destroys the kept objects; the module's end has closed the device already.
    virtual ~Audio_();

  private:
    /// The audio module's start makes the one Audio_; nothing else may.
    template <class U, class... Args>
    friend class basic::SingletonOwner;
    Audio_() = default;

    bool opened_ = false;
    bool muted_ = false;
    int musicVolume_ = 128;
    int channels_ = 8;  // SDL_mixer's own number when it opens
    std::set<SoundBase*> sounds_;
    std::vector<std::unique_ptr<SoundBase>> kept_;
};

/// True while sound operations should act: Audio_ exists and its device is open.
bool audioOpened();

/// The audio module: SDL's audio subsystem and the mixer's singleton.
namespace audio {
/// The module's start, run by algo::Engine: logs "Audio ctor ..", starts SDL's audio
/// subsystem (SDLError "オーディオの初期化に失敗" when it will not) and makes Audio_, closed.
/// Programs do not call it.
void moduleStart();
/// The module's end, run by algo::Engine: logs "Audio dtor ..", closes the device (freeing
/// every sound's data), stops the subsystem and destroys Audio_.
void moduleEnd();
}  // namespace audio

}  // namespace algo
