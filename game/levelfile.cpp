#include "game/levelfile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace game {

namespace {

const char kLegend[] = ".#^*BX/\\89abcdeS";

const char* const kTileNames[16] = {
    "empty",    "solid",      "thorns", "star",   "vanishing block", "vanishing thorns",
    "slope up", "slope down", "grass",  "flower", "cloud",           "fence",
    "mushroom", "sign",       "leaves", "start",
};

// Viewer colours only: the game reads the indexes.
const std::uint32_t kLevelPalette[16] = {
    0xffffff, 0x6b4a2b, 0xe02020, 0xffd700, 0xb08050, 0xc040c0, 0x8b6b4b, 0x8b6b4b,
    0x60c060, 0xf080a0, 0xc0e0ff, 0x9a7a50, 0x40a040, 0xd0a060, 0x308030, 0x2060ff,
};

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kPaletteEntries = 256;

void checkCode(std::uint8_t code) {
    if (code > 15) throw std::out_of_range("tile code " + std::to_string(code) + " is above 15");
}

void put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>((v >> 8) & 0xff));
}

void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

[[noreturn]] void fail(const std::string& name, const std::string& problem) {
    throw std::runtime_error(name + ": " + problem);
}

std::string systemError(const char* what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

// Closes a descriptor on every way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool endsWith(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

}  // namespace

char tileChar(std::uint8_t code) {
    checkCode(code);
    return kLegend[code];
}

int tileOfChar(char c) {
    for (int i = 0; i < 16; ++i)
        if (kLegend[i] == c) return i;
    return -1;
}

const char* tileName(std::uint8_t code) {
    checkCode(code);
    return kTileNames[code];
}

Grid parseLevelText(const std::string& text, const std::string& name) {
    auto failAt = [&](std::size_t line, const std::string& problem) {
        fail(name + ":" + std::to_string(line), problem);
    };
    std::size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;  // a byte-order mark some editors add
    std::vector<std::string> lines;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() != kGridSize)
        failAt(lines.size(), "a level has 32 lines, this one " + std::to_string(lines.size()));
    Grid grid{};
    for (int r = 0; r < kGridSize; ++r) {
        const std::string& line = lines[static_cast<std::size_t>(r)];
        const auto number = static_cast<std::size_t>(r + 1);
        if (line.size() != kGridSize)
            failAt(number,
                   "a level line has 32 characters, this one " + std::to_string(line.size()));
        for (int c = 0; c < kGridSize; ++c) {
            const char ch = line[static_cast<std::size_t>(c)];
            const int t = tileOfChar(ch);
            if (t < 0) {
                const bool printable = ch > ' ' && ch < 0x7f;
                char shown[8];
                std::snprintf(shown, sizeof shown, printable ? "'%c'" : "byte %d",
                              printable ? ch : static_cast<unsigned char>(ch));
                failAt(number,
                       "column " + std::to_string(c + 1) + ": " + shown + " is not in the legend");
            }
            grid[c][r] = static_cast<std::uint8_t>(t);
        }
    }
    return grid;
}

std::string levelText(const Grid& grid) {
    std::string s;
    s.reserve(kGridSize * (kGridSize + 1));
    for (int r = 0; r < kGridSize; ++r) {
        for (int c = 0; c < kGridSize; ++c) s.push_back(tileChar(grid[c][r]));
        s.push_back('\n');
    }
    return s;
}

std::string levelBitmap(const Grid& grid) {
    const std::uint32_t pixelOffset = kFileHeader + kInfoHeader + kPaletteEntries * 4;
    const std::uint32_t imageBytes = kGridSize * kGridSize;  // 32-byte rows need no padding
    std::string s = "BM";
    put32(s, pixelOffset + imageBytes);
    put32(s, 0);
    put32(s, pixelOffset);
    put32(s, kInfoHeader);
    put32(s, kGridSize);
    put32(s, kGridSize);  // positive: rows stored bottom-up
    put16(s, 1);
    put16(s, 8);
    put32(s, 0);  // no compression
    put32(s, imageBytes);
    put32(s, 2835);  // 72 dpi
    put32(s, 2835);
    put32(s, kPaletteEntries);
    put32(s, 0);
    for (std::size_t i = 0; i < kPaletteEntries; ++i) {
        const std::uint32_t c = i < 16 ? kLevelPalette[i] : 0;
        put32(s, c);  // 0x00RRGGBB little-endian: blue, green, red, 0
    }
    for (int r = kGridSize - 1; r >= 0; --r)
        for (int c = 0; c < kGridSize; ++c) {
            checkCode(grid[c][r]);
            s.push_back(static_cast<char>(grid[c][r]));
        }
    return s;
}

Grid parseLevelBitmap(const std::string& bytes, const std::string& name) {
    auto u16 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8;
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < kFileHeader + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        fail(name, "not a BMP file");
    const std::uint32_t header = u32(kFileHeader);
    if (header != 40 && header != 108 && header != 124)
        fail(name, "a level bitmap has a header of 40, 108 or 124 bytes, this one " +
                       std::to_string(header));
    if (bytes.size() < kFileHeader + header) fail(name, "not a BMP file: its header is cut short");
    const std::uint32_t offset = u32(10);
    const auto width = static_cast<std::int32_t>(u32(18));
    const auto height = static_cast<std::int32_t>(u32(22));
    const std::uint32_t bits = u16(28), compression = u32(30), colours = u32(46);
    if (width != kGridSize || (height != kGridSize && height != -kGridSize))
        fail(name, "a level bitmap is 32 x 32, this one " + std::to_string(width) + " x " +
                       std::to_string(height < 0 ? -static_cast<std::int64_t>(height) : height));
    if (bits != 8)
        fail(name, "a level bitmap has 8 bits per pixel and a palette, this one " +
                       std::to_string(bits) + " bits per pixel");
    if (compression != 0)
        fail(name, "a level bitmap is uncompressed, this one uses compression " +
                       std::to_string(compression));
    if (colours > kPaletteEntries)
        fail(name, "a palette of " + std::to_string(colours) + " colours, more than 8 bits hold");
    // The palette lies between the header and the pixels; no room for one entry is none.
    const std::uint64_t paletteStart = kFileHeader + header;
    if (offset < paletteStart + 4) fail(name, "a level bitmap has a palette, this one none");
    if (offset > bytes.size() || bytes.size() - offset < kGridSize * kGridSize)
        fail(name, "pixel data is cut short: " + std::to_string(bytes.size()) +
                       " bytes, the pixels need " + std::to_string(kGridSize * kGridSize) +
                       " from byte " + std::to_string(offset));
    Grid grid{};
    for (int r = 0; r < kGridSize; ++r) {
        const int stored = height > 0 ? kGridSize - 1 - r : r;
        for (int c = 0; c < kGridSize; ++c) {
            const auto v = static_cast<std::uint8_t>(
                bytes[offset + static_cast<std::size_t>(stored) * kGridSize + c]);
            if (v > 15)
                fail(name, "column " + std::to_string(c) + ", row " + std::to_string(r) +
                               " holds code " + std::to_string(v) + ", above 15");
            grid[c][r] = v;
        }
    }
    return grid;
}

std::string readPlainFile(const std::string& path, std::uint64_t limit) {
    // Non-blocking, so that a FIFO where a file should be cannot stall the open.
    Descriptor d{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (d.fd < 0) fail(path, systemError("cannot open"));
    struct stat st {};
    if (::fstat(d.fd, &st) != 0) fail(path, systemError("cannot read"));
    if (S_ISDIR(st.st_mode)) fail(path, "is a directory, not a file");
    if (!S_ISREG(st.st_mode)) fail(path, "is not a regular file");
    if (static_cast<std::uint64_t>(st.st_size) > limit)
        fail(path, "is " + std::to_string(st.st_size) + " bytes, more than the " +
                       std::to_string(limit) + " it may have");
    // Room for what the file holds now and a byte more, which tells a file that grew; it may
    // grow up to the limit and a byte.
    std::string out(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const std::size_t most = limit >= SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(limit) + 1;
    std::size_t total = 0;
    for (;;) {
        if (total == out.size()) {
            if (out.size() == most) break;
            out.resize(std::min(most, out.size() * 2));
        }
        const ssize_t n = ::read(d.fd, out.data() + total, out.size() - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path, systemError("cannot read"));
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    if (total > limit)
        fail(path, "is more than the " + std::to_string(limit) + " bytes it may have");
    out.resize(total);
    return out;
}

Grid readLevelFile(const std::string& path) {
    if (endsWith(path, ".bmp"))
        return parseLevelBitmap(readPlainFile(path, kMaxLevelFileBytes), path);
    if (endsWith(path, ".txt"))
        return parseLevelText(readPlainFile(path, kMaxLevelFileBytes), path);
    fail(path, "a level file is a .bmp or a .txt file");
}

void writeFileAtomically(const std::string& path, const std::string& bytes) {
    writeFileAtomically(path, bytes, nullptr);
}

void writeFileAtomically(const std::string& path, const std::string& bytes,
                         const std::function<void(const std::string& written)>& verify) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) fail(path, "cannot write: no file name");
    const std::size_t dot = base.rfind('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    std::string temp = (slash == std::string::npos ? "" : dir) + "." + base + ".XXXXXX" + extension;

    Descriptor d{::mkstemps(temp.data(), static_cast<int>(extension.size()))};
    if (d.fd < 0) fail(path, systemError("cannot write a temporary file beside it"));
    bool renamed = false;
    struct Cleanup {
        const std::string& temp;
        const bool& renamed;
        ~Cleanup() {
            if (!renamed) ::unlink(temp.c_str());
        }
    } cleanup{temp, renamed};

    // The mode of the file it replaces, or what a new file gets.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(d.fd, mode) != 0) fail(path, systemError("cannot write"));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(d.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path, systemError("cannot write"));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(d.fd) != 0) fail(path, systemError("cannot write"));
    const int fd = d.fd;
    d.fd = -1;
    if (::close(fd) != 0) fail(path, systemError("cannot write"));
    if (verify) verify(temp);
    if (::rename(temp.c_str(), path.c_str()) != 0) fail(path, systemError("cannot write"));
    renamed = true;
    // The rename itself reaches the disk with the folder.
    Descriptor folder{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0) ::fsync(folder.fd);
}

}  // namespace game
