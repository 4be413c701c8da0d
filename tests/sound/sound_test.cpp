// The sound modules against the real mixer. SDL's disk driver writes what is mixed to
// mixed.raw in the working directory (22050 Hz, signed 16-bit, stereo), so the tests can
// check that sound really comes out and that stopping really silences it.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "algo/sound/audio.hpp"
#include "algo/sound/music.hpp"
#include "algo/sound/se.hpp"
#include "algo/system/sdlinit.hpp"
#include "basic/assert.hpp"
#include "tests/sound/soundfiles.hpp"
#include "tests/support/testenv.hpp"

namespace {

constexpr int kRate = 22050;
constexpr std::size_t kBytesPerSecond = kRate * 2 * 2;

algo::Audio_& audio() {
    return algo::Audio_::instance();
}

void openDevice() {
    audio().open(kRate, AUDIO_S16LSB, 2, 1024);
}

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Bytes the disk driver has written so far.
std::size_t mixedSize() {
    std::error_code ec;
    auto n = std::filesystem::file_size("mixed.raw", ec);
    return ec ? 0 : static_cast<std::size_t>(n);
}

// Largest absolute sample in the mixed output from byte `from` to the end; -1 when the
// driver wrote (almost) nothing there, so a stalled output never passes as silence.
int loudestSince(std::size_t from) {
    std::string raw = testenv::readFile("mixed.raw");
    if (raw.size() < from + 4096) return -1;
    int loudest = 0;
    for (std::size_t i = from & ~std::size_t{1}; i + 1 < raw.size(); i += 2) {
        auto v = static_cast<std::int16_t>(static_cast<std::uint8_t>(raw[i]) |
                                           static_cast<std::uint8_t>(raw[i + 1]) << 8);
        loudest = std::max(loudest, std::abs(static_cast<int>(v)));
    }
    return loudest;
}

// Waits until the driver has written `seconds` more of output (the driver runs in real
// time; the bound only keeps a broken driver from hanging the test).
void waitOutput(double seconds) {
    std::size_t target = mixedSize() + static_cast<std::size_t>(seconds * kBytesPerSecond);
    for (int i = 0; i < 400 && mixedSize() < target; ++i) SDL_Delay(10);
}

class SoundTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::filesystem::create_directories("data");
        using namespace soundfiles;
        testenv::writeFile("data/beep.wav", wav(squareWave(kRate, 2, 1.0), kRate, 2));
        testenv::writeFile("data/blip.wav", wav(squareWave(kRate, 1, 0.05), kRate, 1));
        testenv::writeFile("data/tune.ogg", ogg(squareWave(kRate, 2, 0.3, 330), kRate, 2));
        testenv::writeFile("data/noise.wav", "RIFF\x10\0\0\0WAVEjunkjunkjunk");
        testenv::writeFile("data/noise.ogg", std::string("OggS") + std::string(200, '\x7f'));
    }
    void SetUp() override { openDevice(); }
    void TearDown() override {
        algo::Sound::setPlayHook(nullptr);
        audio().setMuted(false);
        audio().close();
    }
};

TEST_F(SoundTest, PlayedEffectAndLoopingMusicSoundUntilStopAll) {
    algo::Sound beep("data/beep.wav", true);
    algo::Music tune("data/tune.ogg", true);
    ASSERT_TRUE(beep.isLoaded());
    ASSERT_TRUE(tune.isLoaded());

    std::size_t start = mixedSize();
    waitOutput(0.2);
    EXPECT_EQ(loudestSince(start), 0) << "nothing plays yet";

    std::size_t before = mixedSize();
    beep.play();
    EXPECT_TRUE(beep.isPlaying());
    waitOutput(0.3);
    EXPECT_GT(loudestSince(before), 4000) << "the effect reaches the output";

    audio().stopAll();
    EXPECT_FALSE(beep.isPlaying());
    waitOutput(0.2);
    std::size_t quiet = mixedSize();
    waitOutput(0.3);
    EXPECT_EQ(loudestSince(quiet), 0) << "stopAll silences the effect";

    tune.playLoop();
    EXPECT_TRUE(tune.isPlaying());
    // The piece lasts 0.3 s; sound well after that shows it loops.
    waitOutput(1.0);
    std::size_t late = mixedSize();
    waitOutput(0.3);
    EXPECT_GT(loudestSince(late), 2000) << "the music keeps looping";
    EXPECT_TRUE(tune.isPlaying());

    audio().stopAll();
    EXPECT_FALSE(tune.isPlaying());
    waitOutput(0.2);
    quiet = mixedSize();
    waitOutput(0.3);
    EXPECT_EQ(loudestSince(quiet), 0) << "stopAll silences the music";
}

TEST_F(SoundTest, MuteSilencesEverythingUnheardAndPauseHoldsTheMusic) {
    algo::Sound beep("data/beep.wav", true);
    algo::Music tune("data/tune.ogg", true);
    tune.playLoop();
    audio().setMuted(true);
    beep.play();  // started while muted: it plays on, unheard
    waitOutput(0.2);
    std::size_t quiet = mixedSize();
    waitOutput(0.3);
    EXPECT_EQ(loudestSince(quiet), 0) << "muted";
    EXPECT_TRUE(beep.isPlaying());
    EXPECT_TRUE(tune.isPlaying());
    audio().setMuted(false);
    waitOutput(0.1);
    std::size_t back = mixedSize();
    waitOutput(0.2);
    EXPECT_GT(loudestSince(back), 4000) << "heard again";

    beep.stop();
    audio().pauseMusic();
    EXPECT_TRUE(audio().isMusicPaused());
    waitOutput(0.2);
    quiet = mixedSize();
    waitOutput(0.3);
    EXPECT_EQ(loudestSince(quiet), 0) << "the music holds";
    audio().resumeMusic();
    EXPECT_FALSE(audio().isMusicPaused());
    waitOutput(0.1);
    back = mixedSize();
    waitOutput(0.3);
    EXPECT_GT(loudestSince(back), 2000) << "the music goes on";

    // Muting outlives a reopen, also in a format whose silence is not zero bytes (the
    // output is converted to the driver's own signed format, where silence is zeros).
    audio().setMuted(true);
    audio().open(kRate, AUDIO_U8, 2, 1024);
    beep.load();
    beep.play();
    std::size_t from = mixedSize();
    waitOutput(0.3);
    std::string raw = testenv::readFile("mixed.raw");
    ASSERT_GT(raw.size(), from + 4096);
    EXPECT_EQ(raw.find_first_not_of('\0', from), std::string::npos) << "muted in 8 bits";
}

TEST_F(SoundTest, ClosedDeviceMakesEveryOperationANoOp) {
    audio().close();
    ASSERT_FALSE(audio().isOpened());
    std::string logBefore = testenv::logText();
    // Neither file exists: with the device closed not even the load is tried.
    auto effectOwner = std::make_unique<algo::Sound>("data/missing.wav", true);
    auto musicOwner = std::make_unique<algo::Music>("data/missing.ogg", true);
    auto& effect = *effectOwner;
    auto& music = *musicOwner;
    EXPECT_FALSE(effect.isLoaded());
    EXPECT_FALSE(music.isLoaded());
    EXPECT_NO_THROW({
        effect.load();
        effect.play();
        effect.playLoop();
        effect.stop();
        effect.free();
        music.load();
        music.play();
        music.playLoop();
        music.stop();
        music.free();
        audio().loadAll();
        audio().stopAll();
        audio().freeAll();
    });
    EXPECT_FALSE(effect.isPlaying());
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(countOf(testenv::logText(), "start "), countOf(logBefore, "start "));
    effectOwner.reset();
    musicOwner.reset();

    // Objects made while closed load once the device opens and loadAll runs.
    algo::Sound beep("data/beep.wav", true);
    openDevice();
    EXPECT_FALSE(beep.isLoaded());
    audio().loadAll();
    EXPECT_TRUE(beep.isLoaded());
    audio().freeAll();
}

TEST_F(SoundTest, PlayingUnloadedObjectsRaisesTheTwoDifferentErrors) {
    algo::Sound effect("data/beep.wav", false);
    algo::Music music("data/tune.ogg", false);
    try {
        effect.play();
        FAIL() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "ロードしてないので鳴らせない。@Sound.play");
    }
    try {
        effect.playLoop();
        FAIL() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "ロードしてないので鳴らせない。@Sound.playLoop");
    }
    // Music raises the plain run-time error, not the SDL one.
    try {
        music.play();
        FAIL() << "no error";
    } catch (const algo::SDLError&) {
        FAIL() << "SDLError for an unloaded music";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "ロードしてないので無理。(Music):data/tune.ogg");
    }
    try {
        music.playLoop();
        FAIL() << "no error";
    } catch (const algo::SDLError&) {
        FAIL() << "SDLError for an unloaded music";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "ロードしてないので無理（ループ）。(Music):data/tune.ogg");
    }
    // stop and free on unloaded objects are harmless.
    EXPECT_NO_THROW(effect.stop());
    EXPECT_NO_THROW(music.stop());
    EXPECT_NO_THROW(effect.free());
    EXPECT_NO_THROW(music.free());
}

TEST_F(SoundTest, ReopeningFreesEveryLoadedObjectAndLoadsNothing) {
    algo::Sound beep("data/beep.wav", true);
    algo::Sound blip("data/blip.wav", true);
    algo::Music tune("data/tune.ogg", true);
    tune.playLoop();
    beep.playLoop();
    ASSERT_TRUE(beep.isLoaded() && blip.isLoaded() && tune.isLoaded());

    openDevice();
    EXPECT_TRUE(audio().isOpened());
    EXPECT_FALSE(beep.isLoaded());
    EXPECT_FALSE(blip.isLoaded());
    EXPECT_FALSE(tune.isLoaded());
    EXPECT_FALSE(tune.hasStream());
    EXPECT_FALSE(tune.isPlaying());
    EXPECT_EQ(beep.channel(), -1);
    EXPECT_TRUE(audio().isRegistered(&beep) && audio().isRegistered(&tune));

    audio().loadAll();
    EXPECT_TRUE(beep.isLoaded() && blip.isLoaded() && tune.isLoaded());
    EXPECT_NO_THROW(tune.play());
}

TEST_F(SoundTest, LoadingTwiceLoadsOnceAndFreeingTwiceClosesTheStreamOnce) {
    algo::Music tune("data/tune.ogg", false);
    algo::Sound beep("data/beep.wav", false);
    std::string before = testenv::logText();
    tune.load();
    tune.load();
    beep.load();
    beep.load();
    std::string added = testenv::logText().substr(before.size());
    EXPECT_EQ(countOf(added, "start Music.load"), 1u);
    EXPECT_EQ(countOf(added, "end Music.load"), 1u);
    EXPECT_EQ(countOf(added, "start Sound.load"), 1u);
    EXPECT_EQ(countOf(added, "end Sound.load"), 1u);

    ASSERT_TRUE(tune.hasStream());
    tune.playLoop();
    tune.free();
    EXPECT_FALSE(tune.isLoaded());
    EXPECT_FALSE(tune.hasStream());
    EXPECT_FALSE(tune.isPlaying());
    tune.free();  // a second close of the stream would be a double free
    beep.free();
    beep.free();
    EXPECT_FALSE(beep.isLoaded());

    // A freed music loads and plays again from fresh bytes.
    tune.load();
    EXPECT_TRUE(tune.hasStream());
    EXPECT_NO_THROW(tune.playLoop());
}

TEST_F(SoundTest, DestroyedObjectsUnregisterThemselves) {
    std::size_t base = audio().registeredCount();
    const algo::SoundBase* gone = nullptr;
    {
        algo::Music tune("data/tune.ogg", true);
        algo::Sound beep("data/beep.wav", true);
        gone = &tune;
        EXPECT_EQ(audio().registeredCount(), base + 2);
        EXPECT_TRUE(audio().isRegistered(&tune));
        tune.playLoop();
    }
    EXPECT_EQ(audio().registeredCount(), base);
    EXPECT_FALSE(audio().isRegistered(gone));
    EXPECT_FALSE(Mix_PlayingMusic()) << "destroying a playing music stops it";
    // Visiting all must not reach the destroyed objects.
    EXPECT_NO_THROW(audio().stopAll());
    EXPECT_NO_THROW(audio().loadAll());

    // A music handed to Audio_ stays registered and loaded until the run ends.
    auto& kept = audio().keep(std::make_unique<algo::Music>("data/tune.ogg", true));
    EXPECT_TRUE(audio().isRegistered(&kept));
    EXPECT_TRUE(kept.isLoaded());
}

TEST_F(SoundTest, EffectWithoutAFreeChannelIsSkippedWithOneLogLine) {
    static std::vector<std::string> started;
    started.clear();
    algo::Sound::setPlayHook([](const algo::Sound& s) { started.push_back(s.path()); });

    const int channels = Mix_AllocateChannels(-1);
    ASSERT_GT(channels, 0);
    std::vector<std::unique_ptr<algo::Sound>> busy;
    for (int i = 0; i < channels; ++i) {
        busy.push_back(std::make_unique<algo::Sound>("data/beep.wav", true));
        busy.back()->playLoop();
    }
    EXPECT_EQ(started.size(), static_cast<std::size_t>(channels));

    algo::Sound late("data/blip.wav", true);
    std::string before = testenv::logText();
    EXPECT_NO_THROW(late.play());
    EXPECT_NO_THROW(late.playLoop());
    std::string added = testenv::logText().substr(before.size());
    EXPECT_EQ(countOf(added, "no free mixer channel, effect skipped: data/blip.wav\n"), 2u);
    EXPECT_EQ(late.channel(), -1);
    EXPECT_FALSE(late.isPlaying());
    EXPECT_EQ(started.size(), static_cast<std::size_t>(channels)) << "skipped: not reported";

    // Once a channel frees up the effect plays again and is reported.
    busy.front()->stop();
    late.play();
    EXPECT_NE(late.channel(), -1);
    ASSERT_EQ(started.size(), static_cast<std::size_t>(channels) + 1);
    EXPECT_EQ(started.back(), "data/blip.wav");
}

TEST_F(SoundTest, StopHaltsOnlyTheEffectsOwnChannel) {
    algo::Sound beep("data/beep.wav", true);
    algo::Sound blip("data/blip.wav", true);
    algo::Sound never("data/blip.wav", true);

    beep.play();
    never.stop();  // never played: nothing to halt
    EXPECT_TRUE(beep.isPlaying());
    EXPECT_EQ(never.channel(), -1);

    // blip ends on its own; beep then takes blip's channel. blip must not claim it.
    beep.stop();
    blip.play();
    int channel = blip.channel();
    waitOutput(0.3);
    EXPECT_FALSE(blip.isPlaying());
    beep.play();
    ASSERT_EQ(beep.channel(), channel);
    blip.stop();
    EXPECT_TRUE(beep.isPlaying()) << "stopping a finished effect halted another one";
    EXPECT_EQ(blip.channel(), -1);

    // Playing again while still sounding moves to a new channel; stop halts that one only.
    int first = beep.channel();
    beep.play();
    int second = beep.channel();
    EXPECT_NE(first, second);
    beep.stop();
    EXPECT_EQ(Mix_Playing(second), 0);
    EXPECT_EQ(Mix_Playing(first), 1);
    audio().stopAll();
}

TEST_F(SoundTest, DamagedOrMissingFilesRaiseErrorsNamingTheFile) {
    std::size_t base = audio().registeredCount();
    try {
        algo::Sound bad("data/noise.wav", true);
        FAIL() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "ロード失敗。@Sound.load");
        EXPECT_NE(e.toString().find("data/noise.wav"), std::string::npos) << e.toString();
    }
    try {
        algo::Music bad("data/noise.ogg", true);
        FAIL() << "no error";
    } catch (const algo::SDLError& e) {
        EXPECT_STREQ(e.what(), "音楽のロードに失敗。 @Music.load:data/noise.ogg");
    }
    EXPECT_EQ(audio().registeredCount(), base) << "a failed construction leaves no entry";

    algo::Music later("data/noise.ogg", false);
    EXPECT_THROW(later.load(), algo::SDLError);
    EXPECT_FALSE(later.isLoaded());
    EXPECT_FALSE(later.hasStream()) << "the failed load's stream is closed";
    EXPECT_THROW(later.load(), algo::SDLError) << "and a retry fails the same way";

    for (const char* path : {"data/none.wav", "none.wav"}) {
        try {
            algo::Sound missing(path, true);
            FAIL() << "no error for " << path;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(algo::Music("data/none.ogg", true), std::exception);
}

// Big-endian and little-endian 32-bit fields, and one chunk of a RIFF or IFF file.
std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
std::string chunk(const char* tag, const std::string& body, bool bigEndian) {
    return tag + (bigEndian ? be32 : le32)(static_cast<std::uint32_t>(body.size())) + body;
}

// An AIFF file as many tools write it: an annotation of odd length (with its pad byte) before
// the sound. The mixer's streamer searches such a file for ever.
std::string aiff() {
    const std::uint32_t frames = 2205;
    std::string comm = std::string("\0\1", 2) + be32(frames) + std::string("\0\x10", 2) +
                       std::string("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10);  // 22050 Hz
    std::string ssnd = be32(0) + be32(0) + std::string(frames * 2, '\x10');
    std::string body = "AIFF" + chunk("ANNO", "hello", true) + std::string(1, '\0') +
                       chunk("COMM", comm, true) + chunk("SSND", ssnd, true);
    return "FORM" + be32(static_cast<std::uint32_t>(body.size())) + body;
}

TEST_F(SoundTest, MusicTakesOnlyWhatTheMixerStreamsSafely) {
    using namespace soundfiles;
    const std::string wave = wav(squareWave(kRate, 1, 0.5), kRate, 1);
    const std::string fmt = wave.substr(12, 8 + 16);  // the fmt chunk of that file
    const std::string data = wave.substr(12 + 8 + 16);
    auto riff = [](const std::string& body) {
        return "RIFF" + le32(static_cast<std::uint32_t>(body.size() + 4)) + "WAVE" + body;
    };
    struct Case {
        const char* path;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {"data/annotated.aiff", aiff(), "an AIFF file"},
        {"data/list.wav", riff(chunk("LIST", "hello", false) + std::string(1, '\0') + fmt + data),
         "a LIST or fact chunk of odd length"},
        {"data/nodata.wav", riff(fmt), "no data chunk"},
        {"data/datafirst.wav", riff(data + fmt), "the first chunk is not fmt"},
        {"data/empty.ogg", "", "an empty file"},
        {"data/song.mid", "MThd" + be32(6) + std::string(6, '\0'), "a MIDI file"},
    };
    for (const Case& c : cases) {
        testenv::writeFile(c.path, c.bytes);
        algo::Music m(c.path, false);
        try {
            m.load();
            ADD_FAILURE() << c.path << " was given to the mixer";
        } catch (const algo::SDLError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("音楽のロードに失敗。 @Music.load:") + c.path);
            const std::string line = e.toString();
            EXPECT_NE(line.find(std::string(c.path) + ": "), std::string::npos) << line;
            EXPECT_NE(line.find(c.problem), std::string::npos) << line;
            EXPECT_NE(line.find("Ogg Vorbis or PCM WAV"), std::string::npos) << line;
        }
        EXPECT_FALSE(m.isLoaded());
        EXPECT_FALSE(m.hasStream());
    }
    // A plain WAV file, and one with an even-length LIST chunk first, stream as music.
    testenv::writeFile("data/plain.wav", wave);
    testenv::writeFile("data/listed.wav", riff(chunk("LIST", "INFO", false) + fmt + data));
    for (const char* path : {"data/plain.wav", "data/listed.wav"}) {
        algo::Music m(path, true);
        ASSERT_TRUE(m.isLoaded()) << path;
        std::size_t before = mixedSize();
        m.play();
        waitOutput(0.3);
        EXPECT_GT(loudestSince(before), 4000) << path;
        m.stop();
    }
}

// Effects at a quarter of their loudness, music at none, and a mixer of two channels: heard
// in what the mixer writes, and kept across closing and opening the device.
TEST_F(SoundTest, VolumesAndChannelsReachTheOutputAndOutliveTheDevice) {
    algo::Sound beep("data/beep.wav", true);
    EXPECT_EQ(beep.volume(), 128);
    beep.setVolume(32);
    std::size_t before = mixedSize();
    beep.play();
    waitOutput(0.3);
    const int quarter = loudestSince(before);
    EXPECT_GT(quarter, 1500);
    EXPECT_LT(quarter, 2500);  // 8000 at full loudness
    beep.stop();

    audio().close();
    openDevice();  // frees the effect; loading again keeps its volume
    beep.load();
    EXPECT_EQ(beep.volume(), 32);
    before = mixedSize();
    beep.play();
    waitOutput(0.3);
    EXPECT_LT(loudestSince(before), 2500);
    beep.setVolume(128);  // while it sounds
    waitOutput(0.2);
    before = mixedSize();
    waitOutput(0.2);
    EXPECT_GT(loudestSince(before), 6000);
    audio().stopAll();

    audio().setMusicVolume(0);
    algo::Music tune("data/tune.ogg", true);
    tune.playLoop();
    waitOutput(0.2);
    before = mixedSize();
    waitOutput(0.3);
    EXPECT_EQ(loudestSince(before), 0) << "music at volume 0 is silent";
    audio().setMusicVolume(128);
    waitOutput(0.2);
    before = mixedSize();
    waitOutput(0.3);
    EXPECT_GT(loudestSince(before), 2000);
    audio().stopAll();

    audio().setChannels(2);
    audio().close();
    openDevice();
    EXPECT_EQ(audio().channels(), 2);
    EXPECT_EQ(Mix_AllocateChannels(-1), 2);
    algo::Sound a("data/beep.wav", true), b("data/beep.wav", true), c("data/blip.wav", true);
    a.playLoop();
    b.playLoop();
    c.play();
    EXPECT_EQ(c.channel(), -1) << "a third effect on two channels is skipped";
    audio().stopAll();
    audio().setChannels(8);
    audio().setMusicVolume(128);
    EXPECT_THROW(beep.setVolume(129), basic::AssertError);
    EXPECT_THROW(audio().setMusicVolume(-1), basic::AssertError);
    EXPECT_THROW(audio().setChannels(0), basic::AssertError);
}

TEST_F(SoundTest, BrokenPreconditionsAreAssertionFailures) {
    EXPECT_THROW(algo::Sound("", false), basic::AssertError);
    EXPECT_THROW(algo::Music("", true), basic::AssertError);
    EXPECT_THROW(audio().open(22000, AUDIO_S16LSB, 2, 1024), basic::AssertError);
    EXPECT_THROW(audio().open(kRate, 0x0020, 2, 1024), basic::AssertError);
    EXPECT_THROW(audio().open(kRate, AUDIO_S16LSB, 0, 1024), basic::AssertError);
    EXPECT_THROW(audio().open(kRate, AUDIO_S16LSB, 3, 1024), basic::AssertError);
    EXPECT_THROW(audio().register_(nullptr), basic::AssertError);
    EXPECT_TRUE(audio().isOpened()) << "a refused open leaves the device as it was";
    // Every listed rate and format is accepted.
    for (int rate : {8000, 11025, 16000, 22050, 24000, 32000, 33075, 40000, 44100, 48000})
        EXPECT_NO_THROW(audio().open(rate, AUDIO_S16LSB, 1, 1024)) << rate;
    for (std::uint16_t format : {0x0008, 0x8008, 0x0010, 0x8010, 0x1010, 0x9010})
        EXPECT_NO_THROW(audio().open(kRate, format, 2, 1024)) << format;
}

TEST(AudioModule, LogsItsStartAndLeavesTheDeviceClosed) {
    EXPECT_NE(testenv::logText().find("Audio ctor ..\n"), std::string::npos);
}

}  // namespace
