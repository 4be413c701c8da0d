#include "algo/file/strongread.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "algo/file/private/archive.hpp"
#include "algo/file/private/crc32.hpp"
#include "tests/support/testenv.hpp"

namespace {

namespace fs = std::filesystem;
using algo::SReadException;
namespace sr = algo::strongread;

std::string asString(const algo::Bytes& b) {
    return std::string(b.begin(), b.end());
}

void run(const std::string& cmd) {
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

void put(const std::string& path, const std::string& bytes) {
    fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    testenv::writeFile(path, bytes);
}

// Text that deflates well, and bytes that do not.
std::string compressible(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i % 97) + " star\n";
    s.resize(n);
    return s;
}
std::string noise(std::size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(g());
    return s;
}

// A source tree with directories, an empty file, binary and text.
void makeSources(const std::string& root) {
    put(root + "/logo.bmp", noise(70000, 1));
    put(root + "/text.txt", compressible(200000));
    put(root + "/empty.dat", "");
    put(root + "/img/a.bmp", noise(3000, 2));
    put(root + "/img/deep/b.txt", compressible(5000) + std::string("\0\xff", 2));
}

std::set<std::string> filesUnder(const std::string& root) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).generic_string());
    return out;
}

// Every file of `src` read as `prefix` + "/" + name equals its source byte for byte.
void expectAllMembersMatch(const std::string& src, const std::string& prefix) {
    for (const std::string& name : filesUnder(src)) {
        SCOPED_TRACE(prefix + "/" + name);
        algo::Bytes got = algo::read(prefix + "/" + name);
        std::string want = testenv::readFile(src + "/" + name);
        ASSERT_EQ(got.size(), want.size());
        EXPECT_TRUE(asString(got) == want);
    }
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const SReadException& e) {
        return e.what();
    }
    return "(no SReadException)";
}

// --- Archives made by real tools -------------------------------------------------------

TEST(ArchivesFromTools, ZipCommandDeflatedWithDirectoriesAndEmptyMember) {
    makeSources("src1");
    fs::create_directories("t1");
    run("cd src1 && zip -q -r ../t1/data.zip .");
    expectAllMembersMatch("src1", "t1/data");
    std::vector<std::string> names = sr::memberNames("t1/data.zip");
    std::set<std::string> set(names.begin(), names.end());
    EXPECT_TRUE(set.count("img/")) << "directory entries are listed as stored";
    EXPECT_TRUE(set.count("img/deep/b.txt"));
}

TEST(ArchivesFromTools, ZipCommandStored) {
    makeSources("src2");
    fs::create_directories("t2");
    run("cd src2 && zip -q -0 -r ../t2/data.zip .");
    expectAllMembersMatch("src2", "t2/data");
}

TEST(ArchivesFromTools, ZipCommandStreamedWithDataDescriptors) {
    makeSources("src3");
    fs::create_directories("t3");
    // Written to a pipe, zip cannot seek back and puts sizes after the data.
    run("cd src3 && zip -q -r - . | cat > ../t3/data.zip");
    std::string image = testenv::readFile("t3/data.zip");
    ASSERT_TRUE(image[6] & 0x08) << "expected a data descriptor on the first member";
    expectAllMembersMatch("src3", "t3/data");
}

// ZIP64 records throughout (sizes and the directory's offset in the extra fields): members are
// found through libzip's reading of the directory rather than located by the reader itself.
TEST(ArchivesFromTools, ZipCommandForcedZip64) {
    makeSources("src6");
    fs::create_directories("t6");
    run("cd src6 && zip -q -fz -r ../t6/data.zip .");
    expectAllMembersMatch("src6", "t6/data");
}

TEST(ArchivesFromTools, PythonZipfileMixedMethodsAndNonSeekableStream) {
    makeSources("src4");
    fs::create_directories("t4");
    fs::create_directories("t5");
    const char* script =
        "import sys, os, zipfile\n"
        "src, out = sys.argv[1], sys.argv[2]\n"
        "f = sys.stdout.buffer if out == '-' else open(out, 'wb')\n"
        "with zipfile.ZipFile(f, 'w') as z:\n"
        "  for i, (d, _, files) in enumerate(sorted(os.walk(src))):\n"
        "    for n in sorted(files):\n"
        "      p = os.path.join(d, n)\n"
        "      m = zipfile.ZIP_DEFLATED if len(n) % 2 else zipfile.ZIP_STORED\n"
        "      z.write(p, os.path.relpath(p, src), compress_type=m)\n";
    put("mkzip.py", script);
    run("python3 mkzip.py src4 t4/data.zip");
    expectAllMembersMatch("src4", "t4/data");
    run("python3 mkzip.py src4 - | cat > t5/data.zip");
    expectAllMembersMatch("src4", "t5/data");
}

// Ordinary archives, the game's own data.zip and one made by zip -9, are read straight from
// the image: every member, not one through libzip.
TEST(ArchivesFromTools, TheGamesDataZipIsReadStraightFromTheImage) {
    const std::string built = testenv::binaryDir() + "/data.zip";
    if (!fs::exists(built)) GTEST_SKIP() << "no game data in this tree (built with the game off)";
    fs::create_directories("f1");
    fs::copy_file(built, "f1/data.zip");
    sr::loadArchive("f1/data.zip");
    const std::vector<std::string> names = sr::memberNames("f1/data.zip");
    ASSERT_GT(names.size(), 30u);
    sr::ReadCounts before = sr::readCounts();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(asString(algo::read("f1/data/" + name)) ==
                    testenv::readFile(testenv::binaryDir() + "/data/" + name));
    }
    sr::ReadCounts after = sr::readCounts();
    EXPECT_EQ(after.direct - before.direct, names.size());
    EXPECT_EQ(after.throughLibzip, before.throughLibzip);
}

TEST(ArchivesFromTools, AZipNineArchiveIsReadStraightFromTheImage) {
    makeSources("f2/src");
    run("cd f2/src && zip -q -9 -r ../data.zip .");
    const sr::ReadCounts before = sr::readCounts();
    expectAllMembersMatch("f2/src", "f2/data");
    const sr::ReadCounts after = sr::readCounts();
    EXPECT_EQ(after.direct - before.direct, filesUnder("f2/src").size());
    EXPECT_EQ(after.throughLibzip, before.throughLibzip);
}

// --- Lookup -----------------------------------------------------------------------------

TEST(Lookup, PlainFileWinsOverArchiveMember) {
    put("l1/in/logo.bmp", "from archive");
    run("cd l1/in && zip -q ../data.zip logo.bmp && rm logo.bmp");
    EXPECT_EQ(asString(algo::read("l1/data/logo.bmp")), "from archive");
    put("l1/data/logo.bmp", "loose");
    EXPECT_EQ(asString(algo::read("l1/data/logo.bmp")), "loose");
}

TEST(Lookup, NestedDirectoriesCutAtEachSlash) {
    // Only data.zip: data/a/b.bmp is its member a/b.bmp.
    put("l2/pack/a/b.bmp", "outer");
    run("cd l2/pack && zip -q -r ../data.zip a");
    EXPECT_EQ(asString(algo::read("l2/data/a/b.bmp")), "outer");
    // A data/a.zip beside it is nearer and wins with its member b.bmp.
    put("l2/inner/b.bmp", "inner");
    fs::create_directories("l2/data");
    run("cd l2/inner && zip -q ../data/a.zip b.bmp");
    EXPECT_EQ(asString(algo::read("l2/data/a/b.bmp")), "inner");
    // Members of the nearer archive hide the outer one entirely.
    put("l2/pack/a/only_outer.bmp", "x");
    run("cd l2/pack && zip -q ../data.zip a/only_outer.bmp");
    EXPECT_EQ(errorOf([] { algo::read("l2/data/a/only_outer.bmp"); }),
              "zip内にファイルがありません。");
}

TEST(Lookup, NotFoundAnywhereNamesThePath) {
    EXPECT_EQ(errorOf([] { algo::read("nosuch.bmp"); }),
              "スキャンしてもファイルがありません。[nosuch.bmp]");
    EXPECT_EQ(errorOf([] { algo::read("no/such/dir/x.bmp"); }),
              "スキャンしてもファイルがありません。[no/such/dir/x.bmp]");
    EXPECT_EQ(errorOf([] { algo::read(""); }), "スキャンしてもファイルがありません。[]");
}

TEST(Lookup, MissingArchiveFileWhenLoaded) {
    EXPECT_EQ(errorOf([] { algo::read("l3/zz/a.bmp"); }),
              "スキャンしてもファイルがありません。[l3/zz/a.bmp]");
    EXPECT_EQ(errorOf([] { sr::loadArchive("l3/none.zip", "a.bmp"); }), "zipがないです。");
    EXPECT_FALSE(sr::isCached("l3/none.zip"));
}

TEST(Lookup, MemberNamesAreExactAndCaseSensitive) {
    put("l4/src/Logo.BMP", "upper");
    run("cd l4/src && zip -q ../data.zip Logo.BMP");
    EXPECT_EQ(asString(algo::read("l4/data/Logo.BMP")), "upper");
    EXPECT_EQ(errorOf([] { algo::read("l4/data/logo.bmp"); }), "zip内にファイルがありません。");
    EXPECT_EQ(errorOf([] { algo::read("l4/data/Logo.BM"); }), "zip内にファイルがありません。");
    EXPECT_EQ(errorOf([] { algo::read("l4/data/src/Logo.BMP"); }), "zip内にファイルがありません。");
}

TEST(Lookup, TheLoggedErrorNamesTheArchiveAndTheMember) {
    put("l7/src/a.bmp", "x");
    run("cd l7/src && zip -q ../data.zip a.bmp");
    auto logged = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const SReadException& e) {
            EXPECT_TRUE(std::string(e.what()).find(" < ") == std::string::npos) << e.what();
            return basic::describe(e);
        }
        return "(no SReadException)";
    };
    EXPECT_EQ(logged([] { algo::read("l7/data/b.bmp"); }),
              "[algo::SReadException] zip内にファイルがありません。 < l7/data.zip [b.bmp]");
    EXPECT_EQ(logged([] { sr::loadArchive("l7/none.zip"); }),
              "[algo::SReadException] zipがないです。 < l7/none.zip");
    EXPECT_EQ(logged([] { algo::read("l7/nosuch/x.bmp"); }),
              "[algo::SReadException] スキャンしてもファイルがありません。[l7/nosuch/x.bmp]");
}

TEST(Lookup, MemberNameCutsOnlyAWholeLeadingDirectory) {
    EXPECT_EQ(sr::memberName("data/img/a.bmp", "data.zip"), "img/a.bmp");
    EXPECT_EQ(sr::memberName("a.b/c/d.bmp", "a.b/c.zip"), "d.bmp");
    EXPECT_EQ(sr::memberName("a.b/c.bmp", "a.b.zip"), "c.bmp");
    // A root archive must not eat the first character of the name.
    EXPECT_EQ(sr::memberName("x.bmp", ".zip"), "x.bmp");
    EXPECT_EQ(sr::memberName("data/x.bmp", ".zip"), "data/x.bmp");
    EXPECT_EQ(sr::memberName("database/x", "data.zip"), "database/x");
    EXPECT_EQ(sr::parentPath("a/b/c"), "a/b");
    EXPECT_EQ(sr::parentPath("abc"), "");
}

TEST(Lookup, ExistsAnswersWithoutThrowingForMissingFiles) {
    put("l5/src/map1.bmp", "m1");
    run("cd l5/src && zip -q ../data.zip map1.bmp");
    put("l5/loose.bmp", "x");
    EXPECT_TRUE(algo::exists("l5/loose.bmp"));
    EXPECT_TRUE(algo::exists("l5/data/map1.bmp"));
    EXPECT_FALSE(algo::exists("l5/data/map2.bmp"));
    EXPECT_FALSE(algo::exists("l5/other/map1.bmp"));
    EXPECT_FALSE(algo::exists("nothing_here.bmp"));
    put("l5/bad/data.zip", "not an archive at all");
    EXPECT_THROW(algo::exists("l5/bad/data/map1.bmp"), SReadException);
}

TEST(Lookup, ADirectoryIsNothingToRead) {
    put("l8/src/img/a.bmp", "a");
    put("l8/src/sub/x.bmp", "x");
    run("cd l8/src && zip -q -r ../data.zip img sub");
    fs::create_directories("l8/data/img");
    // The directory is what the lookup finds at the path, and it is no file.
    EXPECT_FALSE(algo::exists("l8/data/img"));
    EXPECT_FALSE(algo::exists("l8/data"));
    for (const char* path : {"l8/data/img", "l8/data", "l8"}) {
        SCOPED_TRACE(path);
        std::string e = errorOf([&] { algo::read(path); });
        EXPECT_NE(e.find(std::string(path) + ": is a directory"), std::string::npos) << e;
    }
    // What lies under it is still found.
    EXPECT_TRUE(algo::exists("l8/data/img/a.bmp"));
    EXPECT_EQ(asString(algo::read("l8/data/img/a.bmp")), "a");
    // A directory named like an archive is not one: the lookup goes on past it.
    fs::create_directories("l8/data/sub.zip");
    EXPECT_TRUE(algo::exists("l8/data/sub/x.bmp"));
    EXPECT_EQ(asString(algo::read("l8/data/sub/x.bmp")), "x");
}

TEST(Lookup, AFifoOrADeviceIsRefusedNotWaitedOn) {
    fs::create_directories("l9");
    ASSERT_EQ(::mkfifo("l9/map1.bmp", 0600), 0);
    fs::create_symlink("/dev/zero", "l9/map2.bmp");
    for (const char* path : {"l9/map1.bmp", "l9/map2.bmp"}) {
        SCOPED_TRACE(path);
        std::string e = errorOf([&] { algo::read(path); });
        EXPECT_NE(e.find(std::string(path) + ": is not a regular file"), std::string::npos) << e;
    }
}

TEST(Lookup, OpenStreamStartsAtZeroWithEveryByte) {
    std::string bytes = std::string("a\0b\r\nc", 6) + noise(1000, 9);
    put("l6/src/m.txt", bytes);
    run("cd l6/src && zip -q ../data.zip m.txt");
    std::istringstream in = algo::openStream("l6/data/m.txt");
    EXPECT_EQ(in.tellg(), 0);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(all == bytes);
}

// --- Archive image ----------------------------------------------------------------------

TEST(ArchiveImage, FirstFourBytesAreNeverRead) {
    put("i1/src/a.txt", compressible(4000));
    run("cd i1/src && zip -q ../base.zip a.txt");
    std::string image = testenv::readFile("i1/base.zip");
    const char* heads[] = {"\0\0\0\0", "PK\x05\x06", "\xff\xfe\xfd\xfc"};
    int i = 0;
    for (const char* head : heads) {
        std::string dir = "i1/v" + std::to_string(i++);
        std::string patched = image;
        std::memcpy(patched.data(), head, 4);
        put(dir + "/data.zip", patched);
        EXPECT_EQ(asString(algo::read(dir + "/data/a.txt")), compressible(4000)) << dir;
    }
    put("i1/short/data.zip", "PK\x03");
    std::string e = errorOf([] { algo::read("i1/short/data/a.txt"); });
    EXPECT_NE(e.find("i1/short/data.zip"), std::string::npos) << e;
    EXPECT_FALSE(sr::isCached("i1/short/data.zip"));
}

TEST(ArchiveImage, CacheReadsTheArchiveFileOnce) {
    put("c1/v1/a.txt", "first");
    put("c1/v2/a.txt", "second");
    fs::create_directories("c1/d");
    run("cd c1/v1 && zip -q ../d/data.zip a.txt");
    EXPECT_FALSE(sr::isCached("c1/d/data.zip"));
    EXPECT_EQ(asString(algo::read("c1/d/data/a.txt")), "first");
    EXPECT_TRUE(sr::isCached("c1/d/data.zip"));
    // Replaced on disk: the run keeps what it read first.
    fs::remove("c1/d/data.zip");
    run("cd c1/v2 && zip -q ../d/data.zip a.txt");
    EXPECT_EQ(asString(algo::read("c1/d/data/a.txt")), "first");
    // Each request gets its own copy.
    algo::Bytes one = algo::read("c1/d/data/a.txt");
    one[0] = 'X';
    EXPECT_EQ(asString(algo::read("c1/d/data/a.txt")), "first");
}

// Restores the descramble switch whatever happens.
struct DescrambleOn {
    explicit DescrambleOn(std::uint32_t seed) {
        sr::descramble = true;
        sr::descrambleSeed = seed;
    }
    ~DescrambleOn() {
        sr::descramble = false;
        sr::descrambleSeed = 0;
    }
};

// What a packing tool would do: both XOR layers, with a key stream made here.
std::string scramble(std::string image, std::uint32_t seed) {
    const std::string key = "QwErTyUiOpAsDfGhJkLzXcVbNmQwErTy";
    std::mt19937 stream(seed);  // MT19937 as published
    for (std::size_t i = 0; i + 4 <= image.size(); i += 4) {
        std::uint32_t k = stream();
        for (int b = 0; b < 4; ++b) image[i + b] ^= static_cast<char>(k >> (8 * b));
    }
    for (std::size_t i = 0; i < image.size(); ++i) image[i] ^= key[i % 32];
    return image;
}

TEST(ArchiveImage, DescramblingRoundTrip) {
    makeSources("d1/src");
    run("cd d1/src && zip -q -r ../plain.zip .");
    std::string image = testenv::readFile("d1/plain.zip");
    image.resize((image.size() + 3) / 4 * 4, '\0');  // a packer pads to whole words
    put("d1/s/data.zip", scramble(image, 4242));
    ASSERT_NE(testenv::readFile("d1/s/data.zip").substr(30, 8), image.substr(30, 8));
    {
        DescrambleOn on(4242);
        expectAllMembersMatch("d1/src", "d1/s/data");
    }
    // The wrong seed gives garbage, which is a damaged archive, not a crash.
    put("d1/w/data.zip", scramble(image, 4243));
    {
        DescrambleOn on(4242);
        EXPECT_THROW(algo::read("d1/w/data/logo.bmp"), SReadException);
    }
    EXPECT_FALSE(sr::isCached("d1/w/data.zip"));
    put("d1/odd/data.zip", scramble(image, 4242) + "x");
    {
        DescrambleOn on(4242);
        std::string e = errorOf([] { algo::read("d1/odd/data/logo.bmp"); });
        EXPECT_NE(e.find("d1/odd/data.zip"), std::string::npos) << e;
        EXPECT_NE(e.find("multiple of four"), std::string::npos) << e;
    }
    // With the switch off the same scrambled file is just damaged.
    put("d1/off/data.zip", scramble(image, 4242));
    EXPECT_THROW(algo::read("d1/off/data/logo.bmp"), SReadException);
}

// --- Damaged and hostile archives -------------------------------------------------------

std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + i]);
    return v;
}
void set32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
// Offsets of the central directory entry and the local header of the only member.
std::pair<std::size_t, std::size_t> headersOf(const std::string& zip) {
    std::size_t eocd = zip.rfind(std::string("PK\x05\x06", 4));
    std::size_t central = get32(zip, eocd + 16);
    return {central, get32(zip, central + 42)};
}
// Sets the uncompressed size (or another field) in both headers, so they agree.
std::string withSize(std::string zip, std::uint32_t size) {
    auto [central, local] = headersOf(zip);
    set32(zip, central + 24, size);
    set32(zip, local + 22, size);
    return zip;
}

class Hostile : public testing::Test {
  protected:
    void SetUp() override {
        put("h/src/m.txt", compressible(300000));
        if (!fs::exists("h/good.zip")) run("cd h/src && zip -q ../good.zip m.txt");
        if (!fs::exists("h/stored.zip")) run("cd h/src && zip -q -0 ../stored.zip m.txt");
        good = testenv::readFile("h/good.zip");
        stored = testenv::readFile("h/stored.zip");
    }
    // Reads member m.txt of `image` placed as a fresh archive; returns the error text.
    std::string readBroken(const std::string& image) {
        std::string dir = "h/case" + std::to_string(next++);
        put(dir + "/data.zip", image);
        std::string e = errorOf([&] { algo::read(dir + "/data/m.txt"); });
        EXPECT_NE(e.find(dir + "/data.zip"), std::string::npos) << e;
        EXPECT_NE(e.find("m.txt"), std::string::npos) << e;
        return e;
    }
    std::string good, stored;
    static inline int next = 0;
};

TEST_F(Hostile, TruncatedOrGarbageArchivesAreRefusedAndNotCached) {
    for (std::size_t cut : {good.size() - 1, good.size() - 22, good.size() / 2, std::size_t{30}}) {
        SCOPED_TRACE(cut);
        readBroken(good.substr(0, cut));
        EXPECT_FALSE(sr::isCached("h/case" + std::to_string(next - 1) + "/data.zip"));
    }
    readBroken(noise(5000, 3));
    readBroken(std::string(64, '\0'));
}

TEST_F(Hostile, LyingSizesAreCaught) {
    const std::uint32_t real = 300000;
    auto lying = [&](const std::string& zip, std::uint32_t claim, const char* what) {
        SCOPED_TRACE(what);
        return readBroken(withSize(zip, claim));
    };
    lying(good, real - 1, "one byte more than claimed");
    lying(good, real + 1, "one byte less than claimed");
    lying(good, 100, "far more than claimed");
    std::string e = lying(good, 200u << 20, "far less than claimed, within the cap");
    EXPECT_NE(e.find("ends after 300000 of its"), std::string::npos) << e;
    lying(stored, real + 7, "stored, less than claimed");
    // Compressed size pointing past the end of the archive: a stored member would run on
    // into the directory; a deflated one ends where its stream ends, with the right bytes
    // (as libzip reads it).
    for (const std::string* zip : {&stored, &good}) {
        std::string past = *zip;
        auto [central, local] = headersOf(past);
        set32(past, central + 20, 0x7fffffff);
        set32(past, local + 18, 0x7fffffff);
        if (zip == &stored) {
            SCOPED_TRACE("stored, compressed size past the end");
            readBroken(past);
        } else {
            put("h/past/data.zip", past);
            EXPECT_TRUE(asString(algo::read("h/past/data/m.txt")) == compressible(real));
        }
    }
    // Local header offset pointing past the end.
    std::string off = good;
    set32(off, headersOf(off).first + 42, 0x7ffffff0);
    SCOPED_TRACE("local header past the end");
    readBroken(off);
}

TEST_F(Hostile, HugeInflateClaimIsRefusedBeforeInflating) {
    std::string e = readBroken(withSize(good, 0xfffffff0u));
    EXPECT_NE(e.find("256 MiB"), std::string::npos) << e;
    e = readBroken(withSize(good, (256u << 20) + 1));
    EXPECT_NE(e.find("256 MiB"), std::string::npos) << e;
}

TEST_F(Hostile, ALimitRefusesWhatIsTooLargeBeforeReadingIt) {
    // A member that would inflate far beyond what the caller takes, a plain file the same.
    put("h/limit/data.zip", good);
    std::string e = errorOf([] { algo::read("h/limit/data/m.txt", 1000); });
    EXPECT_EQ(e,
              "h/limit/data.zip [m.txt]: member claims 300000 bytes, more than the 1000 it "
              "may have");
    EXPECT_EQ(algo::read("h/limit/data/m.txt", 300000).size(), 300000u);
    put("h/limit/plain.txt", compressible(4097));
    EXPECT_EQ(errorOf([] { algo::read("h/limit/plain.txt", 4096); }),
              "h/limit/plain.txt: is 4097 bytes, more than the 4096 it may have");
    EXPECT_EQ(algo::read("h/limit/plain.txt", 4097).size(), 4097u);
    // A member lying small is held to its claim, however far it would inflate.
    readBroken(withSize(good, 100));
}

TEST_F(Hostile, ArchiveMembersListsTheDirectoryOrRefusesTheArchive) {
    run("cd h/src && mkdir -p sub && printf x > sub/b.txt && zip -q -r ../listed.zip m.txt sub");
    const std::vector<std::string> names = algo::archiveMembers("h/listed.zip");
    EXPECT_EQ(names, (std::vector<std::string>{"m.txt", "sub/", "sub/b.txt"}));
    EXPECT_TRUE(sr::isCached("h/listed.zip")) << "read once, as read keeps it";
    EXPECT_EQ(errorOf([] { algo::archiveMembers("h/none.zip"); }), "zipがないです。");
    put("h/junk.zip", noise(500, 4));
    EXPECT_NE(
        errorOf([] { algo::archiveMembers("h/junk.zip"); }).find("h/junk.zip: not a readable"),
        std::string::npos);
}

TEST_F(Hostile, CorruptDataFailsItsChecksum) {
    std::string bad = stored;
    bad[headersOf(bad).second + 30 + 5 + 1000] ^= 0x20;  // inside m.txt's stored bytes
    std::string e = readBroken(bad);
    std::string crc = good;
    auto [central, local] = headersOf(crc);
    set32(crc, central + 16, get32(crc, central + 16) ^ 1);
    set32(crc, local + 14, get32(crc, local + 14) ^ 1);
    readBroken(crc);
}

TEST_F(Hostile, UnsupportedMethodIsRefused) {
    std::string m = good;
    auto [central, local] = headersOf(m);
    m[central + 10] = 1;  // an old method nobody writes any more
    m[local + 8] = 1;
    std::string e = readBroken(m);
    EXPECT_NE(e.find("not supported"), std::string::npos) << e;
}

TEST_F(Hostile, AFailedRequestKeepsTheCache) {
    put("h/keep/data.zip", good);
    EXPECT_EQ(algo::read("h/keep/data/m.txt").size(), 300000u);
    put("h/keep/sub.zip", "garbage garbage garbage");
    EXPECT_THROW(algo::read("h/keep/sub/m.txt"), SReadException);
    EXPECT_TRUE(sr::isCached("h/keep/data.zip"));
    EXPECT_FALSE(sr::isCached("h/keep/sub.zip"));
    EXPECT_EQ(algo::read("h/keep/data/m.txt").size(), 300000u);
}

// libzip's own decompressing read of every member (the first entry of each name), from the
// image as the reader repairs it: nothing where libzip cannot open the archive, and no bytes
// for a member it refuses or whose bytes are not the length and CRC-32 its entry claims
// (libzip checks no length, nor the CRC of a member without stored bytes; the reader does).
std::optional<std::map<std::string, std::optional<std::string>>> libzipRead(std::string image) {
    std::memcpy(image.data(), "PK\x03\x04", 4);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(image.data(), image.size(), 0, &error);
    zip_t* zip = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!zip) {
        if (src) zip_source_free(src);
        return std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> out;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        auto [it, first] = out.emplace(zip_get_name(zip, index, ZIP_FL_ENC_RAW), std::nullopt);
        if (!first) continue;
        zip_file_t* file = zip_fopen_index(zip, index, 0);
        if (!file) continue;
        std::string bytes;
        char buffer[4096];
        zip_int64_t n;
        while ((n = zip_fread(file, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
        zip_fclose(file);
        zip_stat_t st;
        zip_stat_index(zip, index, 0, &st);
        if (n == 0 && bytes.size() == st.size &&
            crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
                  static_cast<uInt>(bytes.size())) == st.crc)
            it->second = bytes;
    }
    zip_discard(zip);
    return out;
}

// The hand-made archives of the fuzz seeds (several end records, counts and offsets that
// disagree, overlapping members, data descriptors, ZIP64): each member reads as libzip reads
// it, or fails naming the archive and the member. Where the archive is ambiguous, the reader
// must have asked libzip, and the evil bytes a second directory names never come out.
TEST(HandMade, EveryShapeReadsAsLibzipReadsIt) {
    run("python3 " + testenv::sourceDir() + "/tests/fuzz/make_strongread_seeds.py hm/src");
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator("hm/src")) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 20u);
    for (const fs::path& file : files) {
        const std::string shape = file.stem().string();
        const std::string image = testenv::readFile(file.string());
        const std::string dir = "hm/" + shape;
        put(dir + "/data.zip", image);
        const auto want = libzipRead(image);
        std::vector<std::string> names;
        try {
            sr::loadArchive(dir + "/data.zip");
            names = sr::memberNames(dir + "/data.zip");
        } catch (const SReadException& e) {
            EXPECT_FALSE(want) << shape << ": libzip opens it";
            EXPECT_NE(std::string(e.what()).find(dir + "/data.zip"), std::string::npos) << e.what();
            continue;
        }
        ASSERT_TRUE(want) << shape << ": libzip cannot open it";
        EXPECT_EQ(names.size(), want->size()) << shape;
        for (const std::string& name : names) {
            SCOPED_TRACE(shape + " [" + name + "]");
            const std::optional<std::string>& bytes = want->at(name);
            const std::string e = errorOf([&] {
                const std::string got = asString(algo::read(dir + "/data/" + name));
                EXPECT_EQ(got.find("EVIL"), std::string::npos);
                EXPECT_TRUE(bytes && got == *bytes);
            });
            if (e != "(no SReadException)") {
                EXPECT_FALSE(bytes) << e;
                EXPECT_NE(e.find(dir + "/data.zip [" + name + "]"), std::string::npos) << e;
            }
        }
    }

    // The second directory's bytes have the first one's name, sizes and CRC: only asking
    // libzip tells them apart.
    for (const char* shape : {"two_ends_in_comment", "two_ends_other_disk", "two_ends_plain",
                              "zip64_locator_elsewhere", "end_in_member_data"}) {
        SCOPED_TRACE(shape);
        const sr::ReadCounts before = sr::readCounts();
        const std::string got =
            asString(algo::read("hm/" + std::string(shape) + "/data/level1.txt"));
        EXPECT_EQ(got.rfind("genuine line 0 of the level pack\n", 0), 0u) << got.substr(0, 40);
        EXPECT_EQ(sr::readCounts().throughLibzip, before.throughLibzip + 1);
    }
    // Read as libzip reads them, where the reader used to refuse.
    EXPECT_EQ(algo::read("hm/deflated_empty_no_bytes/data/empty.txt").size(), 0u);
    EXPECT_EQ(algo::read("hm/deflated_size_past_the_end/data/a.txt").size(), 30000u);
    EXPECT_EQ(algo::read("hm/deflated_stream_cut/data/a.txt").size(), 2000u);
    // A plain hand-made archive is read straight from the image.
    const sr::ReadCounts before = sr::readCounts();
    EXPECT_EQ(asString(algo::read("hm/plain/data/dir/c.txt")).substr(0, 5), "gamma");
    EXPECT_EQ(sr::readCounts().direct, before.direct + 1);
}

// The member checksum against zlib's own: every length around the folding steps, every
// alignment, a running value carried on, and a long buffer.
TEST(Checksum, AgreesWithZlibAtEveryLengthAndAlignment) {
    std::mt19937 rng(6);
    std::vector<std::uint8_t> data(1 << 20);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    for (std::size_t offset = 0; offset < 16; ++offset)
        for (std::size_t n = 0; n < 300; ++n) {
            const std::uint8_t* p = data.data() + offset;
            ASSERT_EQ(algo::crc32(p, n), crc32(0, p, static_cast<uInt>(n)))
                << "offset " << offset << ", length " << n;
            ASSERT_EQ(algo::crc32(p, n, 0x12345678u), crc32(0x12345678u, p, static_cast<uInt>(n)))
                << "offset " << offset << ", length " << n;
        }
    EXPECT_EQ(algo::crc32(data.data() + 3, data.size() - 3),
              crc32(0, data.data() + 3, static_cast<uInt>(data.size() - 3)));
}

TEST(Module, LogsItsStart) {
    EXPECT_NE(testenv::logText().find("Strongread ctor .."), std::string::npos);
}

}  // namespace
