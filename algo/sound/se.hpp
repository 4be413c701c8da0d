#pragma once
/// @file
/// One sound effect, decoded whole at load and played on a free mixer channel.
#include <string>

#include "algo/sound/audio.hpp"

struct Mix_Chunk;

namespace algo {

/// One sound effect, decoded whole when loaded and played on a free mixer channel. The object
/// owns the decoded sound; it registers with Audio_, which frees it when the device closes.
/// While the device is closed every operation does nothing (and isPlaying is false).
///
/// @code
/// algo::Sound jump("data/jump.wav", true);  // made after Audio_::open, loads at once
/// jump.play();                              // again while it sounds: a second channel
/// jump.stop();                              // only the latest one
/// jump.setVolume(64);                       // half as loud, from its next play on
/// @endcode
class Sound : public SoundBase {
  public:
    /// Loads at once when loadNow (and the device is open), with load's errors, then
    /// registers with Audio_ (which must exist: inside the engine's run). An empty path is an
    /// AssertError.
    Sound(const std::string& path, bool loadNow);
    /// Frees (a failure is logged, not thrown) and leaves the registry.
    ~Sound() override;
    /// Not copyable: the object owns its data and its place in the registry.
    Sound(const Sound&) = delete;
    /// Not copyable: the object owns its data and its place in the registry.
    Sound& operator=(const Sound&) = delete;

    /// Reads the file through the resource reader (whose errors pass through) and decodes it
    /// whole (a WAV file, or another format the mixer decodes), unless loaded already; logs
    /// "start Sound.load" and "end Sound.load". SDLError "メモリ設定失敗。@Sound.load" or
    /// "ロード失敗。@Sound.load", whose SDL reason begins with the path.
    void load() override;
    /// Stops it and lets the decoded sound go; nothing when not loaded.
    void free() override;
    /// Plays the effect once on a free channel (again while it sounds: on another channel).
    /// With every mixer channel busy the effect is skipped with the log line
    /// "no free mixer channel, effect skipped: " + path. SDLError
    /// "ロードしてないので鳴らせない。@Sound.play" when not loaded (the reason says why and
    /// what to do), "SE再生失敗。" when the mixer refuses.
    void play() override;
    /// As play, but over and over until stopped; the messages end in "@Sound.playLoop"
    /// ("SE再生失敗。@Sound.playLoop").
    void playLoop() override;
    /// Halts the latest play, when its channel still sounds this effect. SDLError
    /// "Mix_HaltChannelがいつも0を返すとタカをくくっていた。@Sound.stop" when the mixer refuses
    /// (it never does).
    void stop() override;
    /// Whether the latest play still sounds: its channel plays and carries this effect.
    bool isPlaying() const override;
    /// Whether the decoded sound is held.
    bool isLoaded() const override { return chunk_ != nullptr; }

    /// The path given when it was made.
    const std::string& path() const { return path_; }
    /// Mixer channel of the latest play, -1 when none (or stopped).
    int channel() const { return channel_; }

    /// Loudness of this effect, 0 (silent) to 128 (as recorded, the default; SDL_mixer's
    /// MIX_MAX_VOLUME). Kept across free and load; plays already sounding change too. Other
    /// values are an assertion error.
    void setVolume(int volume);
    /// The effect's loudness, 0 to 128.
    int volume() const { return volume_; }

    /// Called for every effect that actually starts (play or playLoop), after it started; null
    /// for none. One hook per program: the replay runner's trace of sounds uses it.
    static void setPlayHook(void (*hook)(const Sound&));

  private:
    void start(int loops, const char* notLoaded, const char* failed);

    std::string path_;
    std::string skipped_;  // the line a skipped effect logs, made once: play never allocates
    Mix_Chunk* chunk_ = nullptr;
    int channel_ = -1;
    int volume_ = 128;
};

}  // namespace algo
