#pragma once
// Level files: the text grid of assets/levels/ and the 8-bit palette bitmap the game reads,
// each way, and the plain-file reading and atomic writing that the tools and the editor share.
// Parsing checks the shape only; what makes a level playable is checkLevel's (levelcheck.hpp).
// Needs nothing but the standard library, so that assetgen builds it in without the game.
#include <cstdint>
#include <functional>
#include <string>

#include "game/level.hpp"

namespace game {

/// Largest level file read from disk: a level bitmap is about a kilobyte.
inline constexpr std::uint64_t kMaxLevelFileBytes = 64 * 1024;

/// The legend character of tile code 0..15 (. # ^ * B X / \ 8 9 a b c d e S); a higher code
/// is an std::out_of_range.
char tileChar(std::uint8_t code);
/// The tile code of a legend character, -1 when the character is not in the legend.
int tileOfChar(char c);
/// The English name of tile code 0..15 ("empty", "solid", "thorns", "star", ...); a higher
/// code is an std::out_of_range.
const char* tileName(std::uint8_t code);

/// A level from its text: 32 lines of 32 legend characters, each line ended by '\n' or
/// "\r\n" (the last one may end without). std::runtime_error "name:LINE: problem", with the
/// column for a character outside the legend ("name:8: column 5: 'Q' is not in the legend").
Grid parseLevelText(const std::string& text, const std::string& name);
/// The text of a level, every line ended by '\n'. A code above 15 is an std::out_of_range.
std::string levelText(const Grid& grid);

/// The level as the 8-bit palette bitmap the game reads: 32 x 32, palette index = tile code,
/// a palette that tells the codes apart in a picture viewer. A code above 15 is an
/// std::out_of_range.
std::string levelBitmap(const Grid& grid);
/// A level from bitmap bytes, strictly: an uncompressed 8-bit BMP of 32 x 32 pixels with a
/// palette (Windows header, rows bottom-up or top-down), every pixel a code from 0 to 15.
/// std::runtime_error "name: problem" otherwise.
Grid parseLevelBitmap(const std::string& bytes, const std::string& name);

/// The whole of a plain file, refused (std::runtime_error naming `path` and the problem) when
/// it is missing, no regular file (a directory, a FIFO, a device: nothing that could block or
/// never end) or larger than `limit` bytes.
std::string readPlainFile(const std::string& path, std::uint64_t limit);

/// A level file by its extension (.bmp or .txt, in any case), read from the plain file
/// system. A missing file, one that is no regular file (a directory, a FIFO, a device) or
/// larger than kMaxLevelFileBytes is an std::runtime_error naming `path`, as is a bad level.
Grid readLevelFile(const std::string& path);

/// Writes through a temporary file in the same folder, flushed, then renamed over `path`: a
/// failure leaves the old file whole. The file keeps the mode of the one it replaces (a new
/// one gets 0666 less the umask). Throws std::runtime_error naming `path`.
void writeFileAtomically(const std::string& path, const std::string& bytes);
/// The same, with a look at the written temporary file before it takes `path`'s place: the
/// temporary file's name ends as `path` does (its extension kept), and whatever `verify`
/// throws leaves `path` as it was, and goes on to the caller.
void writeFileAtomically(const std::string& path, const std::string& bytes,
                         const std::function<void(const std::string& written)>& verify);

}  // namespace game
