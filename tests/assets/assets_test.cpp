// The staged game data, read the way the game reads it (SDL_image, SDL_mixer), and assetgen's
// handling of broken sources.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <vorbis/vorbisfile.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/testenv.hpp"

namespace {

std::string dataDir() {
    return testenv::binaryDir() + "/data/";
}

using SurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

SurfacePtr load(const std::string& name) {
    SurfacePtr s(IMG_Load((dataDir() + name).c_str()), SDL_FreeSurface);
    if (!s) ADD_FAILURE() << name << ": " << IMG_GetError();
    return s;
}

// Raw pixel value (palette index for 8-bit pictures).
std::uint32_t pixel(SDL_Surface* s, int x, int y) {
    const auto* p =
        static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 1:
            return *p;
        case 2:
            return *reinterpret_cast<const std::uint16_t*>(p);
        case 4:
            return *reinterpret_cast<const std::uint32_t*>(p);
        default:
            return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    }
}

SDL_Color rgb(SDL_Surface* s, int x, int y) {
    SDL_Color c{0, 0, 0, 0};
    SDL_GetRGB(pixel(s, x, y), s->format, &c.r, &c.g, &c.b);
    return c;
}

bool isKey(SDL_Surface* s, int x, int y) {
    return pixel(s, x, y) == pixel(s, 0, 0);
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs assetgen with arguments; returns the exit status and what it printed.
int runAssetgen(const std::string& args, std::string& output) {
    std::string cmd = std::string(ASSETGEN_PATH) + " " + args + " 2>&1";
    output.clear();
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---------------------------------------------------------------- pictures

struct Picture {
    const char* name;
    int w, h;
    bool keyed;
    int x, y;  // where the game draws it
};

// Sizes are fixed by where the scenes draw the pictures; a change here must keep them on
// screen and clear of each other (see the layout test).
const Picture kPictures[] = {
    {"map.bmp", 64, 64, true, 0, 0},           {"chara.bmp", 80, 96, true, 0, 0},
    {"logo.bmp", 152, 104, false, 180, 180},   {"clear.bmp", 72, 24, true, 220, 117},
    {"gameover.bmp", 424, 52, false, 44, 230}, {"otu.bmp", 112, 56, false, 200, 64},
    {"result.bmp", 212, 40, true, 150, 150},   {"result2.bmp", 64, 32, true, 400, 290},
    {"rank0.bmp", 152, 96, false, 180, 400},   {"rank1.bmp", 152, 96, false, 180, 400},
    {"rank2.bmp", 152, 96, false, 180, 400},   {"rank3.bmp", 152, 96, false, 180, 400},
    {"rank4.bmp", 152, 96, false, 180, 400},
};

TEST(Pictures, LoadWithTheirSizesAndKeyablePixelFormats) {
    for (const auto& p : kPictures) {
        SCOPED_TRACE(p.name);
        auto s = load(p.name);
        if (!s) continue;
        EXPECT_EQ(s->w, p.w);
        EXPECT_EQ(s->h, p.h);
        if (p.keyed) {
            // The colour key is read from the top-left pixel at 1, 2 or 4 bytes per pixel.
            int bpp = s->format->BytesPerPixel;
            EXPECT_TRUE(bpp == 1 || bpp == 2 || bpp == 4) << bpp;
            int keyPixels = 0, shown = 0;
            for (int y = 0; y < s->h; ++y)
                for (int x = 0; x < s->w; ++x) (isKey(s.get(), x, y) ? keyPixels : shown)++;
            EXPECT_GT(keyPixels, 0);
            EXPECT_GT(shown, 0) << "a keyed picture that draws nothing";
        }
    }
}

TEST(Pictures, DigitsAreKeyedNarrowEnoughAndAlike) {
    int height = -1;
    for (std::string c : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "."}) {
        SCOPED_TRACE(c);
        auto s = load(c + ".bmp");
        if (!s) continue;
        EXPECT_LE(s->w, 48) << "digits stand 48 pixels apart";
        EXPECT_EQ(s->format->BytesPerPixel, 1);
        if (height < 0) height = s->h;
        EXPECT_EQ(s->h, height);
        // The dot sits low, the digits reach the top half.
        int top = s->h;
        for (int y = 0; y < s->h && top == s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                if (!isKey(s.get(), x, y)) {
                    top = y;
                    break;
                }
        if (c == ".")
            EXPECT_GT(top, s->h / 2);
        else
            EXPECT_LT(top, s->h / 3);
    }
}

TEST(Pictures, FinalScreenLayoutStaysOnScreenAndApart) {
    std::map<std::string, SDL_Rect> at;
    for (const auto& p : kPictures) {
        auto s = load(p.name);
        if (!s) return;
        at[p.name] = SDL_Rect{static_cast<Sint16>(p.x), static_cast<Sint16>(p.y),
                              static_cast<Uint16>(s->w), static_cast<Uint16>(s->h)};
        EXPECT_LE(p.x + s->w, 512) << p.name;
        EXPECT_LE(p.y + s->h, 512) << p.name;
    }
    auto digit = load("0.bmp");
    ASSERT_TRUE(digit);
    // Digits sway up to 30 pixels around (80 + 48 i, 260).
    int digitsTop = 260 - 30, digitsBottom = 260 + digit->h + 30;
    EXPECT_LE(at["otu.bmp"].y + at["otu.bmp"].h, at["result.bmp"].y);
    EXPECT_LE(at["result.bmp"].y + at["result.bmp"].h, digitsTop);
    EXPECT_LE(digitsBottom, at["rank0.bmp"].y);
    // "123.45" ends at 80 + 5 * 48 + width + 30; the unit stands after it.
    EXPECT_LE(80 + 5 * 48 + digit->w + 30, at["result2.bmp"].x);
    // Title: the menu text starts at y 300.
    EXPECT_LE(at["logo.bmp"].y + at["logo.bmp"].h, 300);
}

// Tile t of the sheet at ((t mod 4) 16, (t div 4) 16).
struct Tiles {
    SurfacePtr s = load("map.bmp");
    bool key(int t, int x, int y) const {
        return isKey(s.get(), (t % 4) * 16 + x, (t / 4) * 16 + y);
    }
    int shown(int t) const {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) n += !key(t, x, y);
        return n;
    }
};

TEST(TileSheet, EmptyTileIsAllKeyAndEveryOtherTileDraws) {
    Tiles tiles;
    ASSERT_TRUE(tiles.s);
    EXPECT_EQ(tiles.shown(0), 0);
    for (int t = 1; t < 16; ++t) EXPECT_GT(tiles.shown(t), 8) << "tile " << t;
    // Blocks cover their whole cell, so rows of them join without holes.
    EXPECT_EQ(tiles.shown(1), 256);
    EXPECT_EQ(tiles.shown(4), 256);
}

TEST(TileSheet, BlocksThatVanishLookDifferent) {
    Tiles tiles;
    ASSERT_TRUE(tiles.s);
    auto differ = [&](int a, int b) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                SDL_Color p = rgb(tiles.s.get(), (a % 4) * 16 + x, (a / 4) * 16 + y);
                SDL_Color q = rgb(tiles.s.get(), (b % 4) * 16 + x, (b / 4) * 16 + y);
                n += p.r != q.r || p.g != q.g || p.b != q.b;
            }
        return n;
    };
    EXPECT_GT(differ(1, 4), 128);
    EXPECT_GT(differ(2, 5), 64);
}

TEST(TileSheet, SlopesFollowTheFootLine) {
    Tiles tiles;
    ASSERT_TRUE(tiles.s);
    // Code 6: the foot rests r + 1 pixels above the bottom row (r = 0 at the left edge),
    // so the ground surface is row 14 - r. Code 7 falls: surface at row r.
    for (int r = 0; r < 15; ++r) {
        SCOPED_TRACE(r);
        EXPECT_FALSE(tiles.key(6, r, 14 - r));
        if (14 - r > 0) {
            EXPECT_TRUE(tiles.key(6, r, 13 - r));
        }
        for (int y = 14 - r; y < 15; ++y) EXPECT_FALSE(tiles.key(6, r, y));
        EXPECT_FALSE(tiles.key(7, r, r));
        if (r > 1) {
            EXPECT_TRUE(tiles.key(7, r, r - 1));
        }
        for (int y = r; y < 15; ++y) EXPECT_FALSE(tiles.key(7, r, y));
    }
}

TEST(CharacterSheet, ThreeRabbitsEachFacingBothWays) {
    auto s = load("chara.bmp");
    ASSERT_TRUE(s);
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 5; ++col) {
            int n = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) n += !isKey(s.get(), col * 16 + x, row * 16 + y);
            EXPECT_GT(n, 30) << "cell " << col << "," << row;
        }
    // Rows 2k + 1 are rows 2k mirrored.
    for (int k = 0; k < 3; ++k)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 80; ++x) {
                int col = x / 16, cx = x % 16;
                ASSERT_EQ(pixel(s.get(), x, 32 * k + y),
                          pixel(s.get(), col * 16 + 15 - cx, 32 * k + 16 + y))
                    << "rabbit " << k << " at " << x << "," << y;
            }
}

TEST(CharacterSheet, StandingRabbitRestsOnItsFootRowAndColoursDiffer) {
    auto s = load("chara.bmp");
    ASSERT_TRUE(s);
    std::vector<SDL_Color> fur;
    for (int k = 0; k < 3; ++k) {
        // Standing frame: column 1. Row 14 is the foot (it lies on the floor); row 15 would
        // sink into the block below.
        bool foot = false;
        for (int x = 0; x < 16; ++x) {
            foot |= !isKey(s.get(), 16 + x, 32 * k + 14);
            EXPECT_TRUE(isKey(s.get(), 16 + x, 32 * k + 15)) << "rabbit " << k;
        }
        EXPECT_TRUE(foot) << "rabbit " << k;
        // The most common shown colour is its fur.
        std::map<std::uint32_t, int> count;
        for (int y = 0; y < 16; ++y)
            for (int x = 16; x < 32; ++x)
                if (!isKey(s.get(), x, 32 * k + y)) count[pixel(s.get(), x, 32 * k + y)]++;
        auto most = std::max_element(count.begin(), count.end(),
                                     [](auto& a, auto& b) { return a.second < b.second; });
        SDL_Color c;
        SDL_GetRGB(most->first, s->format, &c.r, &c.g, &c.b);
        fur.push_back(c);
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) {
            int d = std::abs(fur[a].r - fur[b].r) + std::abs(fur[a].g - fur[b].g) +
                    std::abs(fur[a].b - fur[b].b);
            EXPECT_GT(d, 120) << "rabbits " << a << " and " << b << " look alike";
        }
}

// ---------------------------------------------------------------- levels

const char kLegend[] = ".#^*BX/\\89abcdeS";

std::vector<std::string> levelSources() {
    std::vector<std::string> out;
    for (const auto& n : listDir(testenv::sourceDir() + "/assets/levels"))
        if (n.rfind("map", 0) == 0 && n.size() > 7 && n.substr(n.size() - 4) == ".txt")
            out.push_back(n.substr(0, n.size() - 4));
    return out;
}

TEST(Levels, BitmapsReadBackToTheirAsciiSource) {
    auto levels = levelSources();
    ASSERT_GE(levels.size(), 2u);
    for (const auto& name : levels) {
        SCOPED_TRACE(name);
        auto s = load(name + ".bmp");
        if (!s) continue;
        ASSERT_EQ(s->w, 32);
        ASSERT_EQ(s->h, 32);
        ASSERT_EQ(s->format->BytesPerPixel, 1);
        ASSERT_EQ(s->pitch, 32) << "the game reads row r at byte 32 r";
        std::string text;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                auto v = static_cast<const std::uint8_t*>(s->pixels)[y * 32 + x];
                ASSERT_LT(v, 16);
                text.push_back(kLegend[v]);
            }
            text.push_back('\n');
        }
        EXPECT_EQ(text,
                  testenv::readFile(testenv::sourceDir() + "/assets/levels/" + name + ".txt"));
        // Palette colours tell the codes apart in an image viewer.
        std::set<std::uint32_t> colours;
        for (int i = 0; i < 16; ++i) {
            const SDL_Color& c = s->format->palette->colors[i];
            colours.insert(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
        }
        EXPECT_GE(colours.size(), 14u);
    }
}

TEST(Levels, ClosedPlayableGrids) {
    for (const auto& name : levelSources()) {
        SCOPED_TRACE(name);
        auto rows = testenv::readFile(testenv::sourceDir() + "/assets/levels/" + name + ".txt");
        std::vector<std::string> g;
        for (std::size_t p = 0, e; (e = rows.find('\n', p)) != std::string::npos; p = e + 1)
            g.push_back(rows.substr(p, e - p));
        ASSERT_EQ(g.size(), 32u);
        auto solid = [&](int c, int r) { return g[r][c] == '#' || g[r][c] == 'B'; };
        int starts = 0, stars = 0;
        for (int r = 0; r < 32; ++r)
            for (int c = 0; c < 32; ++c) {
                if (r == 0 || c == 0 || r == 31 || c == 31) {
                    EXPECT_TRUE(solid(c, r)) << "border cell " << c << "," << r;
                }
                stars += g[r][c] == '*';
                if (g[r][c] == 'S') {
                    ++starts;
                    EXPECT_TRUE(solid(c, r + 1)) << "the first rabbit lands on solid ground";
                }
            }
        EXPECT_EQ(starts, 1);
        EXPECT_GT(stars, 0);
    }
}

TEST(Levels, AssetgenTurnsABitmapBackIntoText) {
    for (const auto& name : levelSources()) {
        std::string out;
        ASSERT_EQ(runAssetgen("unlevel " + dataDir() + name + ".bmp", out), 0) << out;
        EXPECT_EQ(out, testenv::readFile(testenv::sourceDir() + "/assets/levels/" + name + ".txt"));
    }
}

// ---------------------------------------------------------------- sounds

class Sound : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
        int freq;
        Uint16 format;
        int channels;
        if (!Mix_QuerySpec(&freq, &format, &channels)) {
            ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
            opened_ = true;
        }
    }
    static void TearDownTestSuite() {
        if (opened_) Mix_CloseAudio();
        opened_ = false;
    }
    static bool opened_;
};
bool Sound::opened_ = false;

std::uint32_t le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
           static_cast<std::uint8_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
int le16(const std::string& b, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(b[at]) |
                                     static_cast<std::uint8_t>(b[at + 1]) << 8);
}

TEST_F(Sound, EffectsAre22kHz16BitLoudEnoughButNeverClipOrClick) {
    for (std::string key : {"dos", "getstar", "hukkatsu", "select", "sibo", "jump"}) {
        SCOPED_TRACE(key);
        std::string path = dataDir() + key + ".wav";
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        double seconds = chunk->alen / 4.0 / 22050;  // the device: 22050 Hz, 16-bit stereo
        Mix_FreeChunk(chunk);
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, 1.5);

        std::string b = testenv::readFile(path);
        ASSERT_GE(b.size(), 44u);
        ASSERT_EQ(b.substr(0, 4), "RIFF");
        ASSERT_EQ(b.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(le16(b, 20), 1);       // PCM
        EXPECT_EQ(le32(b, 24), 22050u);  // sample rate
        EXPECT_EQ(le16(b, 34), 16);      // bits
        ASSERT_EQ(b.substr(36, 4), "data");
        std::size_t n = le32(b, 40) / 2;
        ASSERT_EQ(44 + n * 2, b.size());
        int peak = 0;
        for (std::size_t i = 0; i < n; ++i) peak = std::max(peak, std::abs(le16(b, 44 + 2 * i)));
        double db = 20 * std::log10(peak / 32768.0);
        EXPECT_LT(db, -1.0);
        EXPECT_GT(db, -12.0) << "too quiet";
        // Starts and ends at rest: no step the ear hears as a click.
        EXPECT_LT(std::abs(le16(b, 44)), 300);
        EXPECT_LT(std::abs(le16(b, 44 + 2 * (n - 1))), 30);
    }
}

struct Decoded {
    std::vector<float> left, right;
    long rate = 0;
};

Decoded decodeOgg(const std::string& path) {
    Decoded d;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        ADD_FAILURE() << "cannot decode " << path;
        return d;
    }
    vorbis_info* vi = ov_info(&vf, -1);
    d.rate = vi->rate;
    int section = 0;
    for (;;) {
        float** pcm;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        d.left.insert(d.left.end(), pcm[0], pcm[0] + n);
        d.right.insert(d.right.end(), pcm[vi->channels > 1 ? 1 : 0],
                       pcm[vi->channels > 1 ? 1 : 0] + n);
    }
    ov_clear(&vf);
    return d;
}

TEST_F(Sound, TunesLoadLastHalfAMinuteToNinetySecondsAndLoopWithoutAJump) {
    for (std::string name : {"jump.ogg", "jump2.ogg"}) {
        SCOPED_TRACE(name);
        Mix_Music* m = Mix_LoadMUS((dataDir() + name).c_str());
        ASSERT_NE(m, nullptr) << Mix_GetError();
        Mix_FreeMusic(m);

        Decoded d = decodeOgg(dataDir() + name);
        ASSERT_GT(d.rate, 0);
        double seconds = static_cast<double>(d.left.size()) / d.rate;
        EXPECT_GE(seconds, 30.0);
        EXPECT_LE(seconds, 90.0);
        float peak = 0, rms = 0;
        for (float v : d.left) peak = std::max(peak, std::fabs(v)), rms += v * v;
        rms = std::sqrt(rms / d.left.size());
        EXPECT_LT(peak, 1.0f);
        EXPECT_GT(rms, 0.02f) << "silent";
        // The loop joins the last sample to the first: that step must look like any other
        // step of the tune, not like a cut.
        for (const auto* ch : {&d.left, &d.right}) {
            std::vector<float> steps;
            for (std::size_t i = 1; i < ch->size(); ++i)
                steps.push_back(std::fabs((*ch)[i] - (*ch)[i - 1]));
            std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
            float p99 = steps[steps.size() * 99 / 100];
            EXPECT_LE(std::fabs(ch->front() - ch->back()), 2 * p99 + 0.01f);
        }
    }
}

TEST_F(Sound, ANoteStillSoundingAtTheEndOfATuneCarriesOnAtItsStart) {
    // 30 s of silence but for one sine note on the very last step, with a long release.
    std::string steps;
    for (int i = 0; i < 239; ++i) steps += " .";
    std::string score =
        "tempo 120\nsteps 4\nvoice a wave=sine attack=0.01 release=0.5 vol=0.5 gate=1\n"
        "pattern p\n a" +
        steps + " c5\nend\nsong p\n";
    std::string src = testenv::workDir() + "/tail.txt", ogg = testenv::workDir() + "/tail.ogg";
    testenv::writeFile(src, score);
    std::string out;
    ASSERT_EQ(runAssetgen("tune " + src + " " + ogg, out), 0) << out;
    Decoded d = decodeOgg(ogg);
    ASSERT_EQ(d.left.size(), 30u * 22050u) << "one loop, exactly";
    auto rms = [&](std::size_t from, std::size_t n) {
        double s = 0;
        for (std::size_t i = from; i < from + n; ++i) s += d.left[i] * d.left[i];
        return std::sqrt(s / n);
    };
    std::size_t win = 22050 / 20;
    EXPECT_GT(rms(0, win), 0.3 * rms(d.left.size() - win, win)) << "the release was cut off";
    float maxStep = 0;
    for (std::size_t i = 1; i < d.left.size(); ++i)
        maxStep = std::max(maxStep, std::fabs(d.left[i] - d.left[i - 1]));
    EXPECT_LE(std::fabs(d.left.front() - d.left.back()), 1.5f * maxStep);
}

// ---------------------------------------------------------------- the archive

TEST(Archive, DataZipHoldsExactlyTheStagedFiles) {
    int err = 0;
    zip_t* z = zip_open((testenv::binaryDir() + "/data.zip").c_str(), ZIP_RDONLY, &err);
    ASSERT_NE(z, nullptr) << "libzip error " << err;
    std::vector<std::string> members;
    zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        std::string name = zip_get_name(z, static_cast<zip_uint64_t>(i), 0);
        members.push_back(name);
        zip_stat_t st;
        ASSERT_EQ(zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st), 0);
        std::string bytes(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        ASSERT_NE(f, nullptr) << name;
        ASSERT_EQ(zip_fread(f, bytes.data(), st.size), static_cast<zip_int64_t>(st.size));
        zip_fclose(f);
        EXPECT_EQ(bytes, testenv::readFile(dataDir() + name)) << name;
    }
    zip_close(z);
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, listDir(dataDir()));
    // Every file the game asks for is there (levels counted separately).
    std::set<std::string> have(members.begin(), members.end());
    for (std::string n :
         {"map.bmp", "chara.bmp", "logo.bmp", "clear.bmp", "gameover.bmp", "otu.bmp", "result.bmp",
          "result2.bmp", "..bmp", "dos.wav", "getstar.wav", "hukkatsu.wav", "select.wav",
          "sibo.wav", "jump.wav", "jump.ogg", "jump2.ogg", "map1.bmp", "map2.bmp"})
        EXPECT_TRUE(have.count(n)) << n;
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(have.count(std::to_string(i) + ".bmp"));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(have.count("rank" + std::to_string(i) + ".bmp"));
}

// ---------------------------------------------------------------- broken sources

struct BadSource {
    const char* kind;
    const char* file;
    std::string text;
    const char* expect;  // part of the message after "file:line: "
    int line;
};

std::string levelWith(int row, const std::string& line) {
    std::string t;
    for (int r = 0; r < 32; ++r) {
        if (r == row) {
            t += line + "\n";
            continue;
        }
        if (r == 0 || r == 31)
            t += std::string(32, '#') + "\n";
        else if (r == 30)
            t += "#S*" + std::string(28, '.') + "#\n";
        else
            t += "#" + std::string(30, '.') + "#\n";
    }
    return t;
}

TEST(Assetgen, RefusesBrokenSourcesNamingFileAndLine) {
    std::string good = levelWith(-1, "");
    std::string tooShort = good.substr(0, good.rfind('\n', good.size() - 2) + 1);
    const BadSource cases[] = {
        {"level", "short.txt", tooShort, "32 lines", 31},
        {"level", "wide.txt", levelWith(5, "#" + std::string(31, '.') + "#"), "32 characters", 6},
        {"level", "legend.txt", levelWith(7, "#...Q" + std::string(26, '.') + "#"),
         "column 5: 'Q' is not in the legend", 8},
        {"level", "open.txt", levelWith(0, "#####.##########################"),
         "border must be solid", 1},
        {"level", "nostart.txt", levelWith(30, "#.*" + std::string(28, '.') + "#"), "start cell",
         0},
        {"picture", "ragged.pic", "size 4 2\ncolour a 112233\ngrid 0 0\naaaa\naaa\nend\n",
         "grid row is 3 characters wide", 5},
        {"picture", "unknown.pic", "size 4 4\nsplat 1 2\n", "unknown command 'splat'", 2},
        {"picture", "nocolour.pic", "size 4 4\nfill z\n", "colour 'z' is not defined", 2},
        {"picture", "nosize.pic", "colour a 112233\nfill a\n", "before 'size'", 2},
        {"picture", "hex.pic", "size 4 4\ncolour a 11223\n", "six hex digits", 2},
        {"picture", "open.pic", "size 4 4\ncolour a 112233\ngrid 0 0\naaaa\n", "without 'end'", 3},
        {"effect", "loud.txt", "peak 0\ntone len=0.1\n", "peak must lie", 1},
        {"effect", "typo.txt", "tone len=0.1 volume=2\n", "unknown option 'volume'", 1},
        {"effect", "wave.txt", "tone wave=kazoo\n", "unknown wave 'kazoo'", 1},
        {"effect", "empty.txt", "; nothing\n", "no tone", 0},
        {"tune", "ragged.txt", "tempo 120\nvoice a\npattern p\n a c4 - - -\n b c4\nend\nsong p\n",
         "no voice named 'b'", 5},
        {"tune", "divide.txt",
         "tempo 120\nvoice a\nvoice b\npattern p\n a c4 - - -\n b c4 - -\nend\nsong p\n",
         "does not divide", 6},
        {"tune", "note.txt", "tempo 120\nvoice a\npattern p\n a h4\nend\nsong p\n",
         "'h4' is no note", 4},
        {"tune", "short.txt", "tempo 120\nvoice a\npattern p\n a c4 - - -\nend\nsong p\n",
         "must last 30 to 90 s", 0},
        {"font", "ragged.font", "name X\nglyph space\nend\nglyph A\n##\n#\nend\n",
         "this row is 1 pixels wide", 6},
        {"font", "twice.font", "name X\nglyph space\nend\nglyph A\n#\nend\nglyph A\n#\nend\n",
         "already has a glyph (line 4)", 7},
        {"font", "tall.font", "name X\nascent 2\nglyph space\nend\nglyph A\n#\n#\n#\nend\n",
         "outside the ascent", 5},
        {"font", "ink.font", "name X\nglyph space\nend\nglyph A\n#x\nend\n", "only '#'", 5},
        {"font", "nospace.font", "name X\nglyph A\n#\nend\n", "no space", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = testenv::workDir() + "/" + c.file;
        testenv::writeFile(path, c.text);
        std::string out;
        EXPECT_EQ(
            runAssetgen(std::string(c.kind) + " " + path + " " + testenv::workDir() + "/out", out),
            1);
        std::string where = path + ":" + std::to_string(c.line) + ": ";
        EXPECT_NE(out.find(where), std::string::npos) << out;
        EXPECT_NE(out.find(c.expect), std::string::npos) << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
    }
    // The good level really is good.
    testenv::writeFile(testenv::workDir() + "/good.txt", good);
    std::string out;
    EXPECT_EQ(
        runAssetgen("level " + testenv::workDir() + "/good.txt " + testenv::workDir() + "/good.bmp",
                    out),
        0)
        << out;
}

TEST(Assetgen, AFontMustCoverTheTextsGivenWithIt) {
    const std::string dir = testenv::workDir() + "/";
    testenv::writeFile(dir + "ab.font", "name AB\nglyph space\nend\nglyph a\n#\nend\n");
    testenv::writeFile(dir + "ok.txt", "a a\r\n\ta\n");
    testenv::writeFile(dir + "b.txt", "a\na b\n");
    testenv::writeFile(dir + "kana.txt", "a\xe3\x81\x8b\n");
    testenv::writeFile(dir + "bad.txt", "a\xe3\x81\n");
    std::string out;
    EXPECT_EQ(runAssetgen("font " + dir + "ab.font " + dir + "ab.ttf " + dir + "ok.txt", out), 0)
        << out;
    EXPECT_EQ(runAssetgen("font " + dir + "ab.font " + dir + "ab.ttf " + dir + "b.txt", out), 1);
    EXPECT_NE(out.find(dir + "b.txt:2: 'b' (U+0062) has no glyph in " + dir + "ab.font"),
              std::string::npos)
        << out;
    EXPECT_EQ(runAssetgen("font " + dir + "ab.font " + dir + "ab.ttf " + dir + "kana.txt", out), 1);
    EXPECT_NE(out.find("(U+304B) has no glyph"), std::string::npos) << out;
    EXPECT_EQ(runAssetgen("font " + dir + "ab.font " + dir + "ab.ttf " + dir + "bad.txt", out), 1);
    EXPECT_NE(out.find(dir + "bad.txt:0: the text is not valid UTF-8"), std::string::npos) << out;
}

TEST(Assetgen, RefusesMissingSourcesAndDamagedLevelBitmaps) {
    std::string out;
    std::string missing = testenv::workDir() + "/nothing-here.txt";
    EXPECT_EQ(runAssetgen("level " + missing + " " + testenv::workDir() + "/x.bmp", out), 1);
    EXPECT_NE(out.find(missing), std::string::npos) << out;

    std::string level = testenv::readFile(dataDir() + "map1.bmp");
    struct Damage {
        const char* name;
        std::string bytes;
        const char* expect;
    } damages[] = {
        {"cut.bmp", level.substr(0, 600), "cut short"},
        {"notbmp.bmp", "PK" + level.substr(2), "not a BMP"},
        {"tiny.bmp", level.substr(0, 20), "not a BMP"},
        {"code.bmp", level, "above 15"},
    };
    damages[3].bytes[damages[3].bytes.size() - 1] = static_cast<char>(200);
    for (const auto& d : damages) {
        SCOPED_TRACE(d.name);
        std::string path = testenv::workDir() + "/" + d.name;
        testenv::writeFile(path, d.bytes);
        EXPECT_EQ(runAssetgen("unlevel " + path, out), 1);
        EXPECT_NE(out.find(path), std::string::npos) << out;
        EXPECT_NE(out.find(d.expect), std::string::npos) << out;
    }
}

}  // namespace
