#pragma once
/// @file
/// One music piece, decoded by the mixer from its file bytes while it plays.
#include <cstdint>
#include <string>
#include <vector>

#include "algo/sound/audio.hpp"

struct _Mix_Music;
struct SDL_RWops;

namespace algo {

/// One piece of music (an Ogg Vorbis or PCM WAV file), streamed while it plays; only one
/// plays at a time. The object owns the file's bytes and the mixer's handle; it registers
/// with Audio_, which frees its data when the device closes. While the device is closed every
/// operation does nothing (and isPlaying is false).
///
/// @code
/// algo::Music theme("data/theme.ogg", true);  // made after Audio_::open, loads at once
/// theme.playLoop();
/// if (theme.isPlaying()) theme.stop();
/// @endcode
class Music : public SoundBase {
  public:
    /// Loads at once when loadNow (and the device is open), with load's errors, then
    /// registers with Audio_ (which must exist: inside the engine's run). An empty path is an
    /// AssertError.
    Music(const std::string& path, bool loadNow);
    /// Frees (a failure is logged, not thrown) and leaves the registry.
    ~Music() override;
    /// Not copyable: the object owns its data and its place in the registry.
    Music(const Music&) = delete;
    /// Not copyable: the object owns its data and its place in the registry.
    Music& operator=(const Music&) = delete;

    /// Reads the file through the resource reader (whose errors pass through), unless loaded
    /// already; logs "start Music.load" and "end Music.load". Ogg Vorbis and PCM WAV files
    /// (8- or 16-bit samples, laid out as the mixer's streamer reads them) are taken; anything
    /// else (AIFF, MP3, MIDI, FLAC, another WAV) is refused before the mixer sees it with
    /// SDLError "音楽のロードに失敗。 @Music.load:" + path, whose reason names the file and the
    /// problem. The same message when the mixer cannot read it; "Error SDL_RWFromMem
    /// @Music.load:" + path when SDL cannot stream the bytes.
    void load() override;
    /// Stops the music (see stop) when loaded, and lets the handle and the bytes go.
    void free() override;
    /// Plays the piece once from the start, in place of any music playing. std::runtime_error
    /// "ロードしてないので無理。(Music):" + path when not loaded, "音楽を鳴らせなかった。:"
    /// + path when the mixer refuses.
    void play() override;
    /// Plays the piece over and over until stopped. std::runtime_error
    /// "ロードしてないので無理（ループ）。(Music):" + path when not loaded,
    /// "音楽を鳴らせなかった。（ループ）:" + path when the mixer refuses.
    void playLoop() override;
    /// Halts the music playing. The mixer plays one piece and does not say which: this stops
    /// whatever music plays, this piece or another. SDLError
    /// "え？いつも0を返すんじゃないの？:" + path when the mixer refuses (it never does).
    void stop() override;
    /// Whether music is playing (paused counts), this piece or another: see stop.
    bool isPlaying() const override;
    /// Whether the mixer holds this piece.
    bool isLoaded() const override { return music_ != nullptr; }

    /// The path given when it was made.
    const std::string& path() const { return path_; }
    /// Whether it holds the stream of bytes the mixer reads while playing (loaded).
    bool hasStream() const { return stream_ != nullptr; }

  private:
    std::string path_;
    _Mix_Music* music_ = nullptr;
    SDL_RWops* stream_ = nullptr;
    std::vector<std::uint8_t> bytes_;  // the mixer reads these through stream_ while playing
};

}  // namespace algo
