#pragma once
// Game data by relative path: a plain file wins, otherwise a member of the ZIP archive named
// after a leading directory of the path (data/x.bmp -> member x.bmp of data.zip). Archives are
// read once and kept in memory for the run.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "basic/error.hpp"

namespace algo {

/// The error of the resource reader: nothing at the path, no archive, no such member, or a
/// damaged archive (then the message names the archive and the member). Every loader that
/// reads game data lets it through unchanged.
///
/// @code
/// try {
///     algo::Bytes level = algo::read("data/level9.txt");
/// } catch (const algo::SReadException& e) {
///     algo::log(basic::describe(e));  // nowhere: スキャンしてもファイルがありません。[...]
/// }
/// @endcode
class SReadException : public basic::Error {
  public:
    using basic::Error::Error;
    // A fixed message about a file: what() stays the message alone, and the text an entry
    // handler logs names the file after it ("message < file").
    SReadException(const std::string& message, std::string file)
        : basic::Error(message), file_(std::move(file)) {}
    std::string toString() const override {
        return file_.empty() ? std::string(what()) : std::string(what()) + " < " + file_;
    }
    const std::string& file() const { return file_; }

  private:
    std::string file_;
};

using Bytes = std::vector<std::uint8_t>;

// The bytes of the file or archive member at `path`.
Bytes read(const std::string& path);

// `read` as a stream positioned at offset 0.
std::istringstream openStream(const std::string& path);

// Whether `read` would find something at `path` (a plain file, or a member of the archive the
// lookup picks). A missing file is an answer, not an error; a damaged archive still raises.
bool exists(const std::string& path);

namespace strongread {

// Members larger than this are refused rather than inflated.
constexpr std::uint64_t kMaxMemberSize = 256ull << 20;

// Descrambling of archive files: off in the game.
extern bool descramble;
extern std::uint32_t descrambleSeed;
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

// Reads and caches the archive file unless it is cached already ("zipがないです。" when the
// file is missing).
void loadArchive(const std::string& archivePath, const std::string& forMember = {});

// Parses an archive image (as read from disk) and caches it under `archivePath`. A damaged
// image raises SReadException naming the archive (and `forMember`, when given) and caches
// nothing. An image already cached under that path is kept.
void loadArchiveImage(const std::string& archivePath, Bytes image,
                      const std::string& forMember = {});

// CRC-32 of the bytes, continuing from `crc` (zlib's crc32, with the processor's carry-less
// multiply where it has one).
std::uint32_t checksum(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

// Expands a member of a cached archive and checks it against its stored CRC-32.
Bytes extractMember(const std::string& archivePath, const std::string& member);

// Names of the members of a cached archive, in directory order.
std::vector<std::string> memberNames(const std::string& archivePath);

bool isCached(const std::string& archivePath);
// Forgets every cached archive (fuzzing and tests; the game never does).
void clearCache();

void moduleStart();

}  // namespace strongread
}  // namespace algo
