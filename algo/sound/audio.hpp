#pragma once
// The audio device and the registry of every music piece and sound effect.
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
// What Audio_ can do to any registered music or effect.
class SoundBase {
  public:
    virtual ~SoundBase() = default;
    virtual void load() = 0;
    virtual void free() = 0;
    virtual void play() = 0;
    virtual void playLoop() = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
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
    // Checks its arguments (assertion), closes first when open, then opens the mixer. A
    // device that will not open leaves the game silent: every sound operation does nothing.
    virtual void open(int frequency, std::uint16_t format, int channels, int chunksize);
    // Frees every registered object's data and closes the mixer (also when never opened).
    virtual void close();
    virtual void loadAll();
    virtual void freeAll();
    virtual void stopAll();
    // `register` is a reserved word in C++.
    virtual void register_(SoundBase* sound);
    virtual void unregister(SoundBase* sound);

    // Silences everything the mixer plays, music and effects, or lets it be heard again.
    // Only what is heard changes: what plays goes on, unheard. Stays across open and close.
    void setMuted(bool muted);
    bool isMuted() const { return muted_; }
    // Holds the music where it is and goes on from there. Effects are left alone; nothing
    // happens while the device is closed.
    void pauseMusic();
    void resumeMusic();
    bool isMusicPaused() const;

    /// Loudness of the music, 0 (silent) to 128 (as recorded, the default; SDL_mixer's
    /// MIX_MAX_VOLUME), for whatever music plays now or later. Kept across open and close.
    /// Other values are an assertion error.
    void setMusicVolume(int volume);
    int musicVolume() const { return musicVolume_; }
    /// How many effects can sound at once (mixer channels, 8 unless set); a play beyond that
    /// is skipped with a log line. Kept across open and close; below 1 or above 256 is an
    /// assertion error. Lowering it stops the effects on the channels taken away.
    void setChannels(int channels);
    int channels() const { return channels_; }

    bool isOpened() const { return opened_; }
    bool isRegistered(const SoundBase* sound) const;
    std::size_t registeredCount() const { return sounds_.size(); }

    // Keeps a sound object nobody else holds (the level music) until the run ends.
    template <class T>
    T& keep(std::unique_ptr<T> sound) {
        T& ref = *sound;
        kept_.push_back(std::move(sound));
        return ref;
    }

    virtual ~Audio_();

  private:
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

// True while sound operations should act: the device exists and is open.
bool audioOpened();

namespace audio {
void moduleStart();
void moduleEnd();
}  // namespace audio

}  // namespace algo
