#pragma once
// The resource reader's archive internals, for the engine, its tests, fuzz targets and
// benchmarks. Not installed: programs on the engine use algo/file/strongread.hpp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "algo/file/strongread.hpp"

namespace algo::strongread {

// Members larger than this are refused rather than inflated.
constexpr std::uint64_t kMaxMemberSize = 256ull << 20;

// Repeating XOR key of the descrambling pass.
extern const char kReadKey[];

// Part of `current` before its last '/'; empty when there is none.
std::string parentPath(const std::string& current);

// Member name of `path` inside the archive file `archivePath`.
std::string memberName(const std::string& path, const std::string& archivePath);

// XORs every byte at offset i with key[i % key.size()]; an empty key changes nothing.
void xorWithKey(std::uint8_t* data, std::size_t size, const std::string& key);

// Both descrambling layers; also what scrambles a plain archive (each layer is its own inverse).
// Throws SReadException naming `archivePath` for a length that is not a multiple of four.
void descrambleImage(Bytes& image, const std::string& archivePath);

// Reads and caches the archive file unless it is cached already ("zipがないです。" when no
// file is there).
void loadArchive(const std::string& archivePath, const std::string& forMember = {});

// Parses an archive image (as read from disk) and caches it under `archivePath`. A damaged
// image raises SReadException naming the archive (and `forMember`, when given) and caches
// nothing. An image already cached under that path is kept.
void loadArchiveImage(const std::string& archivePath, Bytes image,
                      const std::string& forMember = {});

// Expands a member of a cached archive and checks it against its stored size and CRC-32; a
// member claiming more than `limit` (or kMaxMemberSize) bytes is refused before it is read.
Bytes extractMember(const std::string& archivePath, const std::string& member,
                    std::uint64_t limit = kMaxMemberSize);

// Names of the members of a cached archive, in directory order (the first entry of a name is
// the member of that name).
std::vector<std::string> memberNames(const std::string& archivePath);

bool isCached(const std::string& archivePath);
// Forgets every cached archive (fuzzing and tests; the game never does).
void clearCache();

// How members have been read since the start: straight from the archive image, where the
// archive leaves no doubt which bytes libzip would read, or through libzip's own reading.
struct ReadCounts {
    std::uint64_t direct = 0;
    std::uint64_t throughLibzip = 0;
};
ReadCounts readCounts();

}  // namespace algo::strongread
