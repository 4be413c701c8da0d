// Level files: text and bitmap each way for the shipped levels, bitmaps other tools write read
// as the game's own loader reads them, every bad file refused with its name, and the atomic
// write that never leaves half a file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "game/level.hpp"
#include "game/levelfile.hpp"
#include "tests/support/testenv.hpp"

namespace {

namespace fs = std::filesystem;

std::string message(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "accepted";
}

// A level with a bit of everything, so that rows, columns and codes cannot be mixed up.
game::Grid sampleGrid() {
    game::Grid g{};
    for (int c = 0; c < game::kGridSize; ++c)
        for (int r = 0; r < game::kGridSize; ++r)
            g[c][r] = static_cast<std::uint8_t>((c + 3 * r) % 16);
    return g;
}

void put(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// An 8-bit BMP as another tool may write it: `header` bytes of info header, `colours` palette
// entries (0 in the header meaning 256), rows top-down when `height` is negative.
std::string bitmap(const game::Grid& g, std::uint32_t header, int colours, int height = 32) {
    const std::uint32_t entries = colours == 0 ? 256 : static_cast<std::uint32_t>(colours);
    const std::uint32_t offset = 14 + header + entries * 4;
    std::string s(offset + 32 * 32, '\0');
    s[0] = 'B';
    s[1] = 'M';
    put(s, 2, static_cast<std::uint32_t>(s.size()), 4);
    put(s, 10, offset, 4);
    put(s, 14, header, 4);
    put(s, 18, 32, 4);
    put(s, 22, static_cast<std::uint32_t>(height), 4);
    put(s, 26, 1, 2);
    put(s, 28, 8, 2);
    put(s, 46, static_cast<std::uint32_t>(colours), 4);
    for (std::uint32_t i = 0; i < entries; ++i) put(s, 14 + header + 4 * i, 0x101010 * (i % 16), 4);
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 32; ++c)
            s[offset + (height > 0 ? 31 - r : r) * 32 + c] = static_cast<char>(g[c][r]);
    return s;
}

TEST(LevelFile, ShippedLevelsGoFromTextToTheBuiltBitmapAndBack) {
    std::set<char> legend;
    std::set<std::string> names;
    for (int t = 0; t < 16; ++t) {
        const auto code = static_cast<std::uint8_t>(t);
        EXPECT_EQ(game::tileOfChar(game::tileChar(code)), t);
        legend.insert(game::tileChar(code));
        names.insert(game::tileName(code));
    }
    EXPECT_EQ(legend.size(), 16u);
    EXPECT_EQ(names.size(), 16u);
    EXPECT_EQ(std::string(game::tileName(2)), "thorns");
    EXPECT_EQ(game::tileOfChar('?'), -1);
    EXPECT_THROW(game::tileChar(16), std::out_of_range);

    int levels = 0;
    for (int n = 1;
         fs::exists(testenv::sourceDir() + "/assets/levels/map" + std::to_string(n) + ".txt");
         ++n, ++levels) {
        SCOPED_TRACE(n);
        const std::string txt =
            testenv::sourceDir() + "/assets/levels/map" + std::to_string(n) + ".txt";
        const std::string bmp = testenv::binaryDir() + "/data/map" + std::to_string(n) + ".bmp";
        const std::string text = testenv::readFile(txt);
        const game::Grid grid = game::parseLevelText(text, txt);
        EXPECT_EQ(game::levelText(grid), text);
        EXPECT_EQ(game::levelBitmap(grid), testenv::readFile(bmp))
            << "not the bytes the build made";
        EXPECT_EQ(game::readLevelFile(bmp), grid);
        EXPECT_EQ(game::readLevelFile(txt), grid);
        // And the game's own loader agrees.
        game::Grid loaded{};
        std::int32_t x = 0, y = 0;
        game::loadLevel(bmp, loaded, x, y);
        EXPECT_EQ(loaded, grid);
    }
    EXPECT_GE(levels, 8);
}

TEST(LevelFile, BitmapsOtherToolsWriteReadAsTheGameReadsThem) {
    const game::Grid grid = sampleGrid();
    EXPECT_EQ(game::parseLevelBitmap(game::levelBitmap(grid), "x"), grid);
    const struct {
        const char* name;
        std::string bytes;
    } variants[] = {
        {"v3-256.bmp", bitmap(grid, 40, 0)},        {"v3-16.bmp", bitmap(grid, 40, 16)},
        {"v4-16.bmp", bitmap(grid, 108, 16)},       {"v5-16.bmp", bitmap(grid, 124, 16)},
        {"topdown.bmp", bitmap(grid, 40, 16, -32)},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = testenv::workDir() + "/" + v.name;
        testenv::writeFile(path, v.bytes);
        EXPECT_EQ(game::parseLevelBitmap(v.bytes, path), grid);
        game::Grid loaded{};
        std::int32_t x = 0, y = 0;
        game::loadLevel(path, loaded, x, y);
        EXPECT_EQ(loaded, grid) << "the game would play another level than the one checked";
    }
}

TEST(LevelFile, RefusesBadBitmapsNamingTheFileAndTheProblem) {
    const game::Grid grid = sampleGrid();
    const std::string good = game::levelBitmap(grid);
    auto with = [&](std::size_t at, std::uint32_t v, int bytes) {
        std::string s = good;
        put(s, at, v, bytes);
        return s;
    };
    std::string high = good;
    high[high.size() - 1] = static_cast<char>(16);
    const struct {
        std::string bytes;
        const char* expect;
    } cases[] = {
        {"", "not a BMP file"},
        {"PK" + good.substr(2), "not a BMP file"},
        {good.substr(0, 20), "header is cut short"},
        {with(14, 12, 4), "header of 40, 108 or 124 bytes, this one 12"},
        {with(18, 33, 4), "32 x 32, this one 33 x 32"},
        {with(22, 16, 4), "32 x 32, this one 32 x 16"},
        {with(28, 24, 2), "this one 24 bits per pixel"},
        {with(28, 4, 2), "this one 4 bits per pixel"},
        {with(30, 1, 4), "uses compression 1"},
        {with(46, 257, 4), "palette of 257 colours"},
        {with(10, 54, 4), "a palette, this one none"},
        {good.substr(0, 1078 + 1000), "pixel data is cut short"},
        {with(10, 0x7fffffff, 4), "pixel data is cut short"},
        {high, "column 31, row 0 holds code 16, above 15"},
    };
    for (const auto& c : cases) {
        const std::string m = message([&] { game::parseLevelBitmap(c.bytes, "pack/map2.bmp"); });
        EXPECT_EQ(m.rfind("pack/map2.bmp: ", 0), 0u) << m;
        EXPECT_NE(m.find(c.expect), std::string::npos) << m;
    }
    game::Grid bad = grid;
    bad[4][5] = 16;
    EXPECT_THROW(game::levelBitmap(bad), std::out_of_range);
    EXPECT_THROW(game::levelText(bad), std::out_of_range);
}

TEST(LevelFile, TextNamesTheLineAndColumnAndForgivesLineEndings) {
    const game::Grid grid = sampleGrid();
    const std::string text = game::levelText(grid);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(game::parseLevelText(crlf, "a.txt"), grid);
    EXPECT_EQ(game::parseLevelText(text.substr(0, text.size() - 1), "a.txt"), grid);
    EXPECT_EQ(game::parseLevelText("\xEF\xBB\xBF" + text + "\n\n", "a.txt"), grid);

    std::string legend = text, control = text, wide = text;
    legend[7 * 33 + 4] = 'Q';
    control[2 * 33 + 9] = '\t';
    wide.insert(5 * 33, ".");
    const struct {
        std::string text;
        const char* expect;
    } cases[] = {
        {text.substr(33), "a.txt:31: a level has 32 lines, this one 31"},
        {text + text.substr(0, 33), "a.txt:33: a level has 32 lines, this one 33"},
        {legend, "a.txt:8: column 5: 'Q' is not in the legend"},
        {control, "a.txt:3: column 10: byte 9 is not in the legend"},
        {wide, "a.txt:6: a level line has 32 characters, this one 33"},
        {"", "a.txt:0: a level has 32 lines, this one 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(message([&] { game::parseLevelText(c.text, "a.txt"); }), c.expect);
}

TEST(LevelFile, ReadsOnlyRegularFilesOfALevelsSize) {
    const std::string dir = testenv::workDir() + "/files/";
    fs::create_directories(dir + "folder.bmp");
    ASSERT_EQ(::mkfifo((dir + "fifo.bmp").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir + "zero.bmp");
    testenv::writeFile(dir + "huge.txt", std::string(game::kMaxLevelFileBytes + 1, '.'));
    testenv::writeFile(dir + "level.png", game::levelBitmap(sampleGrid()));
    const struct {
        const char* name;
        const char* expect;
    } cases[] = {
        {"folder.bmp", "is a directory, not a file"},
        {"fifo.bmp", "is not a regular file"},  // and returns at once
        {"zero.bmp", "is not a regular file"},
        {"huge.txt", "is 65537 bytes, more than the 65536 it may have"},
        {"level.png", "a level file is a .bmp or a .txt file"},
        {"missing.bmp", "cannot open (No such file or directory)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(message([&] { game::readLevelFile(dir + c.name); }),
                  dir + c.name + ": " + c.expect);
    testenv::writeFile(dir + "LOUD.BMP", game::levelBitmap(sampleGrid()));
    EXPECT_EQ(game::readLevelFile(dir + "LOUD.BMP"), sampleGrid());
}

TEST(LevelFile, AnAtomicWriteLeavesTheOldFileWholeWhenAnythingFails) {
    const std::string dir = testenv::workDir() + "/atomic";
    fs::create_directories(dir);
    const std::string path = dir + "/pack.zip";
    game::writeFileAtomically(path, "first");
    EXPECT_EQ(testenv::readFile(path), "first");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    std::string seen;
    const std::string m = message([&] {
        game::writeFileAtomically(path, "second", [&](const std::string& written) {
            seen = written;
            EXPECT_EQ(testenv::readFile(written), "second");
            throw std::runtime_error("refused");
        });
    });
    EXPECT_EQ(m, "refused");
    EXPECT_EQ(testenv::readFile(path), "first");
    EXPECT_EQ(seen.substr(seen.size() - 4), ".zip") << "the reader knows archives by extension";
    EXPECT_EQ(seen.substr(0, dir.size()), dir) << "beside the file, so the rename stays atomic";

    game::writeFileAtomically(path, "third");
    EXPECT_EQ(testenv::readFile(path), "third");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the mode of the file it replaced";
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) entries += !e.path().empty();
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";

    const std::string nowhere = dir + "/no/such/folder/map1.bmp";
    EXPECT_EQ(message([&] { game::writeFileAtomically(nowhere, "x"); }).rfind(nowhere + ": ", 0),
              0u);
}

}  // namespace
