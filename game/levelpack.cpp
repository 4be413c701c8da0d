#include "game/levelpack.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "algo/file/strongread.hpp"
#include "game/levelfile.hpp"

namespace game {

namespace {

namespace fs = std::filesystem;

const char* const kTunes[2] = {"jump.ogg", "jump2.ogg"};

// The reader's errors name their file in toString, the others in what().
PackError packError(const std::exception& e) {
    if (const auto* read = dynamic_cast<const algo::SReadException*>(&e))
        return PackError(read->toString());
    return PackError(e.what());
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string packLevelName(std::int32_t n) {
    return "map" + std::to_string(n) + ".bmp";
}

std::int32_t packNumber(const std::string& name, const std::string& extension,
                        const std::string& shown) {
    if (name.rfind("map", 0) != 0 || !endsWith(name, extension)) return 0;
    const std::string digits = name.substr(3, name.size() - 3 - extension.size());
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    if (digits[0] == '0')
        throw PackError(shown +
                        ": levels are numbered from 1 without leading zeros (map1.bmp, map2.bmp, "
                        "...)");
    if (digits.size() > 3)
        throw PackError(shown + ": a pack holds at most " + std::to_string(kMaxPackLevels) +
                        " levels");
    return std::stoi(digits);
}

std::string LevelPack::fileName(const std::string& member) const {
    return archive_ ? path_ + " [" + member + "]" : path_ + "/" + member;
}

std::string LevelPack::read(const std::string& member, std::uint64_t limit) const {
    try {
        const algo::Bytes bytes = algo::read(base_ + "/" + member, limit);
        return std::string(bytes.begin(), bytes.end());
    } catch (const std::exception& e) {
        throw packError(e);
    }
}

LevelPack LevelPack::open(const std::string& given) {
    LevelPack pack;
    std::string& path = pack.path_;
    path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) throw PackError("a level pack needs a path: a folder or a .zip archive");

    // What the reader is asked for decides where it looks: "base/map1.bmp" is a plain file in
    // the folder base, or else the member map1.bmp of the archive base.zip.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw PackError(path + ": no such folder or archive");
    std::vector<std::string> names;
    std::string nested;  // a folder inside the archive that holds the levels
    if (S_ISDIR(st.st_mode)) {
        pack.base_ = path;
        std::error_code ec;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename().string());
        if (ec) throw PackError(path + ": cannot list the folder (" + ec.message() + ")");
    } else if (S_ISREG(st.st_mode) && endsWith(path, ".zip")) {
        pack.archive_ = true;
        pack.base_ = path.substr(0, path.size() - 4);
        if (pack.base_.empty() || pack.base_.back() == '/')
            throw PackError(path + ": an archive needs a name before .zip");
        if (static_cast<std::uint64_t>(st.st_size) > kMaxPackBytes)
            throw PackError(path + ": " + std::to_string(st.st_size) +
                            " bytes, more than a pack may have (256 MiB)");
        std::error_code ec;
        if (fs::is_directory(pack.base_, ec))
            throw PackError(path + ": a folder of its name (" + pack.base_ +
                            ") stands beside it and would be read instead of the archive: move "
                            "or rename one of them");
        try {
            for (std::string& name : algo::archiveMembers(path)) {
                const std::size_t slash = name.rfind('/');
                if (slash == std::string::npos)
                    names.push_back(std::move(name));
                else if (nested.empty() &&
                         name.compare(slash + 1, std::string::npos, "map1.bmp") == 0)
                    nested = name.substr(0, slash + 1);
            }
        } catch (const std::exception& e) {
            throw packError(e);
        }
    } else {
        throw PackError(path + ": a level pack is a folder or a .zip archive");
    }

    // What the names say: levels, proofs, tunes; anything else is left alone.
    std::set<std::int32_t> levels, proofs;
    for (const std::string& name : names) {
        if (const std::int32_t n = packNumber(name, ".bmp", pack.fileName(name))) levels.insert(n);
        if (const std::int32_t n = packNumber(name, ".proof", pack.fileName(name)))
            proofs.insert(n);
        for (int t = 0; t < 2; ++t) pack.tunes_[t] = pack.tunes_[t] || name == kTunes[t];
    }
    if (levels.empty()) {
        std::string why = path + ": no levels in the pack: it holds map1.bmp, map2.bmp, ...";
        if (!nested.empty()) why += " at the top of the archive, not in a folder (" + nested + ")";
        throw PackError(why);
    }
    const std::int32_t last = *levels.rbegin();
    for (std::int32_t n = 1; n < last; ++n)
        if (!levels.count(n))
            throw PackError(pack.fileName(packLevelName(n)) + ": missing, but " +
                            packLevelName(last) +
                            " is there: levels are numbered from 1 without a gap");
    for (std::int32_t n : proofs)
        if (n > last)
            throw PackError(pack.fileName("map" + std::to_string(n) + ".proof") +
                            ": a proof of level " + std::to_string(n) + ", which the pack lacks");

    for (std::int32_t n = 1; n <= last; ++n) {
        const std::string name = packLevelName(n);
        try {
            pack.levels_.push_back(
                parseLevelBitmap(pack.read(name, kMaxLevelFileBytes), pack.fileName(name)));
        } catch (const PackError&) {
            throw;
        } catch (const std::exception& e) {
            throw PackError(e.what());
        }
        pack.proofs_.push_back(proofs.count(n) != 0);
    }
    for (int t = 0; t < 2; ++t) {
        if (!pack.tunes_[t]) continue;
        const std::string bytes = pack.read(kTunes[t], kMaxPackTuneBytes);
        if (bytes.compare(0, 4, "OggS") != 0)
            throw PackError(pack.fileName(kTunes[t]) + ": not an Ogg Vorbis file");
    }
    return pack;
}

const Grid& LevelPack::level(std::int32_t n) const {
    if (n < 1 || n > count())
        throw std::out_of_range(path_ + ": no level " + std::to_string(n) + ", the pack holds " +
                                std::to_string(count()));
    return levels_[static_cast<std::size_t>(n - 1)];
}

std::string LevelPack::tune(const std::string& name) const {
    for (int t = 0; t < 2; ++t)
        if (name == kTunes[t] && tunes_[t]) return base_ + "/" + name;
    return "data/" + name;
}

std::optional<std::string> LevelPack::proof(std::int32_t n) const {
    if (n < 1 || n > count() || !proofs_[static_cast<std::size_t>(n - 1)]) return std::nullopt;
    return read("map" + std::to_string(n) + ".proof", kMaxProofBytes);
}

}  // namespace game
