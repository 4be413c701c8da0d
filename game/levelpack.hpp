#pragma once
// Level packs: levels made by players, played in place of the game's own. A pack is a folder
// or a ZIP archive holding map1.bmp ... mapN.bmp, optionally the tunes jump.ogg (levels 1 to
// 4) and jump2.ogg (5 and on) and a proof per level (mapK.proof, a replay script). It is data
// from strangers: read through the resource reader like any game data and checked whole
// before anything starts.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/level.hpp"

namespace game {

/// Most levels a pack may hold.
inline constexpr int kMaxPackLevels = 999;
/// Largest pack archive, and largest tune and proof in a pack (a level is kMaxLevelFileBytes).
inline constexpr std::uint64_t kMaxPackBytes = 256ull << 20;
inline constexpr std::uint64_t kMaxPackTuneBytes = 16ull << 20;
inline constexpr std::uint64_t kMaxProofBytes = 1ull << 20;

/// A pack that cannot be played: the text names the file and says the problem.
class PackError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// A checked level pack, its levels in memory. Made by open; owned by whoever plays it (the
/// play scene only borrows it, see SceneGame_::usePack).
///
/// @code
/// game::LevelPack pack = game::LevelPack::open("mypack.zip");  // or a folder
/// game::SceneGame_::instance().usePack(&pack);
/// scenes.push(game::SceneGame_::instance(), {{"map", ...of<int>(1)}, {"time", ...of<int>(1)}});
/// @endcode
class LevelPack {
  public:
    /// Reads and checks the pack at `path`, a folder or a file ending in ".zip": levels
    /// numbered from 1 without a gap, each an 8-bit palette bitmap of 32 x 32 with codes 0 to
    /// 15 (parseLevelBitmap), no file larger than it may be, tunes that are Ogg files; a folder
    /// of the archive's name beside it (which the reader would take instead) is refused too.
    /// Needs the engine started (the resource reader). Throws PackError naming the file.
    static LevelPack open(const std::string& path);

    /// The path as given, without a trailing '/'.
    const std::string& path() const { return path_; }
    /// Levels 1 to count().
    std::int32_t count() const { return static_cast<std::int32_t>(levels_.size()); }
    /// Level n, 1 to count(); another n is an std::out_of_range naming the pack.
    const Grid& level(std::int32_t n) const;
    /// The resource path of the tune `name` ("jump.ogg" or "jump2.ogg"): the pack's own when
    /// it has one, otherwise the game's ("data/" + name).
    std::string tune(const std::string& name) const;
    /// How the pack's messages name a file of it: "pack/map3.bmp", "pack.zip [map3.bmp]".
    std::string fileName(const std::string& member) const;
    /// The text of level n's proof (mapN.proof), nothing when the pack has none. Read when
    /// asked; a proof that cannot be read is a PackError naming it.
    std::optional<std::string> proof(std::int32_t n) const;

  private:
    LevelPack() = default;
    std::string read(const std::string& member, std::uint64_t limit) const;

    std::string path_;
    bool archive_ = false;
    std::string base_;  // what the reader is asked for: base_ + "/" + member
    std::vector<Grid> levels_;
    std::vector<bool> proofs_;  // by level, from 1
    bool tunes_[2] = {false, false};
};

/// "map" + n + ".bmp", the member name of level n in a pack.
std::string packLevelName(std::int32_t n);

/// The level number in the name of a pack's file "map<N><extension>" (".bmp", ".proof", the
/// pack tool's ".txt"): N, or 0 for a name of another shape ("map.bmp", "Map1.bmp",
/// "map1.png"). A 0, leading zeros or a number above kMaxPackLevels is a PackError naming
/// `shown`, the file as the user knows it.
std::int32_t packNumber(const std::string& name, const std::string& extension,
                        const std::string& shown);

}  // namespace game
