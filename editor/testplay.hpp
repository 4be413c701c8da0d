#pragma once
// A level played in the real play scene from the editor, and the proof a cleared play leaves.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/level.hpp"
#include "game/scenegame.hpp"

namespace editor {

/// How a test play ended.
struct PlayOutcome {
    enum class Kind {
        Cleared,         ///< every star, no rabbit lost: `proof` holds its keys
        ClearedLoss,     ///< every star, but a rabbit was lost: no proof
        ClearedNoProof,  ///< every star, but its keys would not replay alike (see below)
        GameOver,        ///< the last rabbit lost
        Stopped,         ///< Escape (or the editor) before the end
    };
    Kind kind = Kind::Stopped;
    std::string proof;  ///< a replay script, for Cleared
};

/// Plays a grid in the game's play scene, pushed over the editor's scene, exactly as the
/// replay runner plays a level from its start: the scene's init, then one update per pass,
/// with pause (P) and mute (M) as in the game. It records the keys of every pass in which the
/// scene moved on (paused passes are not played, so they are left out), and when the level
/// ends cleared without a loss, turns them into a replay script: the level's proof, which
/// `starhop-replay --level N PROOF` plays to the same end. A jump button held across a pause
/// would count as a fresh press in the replay; such a play is told apart and not kept.
///
/// @code
/// editor::TestPlay play;
/// play.start(doc.grid(), 1);         // pushes the play scene
/// // each pass, around the scene update:
/// play.beforeUpdate();
/// scenes.update();
/// if (auto end = play.afterUpdate(escapePressed)) useOutcome(*end);  // scene popped
/// @endcode
class TestPlay : public game::PlayEnd {
  public:
    TestPlay() = default;
    ~TestPlay() override;
    TestPlay(const TestPlay&) = delete;
    TestPlay& operator=(const TestPlay&) = delete;

    /// Pushes the play scene over the current one with `grid`, as level `level` (its music).
    void start(const game::Grid& grid, int level);
    bool active() const { return active_; }

    /// After the pass's poll, before the scene's update.
    void beforeUpdate();
    /// After the update: when the level ended or `stop` asks for it, pops the play scene,
    /// stops its music and says how it went.
    std::optional<PlayOutcome> afterUpdate(bool stop);

    /// The proof of a play whose keys were these EasyInput counts of Right, Left and Jump,
    /// pass by pass: empty when a replay of the script would count them otherwise.
    static std::string proofOf(const std::vector<std::array<std::int32_t, 3>>& counts);

    void playEnded(bool cleared) override;

  private:
    PlayOutcome finish(PlayOutcome::Kind kind);

    bool active_ = false;
    std::optional<bool> ended_;  // cleared, or the game over
    std::int32_t time_ = 0;
    std::array<std::int32_t, 3> counts_{};
    std::vector<std::array<std::int32_t, 3>> played_;
};

}  // namespace editor
