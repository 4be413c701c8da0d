#pragma once
// One sound effect, decoded whole at load and played on a free mixer channel.
#include <string>

#include "algo/sound/audio.hpp"

struct Mix_Chunk;

namespace algo {

/// One sound effect, decoded whole when loaded and played on a free mixer channel. The object
/// owns the decoded sound; it registers with Audio_, which frees it when the device closes.
///
/// @code
/// algo::Sound jump("data/jump.wav", true);  // made after Audio_::open, loads at once
/// jump.play();                              // again while it sounds: a second channel
/// jump.stop();                              // only the latest one
/// jump.setVolume(64);                       // half as loud, from its next play on
/// @endcode
class Sound : public SoundBase {
  public:
    // Registers with Audio_; loads at once when loadNow (and the device is open).
    Sound(const std::string& path, bool loadNow);
    ~Sound() override;
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // All of these do nothing while the device is closed. With every mixer channel busy,
    // play and playLoop skip the effect and log one line.
    void load() override;
    void free() override;
    void play() override;
    void playLoop() override;
    void stop() override;
    bool isPlaying() const override;
    bool isLoaded() const override { return chunk_ != nullptr; }

    const std::string& path() const { return path_; }
    // Channel of the latest play, -1 when none.
    int channel() const { return channel_; }

    /// Loudness of this effect, 0 (silent) to 128 (as recorded, the default; SDL_mixer's
    /// MIX_MAX_VOLUME). Kept across free and load; plays already sounding change too. Other
    /// values are an assertion error.
    void setVolume(int volume);
    int volume() const { return volume_; }

    // Called for every effect that actually starts (play or playLoop); null for none.
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
