#pragma once
// One music piece, decoded by the mixer from its file bytes while it plays.
#include <cstdint>
#include <string>
#include <vector>

#include "algo/sound/audio.hpp"

struct _Mix_Music;
struct SDL_RWops;

namespace algo {

/// One piece of music (Ogg Vorbis and the other formats the mixer reads), streamed while it
/// plays; only one plays at a time. The object owns the file's bytes and the mixer's handle;
/// it registers with Audio_, which frees its data when the device closes.
///
/// @code
/// algo::Music theme("data/theme.ogg", true);  // made after Audio_::open, loads at once
/// theme.playLoop();
/// if (theme.isPlaying()) theme.stop();
/// @endcode
class Music : public SoundBase {
  public:
    // Registers with Audio_; loads at once when loadNow (and the device is open).
    Music(const std::string& path, bool loadNow);
    ~Music() override;
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // All of these do nothing while the device is closed.
    void load() override;
    void free() override;
    void play() override;
    void playLoop() override;
    void stop() override;
    bool isPlaying() const override;
    bool isLoaded() const override { return music_ != nullptr; }

    const std::string& path() const { return path_; }
    bool hasStream() const { return stream_ != nullptr; }

  private:
    std::string path_;
    _Mix_Music* music_ = nullptr;
    SDL_RWops* stream_ = nullptr;
    std::vector<std::uint8_t> bytes_;  // the mixer reads these through stream_ while playing
};

}  // namespace algo
