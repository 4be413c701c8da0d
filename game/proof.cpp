#include "game/proof.hpp"

#include <algorithm>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "basic/element.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/scenegame.hpp"

namespace game {

std::string proofPathFor(const std::string& levelPath) {
    const std::size_t slash = levelPath.rfind('/');
    const std::size_t dot = levelPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? levelPath.substr(0, dot) : levelPath) + ".proof";
}

ProofPlay playProof(const std::vector<ReplayStep>& steps, std::int32_t level) {
    auto& scenes = algo::SceneControl_::instance();
    auto& events = algo::EventControl_::instance();
    auto& scene = SceneGame_::instance();
    const auto keys = algo::keyboard::scriptedKeys();
    const bool quiet = soundsQuiet();
    setSoundsQuiet(true);
    struct Loud {
        bool quiet;
        ~Loud() { setSoundsQuiet(quiet); }
    } loud{quiet};

    // Every key up, as at a run's start, before the level starts.
    events.poll();
    scenes.change(scene,
                  {{"map", basic::Element::of<int>(level)}, {"time", basic::Element::of<int>(1)}});
    ProofPlay play;
    ScriptCursor cursor(steps);
    for (;;) {
        const ReplayStep* step = cursor.next();
        // Past the script, only the curtain of a level whose stars are all taken runs on.
        if (!step && scene.rest() > 0) {
            const std::int32_t left = scene.rest();
            play.problem = "the proof ends on pass " + std::to_string(play.passes) + " with " +
                           std::to_string(left) + (left == 1 ? " star" : " stars") + " left";
            return play;
        }
        if (play.passes == kMaxProofPasses) {
            play.problem = "the level has not ended after " + std::to_string(play.passes) +
                           " passes (an hour of play)";
            return play;
        }
        std::ranges::fill(keys, 0);
        if (step)
            for (std::uint32_t k : step->keys) keys[k] = 1;
        ++play.passes;
        if (!events.poll()) {  // Escape, as in the replay runner, ends the game there
            play.problem = "the proof quits the game on pass " + std::to_string(play.passes);
            return play;
        }
        scenes.update();
        if (algo::ActorTable<DeadRabbit>::liveCount() != 0) {
            play.problem = "the rabbit dies on pass " + std::to_string(play.passes);
            return play;
        }
        if (&scenes.current() != &scene || scene.level() != level) {
            play.cleared = true;
            return play;
        }
    }
}

}  // namespace game
