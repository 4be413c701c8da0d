#pragma once
// A level's proof: a replay script saved beside the level (map3.bmp -> map3.proof) holding the
// keys of a play from the level's start to its last star. It is checked by playing it.
#include <cstdint>
#include <string>
#include <vector>

#include "game/replayscript.hpp"

namespace game {

/// The proof's file beside a level file: the extension replaced by ".proof" ("packs/map3.bmp"
/// -> "packs/map3.proof", "castle.txt" -> "castle.proof").
std::string proofPathFor(const std::string& levelPath);

/// Longest play a proof may ask for before its level must have ended: an hour of passes.
inline constexpr std::int64_t kMaxProofPasses = 60 * 60 * 60;

/// How a proof played out.
struct ProofPlay {
    /// The level ended (the next level or the clear screen came) without a death.
    bool cleared = false;
    /// Passes played: to the level's end, or to where it went wrong.
    std::int64_t passes = 0;
    /// Without `cleared`, what happened ("the rabbit dies on pass 240", "the proof ends on
    /// pass 900 with 2 stars left").
    std::string problem;
};

/// Plays `steps` from the start of level `level` of what the play scene plays (a pack's, see
/// SceneGame_::usePack, or the game's own) as `starhop-replay --level N` does: the play scene
/// started on the scene stack, then a pass per step pass of keys, event poll and scene update.
/// A proof may end at the last star: the curtain then runs out with no key held. Unheard (the
/// sound effects quiet), undrawn, with the keyboard read from scripted keys from then on.
/// Needs the engine and the game's module start; call it between passes (from an observer's
/// beforePass), never from inside an update.
ProofPlay playProof(const std::vector<ReplayStep>& steps, std::int32_t level);

}  // namespace game
