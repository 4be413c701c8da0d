// Reading every member of a ~50 MB archive through the resource reader, against inflating the
// same members with zlib directly; and the cost of opening the archive.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zip.h>
#include <zlib.h>

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

namespace {

namespace sr = algo::strongread;

std::string gDir;      // temporary directory holding data.zip
std::string gArchive;  // its path
struct Member {
    std::string name;
    std::uint32_t method, compSize, size;
    std::size_t dataOffset;
};
std::vector<Member> gMembers;
std::vector<std::uint8_t> gImage;

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

std::uint32_t le32(std::size_t at) {
    return gImage[at] | gImage[at + 1] << 8 | gImage[at + 2] << 16 |
           static_cast<std::uint32_t>(gImage[at + 3]) << 24;
}
std::uint16_t le16(std::size_t at) {
    return static_cast<std::uint16_t>(gImage[at] | gImage[at + 1] << 8);
}

void buildArchive() {
    char tmpl[] = "/tmp/starhop-bench-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    gDir = tmpl;
    gArchive = gDir + "/data.zip";
    int err = 0;
    zip_t* z = zip_open(gArchive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) throw std::runtime_error("cannot create " + gArchive);
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
    if (zip_close(z) != 0) throw std::runtime_error("cannot write " + gArchive);

    // Where each member's data lies, for the direct zlib run.
    FILE* f = std::fopen(gArchive.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    gImage.resize(static_cast<std::size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(gImage.data(), 1, gImage.size(), f) != gImage.size())
        throw std::runtime_error("short read");
    std::fclose(f);
    std::size_t eocd = gImage.size() - 22;
    std::size_t at = le32(eocd + 16);
    for (std::uint16_t i = 0, n = le16(eocd + 10); i < n; ++i) {
        Member m;
        m.method = le16(at + 10);
        m.compSize = le32(at + 20);
        m.size = le32(at + 24);
        std::uint16_t nameLen = le16(at + 28);
        m.name.assign(reinterpret_cast<const char*>(&gImage[at + 46]), nameLen);
        std::size_t local = le32(at + 42);
        m.dataOffset = local + 30 + le16(local + 26) + le16(local + 28);
        at += 46 + nameLen + le16(at + 30) + le16(at + 32);
        gMembers.push_back(m);
    }
}

std::size_t readAll() {
    std::size_t total = 0;
    for (const Member& m : gMembers) {
        algo::Bytes b = algo::read(gDir + "/data/" + m.name);
        benchmark::DoNotOptimize(b.data());
        total += b.size();
    }
    return total;
}

std::size_t zlibAll() {
    std::size_t total = 0;
    for (const Member& m : gMembers) {
        std::vector<std::uint8_t> out(m.size);
        if (m.method == 0) {
            std::memcpy(out.data(), &gImage[m.dataOffset], m.size);
        } else {
            z_stream s{};
            inflateInit2(&s, -MAX_WBITS);
            s.next_in = &gImage[m.dataOffset];
            s.avail_in = m.compSize;
            s.next_out = out.data();
            s.avail_out = m.size;
            if (inflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("inflate");
            inflateEnd(&s);
        }
        benchmark::DoNotOptimize(out.data());
        total += out.size();
    }
    return total;
}

void BM_ReadEveryMember(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) bytes += readAll();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ReadEveryMember)->Unit(benchmark::kMillisecond);

void BM_ZlibEveryMember(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) bytes += zlibAll();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ZlibEveryMember)->Unit(benchmark::kMillisecond);

// Both in turn in the same iterations; "ratio" is the reader's time over zlib's (goal <= 1.3).
void BM_ReadOverZlibRatio(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    double reader = 0, direct = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        readAll();
        auto t1 = Clock::now();
        zlibAll();
        auto t2 = Clock::now();
        reader += std::chrono::duration<double>(t1 - t0).count();
        direct += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = reader / direct;
}
BENCHMARK(BM_ReadOverZlibRatio)->Unit(benchmark::kMillisecond)->Iterations(10);

// Reading the archive file and parsing its directory (the file is in the page cache).
void BM_ArchiveOpen(benchmark::State& state) {
    for (auto _ : state) {
        sr::clearCache();
        sr::loadArchive(gArchive);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gImage.size()));
}
BENCHMARK(BM_ArchiveOpen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    algo::logger::enabled = false;
    sr::moduleStart();
    buildArchive();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sr::clearCache();
    std::filesystem::remove_all(gDir);
    return 0;
}
