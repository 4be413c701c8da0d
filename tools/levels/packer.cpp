#include "tools/levels/packer.hpp"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "game/levelfile.hpp"
#include "game/levelpack.hpp"
#include "game/replayscript.hpp"

namespace levels {

namespace {

namespace fs = std::filesystem;

struct Member {
    std::string name;
    std::string bytes;
};

// A ZIP archive in memory: tunes stored (they are compressed already), the rest deflated,
// with a fixed time stamp so that the same sources make the same archive.
std::string zipArchive(const std::vector<Member>& members, const std::string& out) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* z = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    if (!z) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (buffer) zip_source_free(buffer);
        throw std::runtime_error(out + ": cannot make the archive (" + why + ")");
    }
    zip_error_fini(&error);
    zip_source_keep(buffer);  // outlives the archive: the bytes are read from it after zip_close
    struct Buffer {
        zip_source_t* source;
        ~Buffer() { zip_source_free(source); }
    } kept{buffer};
    auto fail = [&](const std::string& what) {
        const std::string why = zip_strerror(z);
        zip_discard(z);
        throw std::runtime_error(out + ": " + what + " (" + why + ")");
    };
    for (const Member& m : members) {
        zip_source_t* s = zip_source_buffer(z, m.bytes.data(), m.bytes.size(), 0);
        const zip_int64_t index = s ? zip_file_add(z, m.name.c_str(), s, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (s) zip_source_free(s);
            fail("cannot add " + m.name);
        }
        const auto i = static_cast<zip_uint64_t>(index);
        const bool tune = m.name.size() > 4 && m.name.compare(m.name.size() - 4, 4, ".ogg") == 0;
        if (zip_file_set_mtime(z, i, 1262304000, 0) != 0 ||
            zip_set_file_compression(z, i, tune ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9) != 0)
            fail("cannot add " + m.name);
    }
    if (zip_close(z) != 0) fail("cannot make the archive");

    std::string bytes;
    zip_stat_t st;
    if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        zip_source_open(buffer) != 0)
        throw std::runtime_error(out + ": cannot make the archive");
    bytes.resize(st.size);
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    if (got != static_cast<zip_int64_t>(bytes.size()))
        throw std::runtime_error(out + ": cannot make the archive");
    return bytes;
}

// Where two levels first differ, for the message: "column 4, row 7: TEXT holds a star,
// BITMAP empty".
std::string firstDifference(const game::Grid& a, const std::string& aName, const game::Grid& b,
                            const std::string& bName) {
    for (int r = 0; r < game::kGridSize; ++r)
        for (int c = 0; c < game::kGridSize; ++c)
            if (a[c][r] != b[c][r])
                return "column " + std::to_string(c) + ", row " + std::to_string(r) + ": " + aName +
                       " holds " + game::tileName(a[c][r]) + ", " + bName + " " +
                       game::tileName(b[c][r]);
    return "";
}

}  // namespace

void buildPack(const std::string& given, const std::string& out, Terminal& terminal) {
    std::string dir = given;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) throw game::PackError(dir + ": no such folder");
    std::map<int, std::vector<std::string>> sources;  // level -> its files' extensions
    std::set<int> proofs;
    std::set<std::string> tunes;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string shown = dir + "/" + name;
        for (const char* extension : {".txt", ".bmp"})
            if (const int n = game::packNumber(name, extension, shown))
                sources[n].push_back(extension);
        if (const int n = game::packNumber(name, ".proof", shown)) proofs.insert(n);
        if (name == "jump.ogg" || name == "jump2.ogg") tunes.insert(name);
    }
    if (ec) throw game::PackError(dir + ": cannot list the folder (" + ec.message() + ")");
    if (sources.empty())
        throw game::PackError(dir + ": no levels: map1.txt or map1.bmp, map2.txt or map2.bmp, ...");
    const int last = sources.rbegin()->first;
    for (int n = 1; n < last; ++n)
        if (!sources.count(n))
            throw game::PackError(
                dir + "/map" + std::to_string(n) + ".txt (or .bmp): missing, but " + "level " +
                std::to_string(last) + " is there: levels are numbered from 1 without a gap");

    std::vector<Member> members;
    std::vector<game::Grid> grids;
    for (int n = 1; n <= last; ++n) {
        const std::string stem = dir + "/map" + std::to_string(n);
        // The text first: the maker's source, against which a bitmap is compared.
        std::vector<std::string>& found = sources[n];
        std::sort(found.begin(), found.end(), std::greater<>());
        const game::Grid grid = game::readLevelFile(stem + found[0]);
        if (found.size() == 2) {
            const game::Grid other = game::readLevelFile(stem + found[1]);
            if (other != grid)
                throw game::PackError(stem + ".txt and " + stem +
                                      ".bmp hold different levels, first at " +
                                      firstDifference(grid, "the text", other, "the bitmap"));
        }
        grids.push_back(grid);
        members.push_back({game::packLevelName(n), game::levelBitmap(grid)});
    }
    for (int n : proofs) {
        const std::string path = dir + "/map" + std::to_string(n) + ".proof";
        if (n > last)
            throw game::PackError(path + ": a proof of level " + std::to_string(n) +
                                  ", which the pack lacks");
        std::string text = game::readPlainFile(path, game::kMaxProofBytes);
        game::parseScript(text, path);  // a broken proof is refused with its line
        members.push_back({"map" + std::to_string(n) + ".proof", std::move(text)});
    }
    for (const std::string& tune : tunes) {
        std::string bytes = game::readPlainFile(dir + "/" + tune, game::kMaxPackTuneBytes);
        if (bytes.compare(0, 4, "OggS") != 0)
            throw game::PackError(dir + "/" + tune + ": not an Ogg Vorbis file");
        members.push_back({tune, std::move(bytes)});
    }
    const std::string bytes = zipArchive(members, out);
    game::writeFileAtomically(out, bytes, [&](const std::string& written) {
        const game::LevelPack pack = game::LevelPack::open(written);
        bool same = pack.count() == last;
        for (int n = 1; same && n <= last; ++n)
            same = pack.level(n) == grids[static_cast<std::size_t>(n - 1)];
        if (!same) throw game::PackError(out + ": the archive made does not read back as made");
    });
    std::string what = std::to_string(last) + (last == 1 ? " level" : " levels");
    if (!proofs.empty())
        what += ", " + std::to_string(proofs.size()) + (proofs.size() == 1 ? " proof" : " proofs");
    for (const std::string& tune : tunes) what += ", " + tune;
    terminal.line(out + ": " + what);
}

}  // namespace levels
