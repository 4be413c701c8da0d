// Reading every member of an archive through the resource reader, against zlib doing the same
// work on the same in-memory image: each member copied (stored) or inflated (deflated) into a
// vector of its own and its CRC-32 checked (zlib's crc32; the reader has its own). Two
// archives: 48 members of about 1 MB (inflating dominates), and the game's own data.zip as
// the build makes it (many small members, where per-read costs dominate: the path lookup on
// disk, the directory lookup). Reader and reference take turns pass by pass; each reports the
// median, 99th percentile and worst of a pass over all members, and "ratio" is the reader's
// median over the reference's (goal at most 1.3). Then the cost of opening each archive.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/file/private/archive.hpp"
#include "algo/file/strongread.hpp"

// Where the build puts the game's data.zip (bench/CMakeLists.txt); empty without the data.
#ifndef STARHOP_DATA_ZIP
#define STARHOP_DATA_ZIP ""
#endif

namespace {

namespace sr = algo::strongread;
namespace fs = std::filesystem;

std::string gTemp;  // temporary directory holding both archives

struct Member {
    std::string name;
    std::uint32_t method, crc, compSize, size;
    std::size_t dataOffset;
};

struct Case {
    const char* label;
    std::string dir;      // the archive is dir + "/data.zip"; members are read as dir/data/NAME
    std::string archive;  // empty when it could not be made
    std::vector<std::uint8_t> image;
    std::vector<Member> members;
};
Case gLarge{"48 members of about 1 MB", {}, {}, {}, {}};
Case gGame{"the game's data.zip", {}, {}, {}, {}};

// Mixed content: text that deflates well, picture-like runs, and noise.
std::string makeContent(int kind, std::size_t n, std::mt19937& g) {
    std::string s;
    s.reserve(n);
    if (kind == 0) {
        const char* words[] = {"star ", "rabbit ", "hop ", "level ", "tile ", "jump\n"};
        while (s.size() < n) s += words[g() % 6];
    } else if (kind == 1) {
        while (s.size() < n) s.append(1 + g() % 40, static_cast<char>(g() % 8));
    } else {
        while (s.size() < n) s.push_back(static_cast<char>(g()));
    }
    s.resize(n);
    return s;
}

void makeLargeArchive(const std::string& path) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) throw std::runtime_error("cannot create " + path);
    std::mt19937 g(7);
    std::vector<std::string> contents;
    for (int i = 0; i < 48; ++i) contents.push_back(makeContent(i % 3, 1'000'000 + i * 10'000, g));
    for (std::size_t i = 0; i < contents.size(); ++i) {
        zip_source_t* src = zip_source_buffer(z, contents[i].data(), contents[i].size(), 0);
        char name[32];
        std::snprintf(name, sizeof name, "m%zu.bin", i);
        zip_int64_t idx = zip_file_add(z, name, src, ZIP_FL_ENC_UTF_8);
        // Noise is stored, as a packer would leave it; everything else deflated.
        zip_set_file_compression(z, static_cast<zip_uint64_t>(idx),
                                 i % 3 == 2 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 6);
    }
    if (zip_close(z) != 0) throw std::runtime_error("cannot write " + path);
}

// Reads the archive into memory and finds where each member's data lies, for the reference.
void index(Case& c) {
    const auto& img = c.image;
    FILE* f = std::fopen(c.archive.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot open " + c.archive);
    c.image.resize(fs::file_size(c.archive));
    const bool whole = std::fread(c.image.data(), 1, c.image.size(), f) == c.image.size();
    std::fclose(f);
    if (!whole) throw std::runtime_error("short read of " + c.archive);
    auto le16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(img[at] | img[at + 1] << 8);
    };
    auto le32 = [&](std::size_t at) {
        return img[at] | img[at + 1] << 8 | img[at + 2] << 16 |
               static_cast<std::uint32_t>(img[at + 3]) << 24;
    };
    std::size_t eocd = img.size() - 22;
    while (le32(eocd) != 0x06054b50) --eocd;
    std::size_t at = le32(eocd + 16);
    for (std::uint16_t i = 0, n = le16(eocd + 10); i < n; ++i) {
        Member m;
        m.method = le16(at + 10);
        m.crc = le32(at + 16);
        m.compSize = le32(at + 20);
        m.size = le32(at + 24);
        const std::uint16_t nameLen = le16(at + 28);
        m.name.assign(reinterpret_cast<const char*>(&img[at + 46]), nameLen);
        const std::size_t local = le32(at + 42);
        m.dataOffset = local + 30 + le16(local + 26) + le16(local + 28);
        at += 46 + nameLen + le16(at + 30) + le16(at + 32);
        if (m.name.empty() || m.name.back() != '/') c.members.push_back(m);
    }
}

void setUp() {
    char tmpl[] = "/tmp/starhop-bench-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    gTemp = tmpl;
    gLarge.dir = gTemp + "/large";
    fs::create_directories(gLarge.dir);
    gLarge.archive = gLarge.dir + "/data.zip";
    makeLargeArchive(gLarge.archive);
    index(gLarge);

    gGame.dir = gTemp + "/game";
    fs::create_directories(gGame.dir);
    std::error_code ec;
    if (*STARHOP_DATA_ZIP && fs::copy_file(STARHOP_DATA_ZIP, gGame.dir + "/data.zip", ec)) {
        gGame.archive = gGame.dir + "/data.zip";
        index(gGame);
    }
}

std::size_t readerPass(const Case& c) {
    std::size_t total = 0;
    for (const Member& m : c.members) {
        algo::Bytes b = algo::read(c.dir + "/data/" + m.name);
        benchmark::DoNotOptimize(b.data());
        total += b.size();
    }
    return total;
}

std::size_t zlibPass(const Case& c) {
    std::size_t total = 0;
    for (const Member& m : c.members) {
        const std::uint8_t* raw = &c.image[m.dataOffset];
        std::vector<std::uint8_t> out;
        if (m.method == 0) {
            out.assign(raw, raw + m.size);
        } else {
            out.resize(m.size);
            z_stream s{};
            inflateInit2(&s, -MAX_WBITS);
            s.next_in = const_cast<std::uint8_t*>(raw);
            s.avail_in = m.compSize;
            s.next_out = out.data();
            s.avail_out = m.size;
            const int ret = inflate(&s, Z_FINISH);
            inflateEnd(&s);
            if (ret != Z_STREAM_END) throw std::runtime_error("inflate " + m.name);
        }
        if (crc32(0, out.data(), static_cast<uInt>(out.size())) != m.crc)
            throw std::runtime_error("CRC " + m.name);
        benchmark::DoNotOptimize(out.data());
        total += out.size();
    }
    return total;
}

double percentile(std::vector<double> v, double p) {
    const std::size_t k = std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

void report(benchmark::State& state, const char* who, const std::vector<double>& ms) {
    const std::string w = who;
    state.counters[w + "_median_ms"] = percentile(ms, 0.5);
    state.counters[w + "_p99_ms"] = percentile(ms, 0.99);
    state.counters[w + "_worst_ms"] = *std::max_element(ms.begin(), ms.end());
}

// Reader and reference in turn, each pass reading every member once.
void readerAgainstZlib(benchmark::State& state, const Case& c) {
    if (c.archive.empty()) {
        state.SkipWithError(
            ("no " + std::string(STARHOP_DATA_ZIP) + ": build the data target").c_str());
        return;
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    readerPass(c);  // the archive is loaded and cached, as in a game after its first read
    zlibPass(c);
    std::vector<double> reader, direct;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        bytes += readerPass(c);
        const auto t1 = Clock::now();
        zlibPass(c);
        const auto t2 = Clock::now();
        reader.push_back(ms(t1 - t0));
        direct.push_back(ms(t2 - t1));
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    report(state, "reader", reader);
    report(state, "zlib", direct);
    state.counters["members"] = static_cast<double>(c.members.size());
    state.counters["ratio"] = percentile(reader, 0.5) / percentile(direct, 0.5);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_LargeMembers(benchmark::State& state) {
    readerAgainstZlib(state, gLarge);
}
BENCHMARK(BM_LargeMembers)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_GameData(benchmark::State& state) {
    readerAgainstZlib(state, gGame);
}
BENCHMARK(BM_GameData)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

// Reading the archive file and parsing its directory (the file is in the page cache).
void archiveOpen(benchmark::State& state, const Case& c) {
    if (c.archive.empty()) {
        state.SkipWithError("no data.zip");
        return;
    }
    for (auto _ : state) {
        sr::clearCache();
        sr::loadArchive(c.archive);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.image.size()));
}
void BM_ArchiveOpenLarge(benchmark::State& state) {
    archiveOpen(state, gLarge);
}
BENCHMARK(BM_ArchiveOpenLarge)->Unit(benchmark::kMillisecond);
void BM_ArchiveOpenGame(benchmark::State& state) {
    archiveOpen(state, gGame);
}
BENCHMARK(BM_ArchiveOpenGame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    algo::logger::enabled = false;
    sr::moduleStart();
    setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Every read above went straight from the image, or the figures are not the fast path's.
    const sr::ReadCounts counts = sr::readCounts();
    std::printf("reads straight from the image: %llu, through libzip: %llu\n",
                static_cast<unsigned long long>(counts.direct),
                static_cast<unsigned long long>(counts.throughLibzip));
    sr::clearCache();
    fs::remove_all(gTemp);
    return 0;
}
