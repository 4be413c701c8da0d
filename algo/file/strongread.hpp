#pragma once
/// @file
/// Game data by relative path: a plain file wins, otherwise a member of the ZIP archive named
/// after a leading directory of the path (data/x.bmp -> member x.bmp of data.zip). Archives are
/// read once and kept in memory for the run.
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
    /// A fixed message about a file: what() stays the message alone, and the text an entry
    /// handler logs names the file after it ("message < file").
    SReadException(const std::string& message, std::string file)
        : basic::Error(message), file_(std::move(file)) {}
    /// The message, then " < " and the file when one was given.
    std::string toString() const override {
        return file_.empty() ? std::string(what()) : std::string(what()) + " < " + file_;
    }
    /// The file the fixed message is about ("data.zip [x.bmp]" for a member); empty when the
    /// message names it itself.
    const std::string& file() const { return file_; }

  private:
    std::string file_;
};

/// The bytes of a file or an archive member.
using Bytes = std::vector<std::uint8_t>;

/// The bytes of the file or archive member at `path` (relative to the working directory, or
/// absolute). A plain file at the path wins and is read anew on every call; otherwise the
/// archive named after the deepest leading directory of the path that has one
/// (data/img/a.bmp: member a.bmp of data/img.zip, else member img/a.bmp of data.zip), read
/// once and kept for the run. Each member is checked against its CRC-32.
/// Raises SReadException: "スキャンしてもファイルがありません。[" + path + "]" when there is
/// neither a file nor an archive, "zip内にファイルがありません。" (file(): archive [member])
/// when the archive lacks the member, a message naming archive and member for a damaged
/// archive, and path + ": is a directory, not a file" or ": is not a regular file" for a
/// directory, a FIFO or a device at the path. A plain file that cannot be opened or read is a
/// std::runtime_error naming it and the system's reason.
Bytes read(const std::string& path);

/// `read`, refusing what is larger than `limit` bytes before it is read or inflated: a plain
/// file by its size on disk, an archive member by the size its directory entry claims (which
/// the reading then holds it to). For data whose size is known to be small (a level), so that
/// a huge file or a member that would inflate to gigabytes costs nothing. The refusal is an
/// SReadException naming the file, its size and the limit.
Bytes read(const std::string& path, std::uint64_t limit);

/// The names of the members of the archive file at `archivePath`, in directory order (with
/// '/' between folders), the archive read and kept as `read` keeps it. No file there is
/// "zipがないです。", a damaged archive an SReadException naming it.
std::vector<std::string> archiveMembers(const std::string& archivePath);

/// `read` as a binary stream positioned at offset 0, with the same errors.
std::istringstream openStream(const std::string& path);

/// Whether `read` would find something at `path`: a plain file, or a member of the archive the
/// lookup picks. A directory is not something `read` can return, so it is false. A missing
/// file is an answer, not an error; a damaged archive still raises (SReadException), and the
/// archive, once read, is kept for the run.
bool exists(const std::string& path);

/// The resource reader's module and its switches.
namespace strongread {

/// Whether archives read from now on are descrambled (an XOR key, then an MT19937 stream
/// seeded with descrambleSeed) before they are opened. Off, and the game never turns it on;
/// archives already read stay as they were read.
extern bool descramble;
/// The seed of the descrambling stream (0 unless set).
extern std::uint32_t descrambleSeed;

/// The module's start, run by algo::Engine: logs "Strongread ctor .." and enables ".zip"
/// archives. It has no end. Programs do not call it.
void moduleStart();

}  // namespace strongread
}  // namespace algo
