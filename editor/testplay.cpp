#include "editor/testplay.hpp"

#include "algo/game/scene.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/sound/audio.hpp"
#include "basic/element.hpp"
#include "game/rabbit.hpp"
#include "game/solver.hpp"

namespace editor {

namespace {

constexpr std::uint32_t kButtons[3] = {algo::EasyInput_::Right, algo::EasyInput_::Left,
                                       algo::EasyInput_::Button(1)};
constexpr std::uint8_t kBits[3] = {game::kKeyRight, game::kKeyLeft, game::kKeyJump};

}  // namespace

TestPlay::~TestPlay() {
    if (active_) game::SceneGame_::instance().setPlayEnd(nullptr);
}

void TestPlay::start(const game::Grid& grid, int level) {
    auto& scene = game::SceneGame_::instance();
    scene.setPlayEnd(this);
    active_ = true;
    ended_.reset();
    played_.clear();
    // The replay runner's first pass counts from keys that were up: so does this one.
    algo::EasyInput_::instance().setCounts({});
    algo::SceneControl_::instance().push(scene,
                                         {{"map", basic::Element::of<int>(level)},
                                          {"time", basic::Element::of<int>(1)},
                                          {"grid", basic::Element::of<const game::Grid*>(&grid)}});
}

void TestPlay::beforeUpdate() {
    if (!active_) return;
    auto& in = algo::EasyInput_::instance();
    for (int i = 0; i < 3; ++i) counts_[i] = in.count(kButtons[i]);
    time_ = game::SceneGame_::instance().time();
}

std::optional<PlayOutcome> TestPlay::afterUpdate(bool stop) {
    if (!active_) return std::nullopt;
    if (game::SceneGame_::instance().time() != time_) played_.push_back(counts_);
    if (ended_) {
        if (!*ended_) return finish(PlayOutcome::Kind::GameOver);
        if (algo::ActorTable<game::DeadRabbit>::liveCount() != 0)
            return finish(PlayOutcome::Kind::ClearedLoss);
        PlayOutcome outcome = finish(PlayOutcome::Kind::Cleared);
        outcome.proof = proofOf(played_);
        if (outcome.proof.empty()) outcome.kind = PlayOutcome::Kind::ClearedNoProof;
        return outcome;
    }
    if (stop) return finish(PlayOutcome::Kind::Stopped);
    return std::nullopt;
}

void TestPlay::playEnded(bool cleared) {
    ended_ = cleared;
}

PlayOutcome TestPlay::finish(PlayOutcome::Kind kind) {
    auto& scene = game::SceneGame_::instance();
    scene.setPlayEnd(nullptr);
    active_ = false;
    scene.resume();  // a play left paused holds the music: let it go with the rest
    algo::Audio_::instance().stopAll();
    algo::SceneControl_::instance().pop({});
    PlayOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

std::string TestPlay::proofOf(const std::vector<std::array<std::int32_t, 3>>& counts) {
    std::vector<std::uint8_t> keys;
    keys.reserve(counts.size());
    std::array<std::int32_t, 3> replayed{};
    for (const auto& c : counts) {
        std::uint8_t bits = 0;
        for (int i = 0; i < 3; ++i) {
            replayed[i] = c[i] > 0 ? replayed[i] + 1 : 0;
            if (c[i] > 0) bits |= kBits[i];
        }
        // The rabbit asks whether a key is held, and whether the jump went down this pass.
        if ((replayed[2] == 1) != (c[2] == 1)) return {};
        keys.push_back(bits);
    }
    return "# The keys of a test play in starhop-edit that cleared this level, pass by pass\n"
           "# from its start to its end: starhop-replay plays it to the same end.\n" +
           game::solverScript(keys);
}

}  // namespace editor
