#include "game/solver.hpp"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <limits>
#include <queue>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "algo/input/easyinput.hpp"
#include "basic/assert.hpp"
#include "basic/element.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/scenegame.hpp"

namespace game {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCells = kGridSize * kGridSize;
// Bit i: the i-th star of the level in row order.
using StarSet = std::bitset<kCells>;
using Cell = std::pair<int, int>;  // column, row

constexpr std::int32_t kCountdown = 60;   // curtain passes after the last star; then the switch
constexpr std::int32_t kBallPasses = 60;  // the life ball's life: the rabbit is in play after it
// At rest: on the ground and slower than this. Friction takes a full run to it in 16 passes.
constexpr long double kRestSpeed = 0.1L;
constexpr std::int32_t kMaxSettle = 240;  // a fall across the whole field and the slide after

// ---------------------------------------------------------------- the play scene, driven

// The rabbit and the stars where a search stands. Taken only while the rabbit is in play, alone
// (no life ball, no corpse): then nothing else of the scene carries over.
struct Snapshot {
    Rabbit rabbit;
    StarSet left;
    std::int32_t rest = 0;
    std::array<std::int32_t, 3> held{};  // counters of Right, Left and Jump
};

// The play scene played pass by pass from a grid, with the keys fed straight into the counters.
class Play {
  public:
    explicit Play(const Grid& grid) : grid_(grid) {
        for (int r = 0; r < kGridSize; ++r)
            for (int c = 0; c < kGridSize; ++c)
                if (grid_[c][r] == kStar) stars_.emplace_back(c, r);
        scanLevel(grid_, startX_, startY_);
        levelArgs_ = {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}};
        rabbitArgs_ = {{"color", basic::Element::of<int>(0)},
                       {"left", basic::Element::of<bool>(false)},
                       {"map", basic::Element::of<MapView>(SceneGame_::instance().map())},
                       {"x", basic::Element::of<int>(0)},
                       {"y", basic::Element::of<int>(0)},
                       {"sx", basic::Element::of<int>(0)},
                       {"sy", basic::Element::of<int>(0)}};
    }

    const Grid& grid() const { return grid_; }
    const std::vector<Cell>& stars() const { return stars_; }
    StarSet all() const {
        StarSet s;
        for (std::size_t i = 0; i < stars_.size(); ++i) s.set(i);
        return s;
    }
    SolverPoint start() const { return {startX_, startY_}; }
    std::int64_t simulated() const { return simulated_; }

    // The level as it starts: the life ball at the start cell.
    void restart() {
        held_ = {};
        tracked_ = nullptr;
        SceneGame_::instance().initGrid(grid_, levelArgs_, true);
        fresh_ = true;
    }

    // Someone else may have used the play scene since: the next restore starts it afresh.
    void invalidate() { fresh_ = false; }

    void pass(std::uint8_t keys) {
        auto count = [](std::int32_t c, bool held) { return held ? c + 1 : 0; };
        held_[0] = count(held_[0], keys & kKeyRight);
        held_[1] = count(held_[1], keys & kKeyLeft);
        held_[2] = count(held_[2], keys & kKeyJump);
        counts_[algo::EasyInput_::Right] = held_[0];
        counts_[algo::EasyInput_::Left] = held_[1];
        counts_[algo::EasyInput_::Button(1)] = held_[2];
        algo::EasyInput_::instance().setCounts(counts_);
        auto& scene = SceneGame_::instance();
        // The pass after the curtain would switch scenes under whoever owns them.
        BASIC_ASSERT(scene.rest() > -kCountdown, "solver: a pass after the curtain");
        scene.advance();
        ++simulated_;
    }

    bool dead() const {
        if (tracked_ && Rabbit::list[slot_].get() == tracked_) return false;
        return algo::ActorTable<DeadRabbit>::liveCount() != 0;
    }
    std::int32_t rest() const { return SceneGame_::instance().rest(); }
    bool cleared() const { return rest() <= 0; }

    const Rabbit* rabbit() const {
        if (tracked_ && Rabbit::list[slot_].get() == tracked_) return tracked_;
        tracked_ = nullptr;
        for (std::uint32_t i = 0; i < Rabbit::kSlots; ++i)
            if (Rabbit::list[i]) {
                slot_ = i;
                tracked_ = Rabbit::list[i].get();
                break;
            }
        return tracked_;
    }

    SolverPoint where() const {
        const Rabbit* r = rabbit();
        if (!r) return start();
        return {static_cast<std::int32_t>(r->pos().x), static_cast<std::int32_t>(r->pos().y)};
    }

    StarSet left() const {
        StarSet s;
        MapView map = SceneGame_::instance().map();
        for (std::size_t i = 0; i < stars_.size(); ++i)
            if (map.columns[stars_[i].first][stars_[i].second] == kStar) s.set(i);
        return s;
    }

    bool capturable() const {
        return rabbit() && LifeBall::liveCount() == 0 &&
               algo::ActorTable<DeadRabbit>::liveCount() == 0;
    }

    Snapshot capture() const {
        BASIC_ASSERT(capturable(), "solver: a snapshot needs the rabbit alone in play");
        Snapshot s;
        s.rabbit = *rabbit();
        s.left = left();
        s.rest = rest();
        s.held = held_;
        return s;
    }

    void restore(const Snapshot& s) {
        auto& scene = SceneGame_::instance();
        // Only stars change the grid before the curtain, and the star count only goes down:
        // the level is started afresh only when a star must come back.
        if (!fresh_ || scene.rest() <= 0 || scene.rest() < s.rest) {
            scene.initGrid(grid_, levelArgs_, true);
            fresh_ = true;
        }
        Rabbit::clearAll();
        DeadRabbit::clearAll();
        LifeBall::clearAll();
        MapView map = scene.map();
        for (std::size_t i = 0; i < stars_.size(); ++i)
            map.columns[stars_[i].first][stars_[i].second] = s.left[i] ? kStar : kEmpty;
        while (scene.rest() > std::max<std::int32_t>(s.rest, 0)) scene.decrementRest();
        if (s.rest < scene.rest()) {  // in the curtain: what it has taken away already
            for (std::uint32_t c = 0; c < map.length; ++c)
                for (auto& cell : map.columns[c])
                    if (cell == kSolidVanishing || cell == kDeadlyVanishing) cell = kEmpty;
            while (scene.rest() > s.rest) scene.decrementRest();
        }
        Rabbit& r = Rabbit::create(rabbitArgs_);
        auto& table = static_cast<algo::ActorTable<Rabbit>&>(r);
        const std::uint32_t slot = table.index;
        r = s.rabbit;
        table.index = slot;
        slot_ = slot;
        tracked_ = &r;
        held_ = s.held;
    }

    // Neutral passes through the curtain, stopping before the pass that switches scenes.
    // False if the rabbit dies on the way. `trail` gets a point per pass, the switch included.
    bool curtain(std::vector<SolverPoint>* trail) {
        while (rest() > -kCountdown) {
            pass(0);
            if (dead()) return false;
            if (trail) trail->push_back(where());
        }
        if (trail) trail->push_back(where());
        return true;
    }

  private:
    Grid grid_;
    std::vector<Cell> stars_;
    std::int32_t startX_ = 0, startY_ = 0;
    std::array<std::int32_t, 3> held_{};
    algo::EasyInput_::Counts counts_{};
    basic::Args levelArgs_;
    basic::Args rabbitArgs_;
    std::int64_t simulated_ = 0;
    bool fresh_ = false;  // the scene holds this level as the last restart or restore left it
    // The rabbit in play and its slot, so that a pass need not look through the table.
    mutable const Rabbit* tracked_ = nullptr;
    mutable std::uint32_t slot_ = 0;
};

// While a step runs: the sound effects off and the counters of whoever owns the input set
// aside, both put back after.
class StepGuard {
  public:
    StepGuard() : quiet_(soundsQuiet()), counts_(algo::EasyInput_::instance().counts()) {
        setSoundsQuiet(true);
    }
    ~StepGuard() {
        algo::EasyInput_::instance().setCounts(counts_);
        setSoundsQuiet(quiet_);
    }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;

  private:
    bool quiet_;
    algo::EasyInput_::Counts counts_;
};

std::string keyNames(std::uint8_t keys) {
    std::string names;
    auto add = [&](const char* name) {
        if (!names.empty()) names += ',';
        names += name;
    };
    if (keys & kKeyRight) add("right");
    if (keys & kKeyLeft) add("left");
    if (keys & kKeyJump) add("x");
    return names.empty() ? "-" : names;
}

// ---------------------------------------------------------------- moves between resting places

// A move from rest: keys pass by pass, then neutral passes until the rabbit rests again.
struct Macro {
    std::vector<std::uint8_t> keys;
};

// Walks of several lengths; jumps of several heights standing or from a run, steered from the
// press for several lengths, or steered late to get round a ledge overhead.
std::vector<Macro> makeMacros() {
    std::vector<Macro> all;
    // runLen passes of runDir, then the jump held `hold` passes from its press, with airDir
    // held from airFrom passes after the press for airLen passes.
    auto add = [&](std::uint8_t runDir, int runLen, int hold, std::uint8_t airDir, int airFrom,
                   int airLen) {
        Macro m;
        for (int i = 0; i < runLen; ++i) m.keys.push_back(runDir);
        const int air = std::max(hold, airFrom + airLen);
        for (int j = 0; j < air; ++j)
            m.keys.push_back(static_cast<std::uint8_t>(
                (j < hold ? kKeyJump : 0) | (j >= airFrom && j < airFrom + airLen ? airDir : 0)));
        all.push_back(std::move(m));
    };
    const std::uint8_t dirs[2] = {kKeyRight, kKeyLeft};
    for (std::uint8_t d : dirs)
        for (int n : {3, 6, 10, 16, 24, 36, 54}) add(d, n, 0, 0, 0, 0);
    for (int hold : {1, 4, 8, 14, 24}) {
        add(0, 0, hold, 0, 0, 0);
        for (std::uint8_t d : dirs)
            for (int t : {5, 10, 18, 30, 50}) add(0, 0, hold, d, 0, t);
    }
    for (std::uint8_t d : dirs)
        for (int from : {10, 18})
            for (int t : {12, 30}) add(0, 0, 24, d, from, t);
    // Steered one way, then back: over a pit to a star and back to the near side.
    for (std::uint8_t d : dirs) {
        const auto back = static_cast<std::uint8_t>(d == kKeyRight ? kKeyLeft : kKeyRight);
        for (int hold : {0, 8, 24})
            for (int out : {6, 12})
                for (int in : {12, 30}) {
                    Macro m;
                    for (int j = 0; j < out + in; ++j)
                        m.keys.push_back(static_cast<std::uint8_t>((j < hold ? kKeyJump : 0) |
                                                                   (j < out ? d : back)));
                    all.push_back(std::move(m));
                }
    }
    for (std::uint8_t d : dirs)
        for (int run : {6, 14, 24})
            for (int hold : {1, 8, 24})
                for (int t : {8, 20, 50}) add(d, run, hold, d, 0, t);
    return all;
}

// How a move from rest ended.
struct Landing {
    enum Kind { kDead, kAir, kRest, kClear } kind = kAir;
    std::int32_t passes = 0;  // played, the neutral ones after the keys included
};

Landing playMacro(Play& play, const Macro& m) {
    Landing l;
    auto over = [&](Landing::Kind& kind) {
        if (play.dead()) {
            kind = Landing::kDead;
            return true;
        }
        if (play.cleared()) {
            kind = Landing::kClear;
            return true;
        }
        return false;
    };
    for (std::uint8_t k : m.keys) {
        play.pass(k);
        ++l.passes;
        if (over(l.kind)) return l;
    }
    // At least one neutral pass, so that every counter is 0 at rest.
    for (std::int32_t n = 0; n < kMaxSettle; ++n) {
        play.pass(0);
        ++l.passes;
        if (over(l.kind)) return l;
        const Rabbit* r = play.rabbit();
        if (r->onGround() && std::fabs(r->vel().x) < kRestSpeed) {
            l.kind = Landing::kRest;
            return l;
        }
    }
    l.kind = Landing::kAir;
    return l;
}

// Where a resting rabbit stands, as a search tells places apart: the cell of its centre and
// which third of the cell across. A jump can depend on a few pixels of run-up, so each third
// is measured from a state of its own.
constexpr int kThirds = 3;
constexpr int kSpots = kGridSize * kGridSize * kThirds;

int spotOf(const Rabbit& r) {
    const int x = std::clamp(static_cast<int>(r.pos().x) + 7, 0, kGridSize * kTilePixels - 1);
    const int y = std::clamp(static_cast<int>(r.pos().y) + 7, 0, kGridSize * kTilePixels - 1);
    const int third = x % kTilePixels * kThirds / kTilePixels;
    return ((x / kTilePixels) * kGridSize + y / kTilePixels) * kThirds + third;
}

// ---------------------------------------------------------------- the older beam search

// The search the recorded solutions were found with: a beam over short key segments, scored by
// stars taken in the order of hand-given areas and a grid distance to the nearest wanted star.
// Kept as it was, so that their command lines still reproduce them.
namespace banded {

// A direction held for `length` passes, the jump key held for the first `jump` of them.
struct Segment {
    std::uint8_t direction = 0;
    std::uint8_t jump = 0;
    std::uint8_t length = 0;
};

std::vector<std::uint8_t> expand(const std::vector<Segment>& segments) {
    std::vector<std::uint8_t> out;
    for (const Segment& s : segments)
        for (int i = 0; i < s.length; ++i)
            out.push_back(static_cast<std::uint8_t>(s.direction | (i < s.jump ? kKeyJump : 0)));
    return out;
}

struct Outcome {
    bool dead = false;
    bool cleared = false;
    std::int32_t rest = 0;
    std::uint64_t stars = 0;  // bit i: the i-th star still there
    std::int32_t passes = 0;
    long double x = 0, y = 0, vx = 0, vy = 0;
    bool onGround = false;
    bool alive = false;
};

bool blocks(std::uint8_t t) {
    return t == kSolid || t == kSolidVanishing;
}
bool deadly(std::uint8_t t) {
    return t == kDeadly || t == kDeadlyVanishing;
}

class Level {
  public:
    explicit Level(Play& play) : play_(play) {
        if (play.stars().size() > 64)
            throw std::runtime_error("more than 64 stars: the beam search cannot track them");
    }
    const std::vector<Cell>& starCells() const { return play_.stars(); }
    std::uint8_t tile(int c, int r) const { return play_.grid()[c][r]; }
    std::int64_t passesSimulated() const { return play_.simulated(); }

    Outcome run(const std::vector<std::uint8_t>& passes) {
        play_.restart();
        return resume(passes, 0);
    }
    Outcome resume(const std::vector<std::uint8_t>& passes, std::int32_t before) {
        std::int32_t n = before;
        for (std::uint8_t k : passes) {
            play_.pass(k);
            ++n;
            if (play_.dead() || play_.cleared()) break;
        }
        return observe(n);
    }
    Snapshot capture() const {
        Snapshot s = play_.capture();
        s.held = {};  // every segment ends with the counters read as up
        return s;
    }
    void restore(const Snapshot& s) { play_.restore(s); }
    // Plays `passes` from the start, then neutral passes until the pass that would switch
    // scenes; false if the rabbit dies or the script runs into that pass. `total` counts the
    // passes with the switch.
    bool finish(const std::vector<std::uint8_t>& passes, std::int32_t& total) {
        play_.restart();
        total = 0;
        for (std::uint8_t k : passes) {
            if (play_.rest() <= -kCountdown) return false;
            play_.pass(k);
            ++total;
            if (play_.dead()) return false;
        }
        for (int i = 0; i < 200; ++i) {
            ++total;
            if (play_.rest() <= -kCountdown) return true;
            play_.pass(0);
            if (play_.dead()) return false;
        }
        return false;
    }

  private:
    Outcome observe(std::int32_t passes) const {
        Outcome o;
        o.passes = passes;
        o.rest = play_.rest();
        o.cleared = o.rest <= 0;
        o.stars = play_.left().to_ullong();
        o.dead = play_.dead();
        if (const Rabbit* r = play_.rabbit()) {
            o.alive = true;
            o.x = r->pos().x;
            o.y = r->pos().y;
            o.vx = r->vel().x;
            o.vy = r->vel().y;
            o.onGround = r->onGround();
        }
        return o;
    }
    Play& play_;
};

struct Node {
    std::vector<Segment> segments;
    Outcome outcome;
    Snapshot snapshot;
    double score = 0;
};

// Cost of reaching the nearest remaining star from every cell, climbing dearer than walking
// or falling; walls and deadly cells are closed.
class Distances {
  public:
    explicit Distances(const Level& level) : level_(level) {}

    const std::vector<int>& field(std::uint64_t stars) {
        auto it = cache_.find(stars);
        if (it != cache_.end()) return it->second;
        constexpr int n = kGridSize;
        std::vector<int> dist(n * n, kFar);
        using Item = std::pair<int, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
        for (std::size_t i = 0; i < level_.starCells().size(); ++i)
            if (stars & (std::uint64_t{1} << i)) {
                auto [c, r] = level_.starCells()[i];
                dist[c * n + r] = 0;
                open.emplace(0, c * n + r);
            }
        while (!open.empty()) {
            auto [d, at] = open.top();
            open.pop();
            if (d != dist[at]) continue;
            const int c = at / n, r = at % n;
            // Reverse edges: from (c, r) back to the cell a rabbit would come from. Coming
            // from below means climbing (dear); from above means falling (cheap).
            const int dc[4] = {1, -1, 0, 0}, dr[4] = {0, 0, 1, -1};
            const int cost[4] = {2, 2, 12, 1};
            for (int k = 0; k < 4; ++k) {
                const int c2 = c + dc[k], r2 = r + dr[k];
                if (c2 < 0 || r2 < 0 || c2 >= n || r2 >= n) continue;
                const std::uint8_t t = level_.tile(c2, r2);
                if (blocks(t) || deadly(t)) continue;
                const int nd = d + cost[k];
                if (nd < dist[c2 * n + r2]) {
                    dist[c2 * n + r2] = nd;
                    open.emplace(nd, c2 * n + r2);
                }
            }
        }
        return cache_.emplace(stars, std::move(dist)).first->second;
    }

    static constexpr int kFar = 1 << 20;

  private:
    const Level& level_;
    std::unordered_map<std::uint64_t, std::vector<int>> cache_;
};

// The stars the search heads for (those of the first area with any left), and every star of
// that area and the areas before it.
struct Targets {
    std::uint64_t wanted = 0;
    std::uint64_t sofar = 0;
};

Targets targets(const Level& level, const SolverOptions& options, std::uint64_t stars) {
    Targets t;
    for (const auto& a : options.bands) {
        std::uint64_t band = 0;
        for (std::size_t i = 0; i < level.starCells().size(); ++i) {
            const auto [col, row] = level.starCells()[i];
            if (row >= a.top && row <= a.bottom && col >= a.left && col <= a.right)
                band |= std::uint64_t{1} << i;
        }
        t.sofar |= band;
        if (stars & band) {
            t.wanted = stars & band;
            return t;
        }
    }
    t.wanted = stars;
    t.sofar = ~std::uint64_t{0};
    return t;
}

// Stars taken in order count fully; one snatched from a later area counts a little, so the
// beam does not trade the star it is after for a nearer one it could take later.
double scoreOf(const Outcome& o, Distances& distances, std::size_t starCount, const Targets& t) {
    const std::uint64_t all =
        starCount == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << starCount) - 1;
    const int inOrder = std::popcount(all & t.sofar & ~o.stars);
    const int early = std::popcount(all & ~t.sofar & ~o.stars);
    double s = inOrder * 100000.0 + early * 300.0 - o.passes * 0.5;
    if (o.cleared) return s + 1e9;
    if (!o.alive) return s;
    const int c = static_cast<int>(o.x + 7) / 15, r = static_cast<int>(o.y + 7) / 15;
    const auto& field = distances.field(t.wanted);
    const int d = field[std::clamp(c, 0, 31) * kGridSize + std::clamp(r, 0, 31)];
    return s - 40.0 * std::min(d, 2000);
}

const std::vector<Segment>& moves() {
    static const std::vector<Segment> all = [] {
        std::vector<Segment> m;
        for (std::uint8_t dir :
             {std::uint8_t{kKeyRight}, std::uint8_t{kKeyLeft}, std::uint8_t{0}}) {
            m.push_back({dir, 0, 6});
            for (std::uint8_t hold : {1, 4, 8, 14, 24})
                m.push_back({dir, hold, static_cast<std::uint8_t>(hold + 2)});
        }
        return m;
    }();
    return all;
}

std::vector<std::uint8_t> shorten(Level& level, const std::vector<std::uint8_t>& found,
                                  const SolverOptions& options) {
    // The wait for the life ball stays whole: a rabbit's first move reads whether it stood on
    // ground in its pooled object's previous life, which a fresh game does not share with a
    // search that has played many lives.
    const std::size_t kKeep = static_cast<std::size_t>(std::max(options.wait, 60));
    std::vector<std::uint8_t> passes = found;
    // The beam wanders; cut out every stretch of passes the level can be cleared without,
    // from long stretches to single passes, as long as cuts are found.
    std::int32_t total = 0;
    for (bool again = true; again;) {
        again = false;
        for (std::size_t chunk : {64u, 32u, 16u, 8u, 4u, 2u, 1u}) {
            for (std::size_t at = kKeep; at + chunk <= passes.size();) {
                std::vector<std::uint8_t> shorter(passes.begin(), passes.begin() + at);
                shorter.insert(shorter.end(), passes.begin() + at + chunk, passes.end());
                if (level.finish(shorter, total)) {
                    passes = std::move(shorter);
                    again = true;
                } else {
                    at += chunk;
                }
            }
        }
        if (options.report)
            options.report("shortened to " + std::to_string(passes.size()) + " passes");
    }
    return passes;
}

// Searches a clearing script; throws std::runtime_error when none is found.
std::vector<std::uint8_t> solve(Level& level, const SolverOptions& options) {
    Distances distances(level);
    const std::size_t starCount = level.starCells().size();
    // The life ball brings the rabbit in on pass 50 and is gone after pass 60; search from there.
    Node root;
    for (std::int32_t left = std::max(options.wait, 60); left > 0; left -= 240)
        root.segments.push_back({0, 0, static_cast<std::uint8_t>(std::min(left, 240))});
    root.outcome = level.run(expand(root.segments));
    if (!root.outcome.alive) throw std::runtime_error("no rabbit after 60 passes");
    root.snapshot = level.capture();
    std::vector<Node> beam{root};

    std::vector<Node> finished;
    for (int depth = 0; depth < 100000; ++depth) {
        std::vector<Node> next;
        std::unordered_set<std::uint64_t> seen;
        for (const Node& node : beam) {
            for (const Segment& m : moves()) {
                if (node.outcome.passes + m.length > options.maxPasses + options.wait) continue;
                level.restore(node.snapshot);
                Node child;
                child.segments = node.segments;
                child.segments.push_back(m);
                child.outcome = level.resume(expand({m}), node.outcome.passes);
                const Outcome& o = child.outcome;
                if (o.dead) continue;
                if (o.cleared) {
                    finished.push_back(std::move(child));
                    continue;
                }
                // One representative per place, speed and set of stars taken.
                std::uint64_t key = o.stars * 0x9E3779B97F4A7C15ull;
                key ^=
                    static_cast<std::uint64_t>(static_cast<std::int64_t>(o.x)) * 0x100000001B3ull;
                key ^= static_cast<std::uint64_t>(static_cast<std::int64_t>(o.y)) << 20;
                key ^= static_cast<std::uint64_t>(static_cast<std::int64_t>(o.vx * 2)) << 40;
                key ^= static_cast<std::uint64_t>(static_cast<std::int64_t>(o.vy)) << 48;
                key ^= static_cast<std::uint64_t>(o.onGround) << 60;
                if (!seen.insert(key).second) continue;
                child.score = scoreOf(o, distances, starCount, targets(level, options, o.stars));
                child.snapshot = level.capture();
                next.push_back(std::move(child));
            }
        }
        // The shortest clearing scripts first; keep those whose curtain passes safely.
        std::sort(finished.begin(), finished.end(),
                  [](const Node& a, const Node& b) { return a.outcome.passes < b.outcome.passes; });
        for (const Node& f : finished) {
            std::int32_t total = 0;
            const auto passes = expand(f.segments);
            if (level.finish(passes, total)) return shorten(level, passes, options);
        }
        finished.clear();
        if (next.empty())
            throw std::runtime_error("the search ran out of moves without taking every star");
        // Best first, but at most a few nodes per cell and set of stars: a beam of near twins
        // can all be doomed together (in the air over thorns, say).
        std::sort(next.begin(), next.end(),
                  [](const Node& a, const Node& b) { return a.score > b.score; });
        std::unordered_map<std::uint64_t, int> perCell;
        std::vector<Node> kept;
        for (Node& n : next) {
            if (kept.size() >= static_cast<std::size_t>(options.beam)) break;
            const auto& o = n.outcome;
            const std::uint64_t cell = static_cast<std::uint64_t>(o.x + 7) / 15 * 32 +
                                       static_cast<std::uint64_t>(o.y + 7) / 15;
            if (++perCell[o.stars * 2654435761u ^ (cell << 1 | o.onGround)] > 3) continue;
            kept.push_back(std::move(n));
        }
        beam = std::move(kept);
        if (options.report) {
            const Outcome& b = beam.front().outcome;
            char line[160];
            std::snprintf(line, sizeof line,
                          "depth %d: rest %d, passes %d, at (%d, %d), %lld simulated", depth,
                          b.rest, b.passes, static_cast<int>(b.x), static_cast<int>(b.y),
                          static_cast<long long>(level.passesSimulated()));
            options.report(line);
        }
    }
    throw std::runtime_error("no clearing script found");
}

}  // namespace banded

}  // namespace

std::string solverScript(const std::vector<std::uint8_t>& keys) {
    std::string text;
    std::size_t i = 0;
    while (i < keys.size()) {
        std::size_t j = i;
        while (j < keys.size() && keys[j] == keys[i]) ++j;
        text += std::to_string(j - i) + ' ' + keyNames(keys[i]) + '\n';
        i = j;
    }
    return text;
}

std::string SolverResult::script() const {
    std::string text = solverScript(keys);
    const std::int32_t after = switchPass - static_cast<std::int32_t>(keys.size());
    if (found && after > 0) text += std::to_string(after) + " -\n";
    return text;
}

// ================================================================ the search

struct Solver::Impl {
    // A resting place: a spot (spotOf), the state the rabbit was first seen resting there in
    // (every star put back), and where each move from that state led.
    struct Edge {
        int to = -1;  // place, or kClearPlace
        std::uint32_t macro = 0;
        std::int32_t passes = 0;
        StarSet stars;              // taken on the way
        std::uint64_t starKey = 0;  // the same, short: equal sets, equal keys
    };
    struct Place {
        int spot = 0;
        Snapshot home;
        std::vector<Edge> edges;
        std::vector<std::uint32_t> moves;  // the moves worth trying from here
        int component = -1;
    };
    static constexpr int kClearPlace = -2;

    // A search node: a real state at rest, and the step that led to it.
    struct Node {
        Snapshot snap;
        int place = -1;
        int step = -1;
        std::int32_t passes = 0;  // from the level start
        double score = 0;
    };
    struct Step {
        int parent = -1;
        std::uint32_t macro = 0;  // a fixed move, or a walk made for one node
        std::int32_t passes = 0;  // the macro's keys, then neutral passes
    };

    enum class Stage { kStart, kExplore, kPlan, kSearch, kPolish, kVerify, kDone };

    Impl(const Grid& grid, SolverOptions o) : options(std::move(o)), play(grid) {
        progress.stars = static_cast<int>(play.stars().size());
        placeOf.fill(-1);
    }

    SolverOptions options;
    Play play;
    SolverResult result;
    SolverProgress progress;
    Stage stage = Stage::kStart;
    std::vector<Macro> macros = makeMacros();
    std::vector<std::uint32_t> fixedMoves = [this] {
        std::vector<std::uint32_t> v(macros.size());
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::uint32_t>(i);
        return v;
    }();

    // Start.
    Snapshot root;
    std::int32_t rootPasses = 0;

    // Exploration.
    std::vector<Place> places;
    std::array<int, kSpots> placeOf{};
    std::size_t exploring = 0;  // place
    std::size_t exploringMove = 0;
    std::vector<StarSet> reach;  // by component: the stars a walk from it can take
    int components = 0;
    int planned = 0;  // places whose moves are sorted out
    std::vector<std::vector<std::pair<int, std::int32_t>>> incoming;  // place: (from, passes)
    std::vector<std::pair<int, std::size_t>> takers;  // (place, edge) of every move taking stars
    StarSet unreachable;

    // Search.
    std::vector<Node> beam, next;
    std::vector<Step> steps;
    std::size_t expanding = 0, expandingMove = 0;
    // The node being expanded, walked to its place's home x.
    struct Origin {
        Snapshot snap;
        int step = -1;
        std::int32_t passes = 0;
    };
    Origin origin;
    bool aligned = false;
    std::unordered_set<std::size_t> visited;
    int depth = 0;
    long unknownPlaces = 0;
    StarSet everTaken;
    std::unordered_map<StarSet, std::vector<std::int32_t>> fields;

    // The route found: steps after the root, and its keys from the level start.
    std::vector<Step> route;
    std::vector<std::uint8_t> found;

    void fail(const std::string& why) {
        result.found = false;
        result.failure = why;
        const StarSet taken = everTaken;
        result.missed.clear();
        for (std::size_t i = 0; i < play.stars().size(); ++i)
            if (!taken[i]) result.missed.push_back(play.stars()[i]);
        stage = Stage::kDone;
        progress.done = true;
    }

    void say(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // One unit of work; false when there is no more.
    bool work() {
        switch (stage) {
            case Stage::kStart:
                if (options.beam > 0)
                    searchBanded();
                else
                    begin();
                return true;
            case Stage::kExplore:
                explore();
                return true;
            case Stage::kPlan:
                planMoves();
                return true;
            case Stage::kSearch:
                search();
                return true;
            case Stage::kPolish:
                polish();
                return true;
            case Stage::kVerify:
                verify();
                return true;
            case Stage::kDone:
                return false;
        }
        return false;
    }

    // ------------------------------------------------------------ start

    void begin() {
        if (play.stars().empty()) return fail("the level has no star to take");
        play.restart();
        for (std::int32_t i = 0; i < std::max(options.wait, kBallPasses); ++i) {
            play.pass(0);
            ++rootPasses;
            if (play.dead()) return fail("the rabbit dies before it can move");
        }
        if (!play.rabbit()) return fail("no rabbit comes into play");
        // Standing still before the first move, as every move starts.
        const Rabbit* r = play.rabbit();
        for (std::int32_t n = 0; !(r->onGround() && std::fabs(r->vel().x) < kRestSpeed); ++n) {
            if (n == kMaxSettle) return fail("the rabbit never comes to rest at the start");
            play.pass(0);
            ++rootPasses;
            if (play.dead()) return fail("the rabbit dies before it can move");
            if (play.cleared()) break;
            r = play.rabbit();
        }
        if (play.cleared()) return fail("the level clears itself at the start");
        root = play.capture();
        everTaken |= play.all() & ~root.left;
        addPlace(*play.rabbit(), root);
        stage = Stage::kExplore;
    }

    int addPlace(const Rabbit& r, const Snapshot& s) {
        const int spot = spotOf(r);
        if (placeOf[spot] >= 0) return placeOf[spot];
        Place p;
        p.spot = spot;
        p.home = s;
        p.home.left = play.all();
        p.home.rest = static_cast<std::int32_t>(play.stars().size());
        placeOf[spot] = static_cast<int>(places.size());
        places.push_back(std::move(p));
        return placeOf[spot];
    }

    // ------------------------------------------------------------ exploration

    // Every move from every resting place found, breadth first from the start, all stars in
    // place: which places lead to which, and which stars lie on the way.
    void explore() {
        if (exploring == places.size()) return plan();
        const Macro& m = macros[exploringMove];
        play.restore(places[exploring].home);
        const Landing l = playMacro(play, m);
        if (l.kind == Landing::kRest || l.kind == Landing::kClear) {
            Edge e;
            e.macro = static_cast<std::uint32_t>(exploringMove);
            e.passes = l.passes;
            const StarSet left = play.left();
            for (std::size_t i = 0; i < play.stars().size(); ++i)
                if (!left[i]) {
                    e.stars.set(i);
                    e.starKey = e.starKey * 1000003 + i + 1;
                }
            everTaken |= e.stars;
            e.to =
                l.kind == Landing::kClear ? kClearPlace : addPlace(*play.rabbit(), play.capture());
            if (e.to != static_cast<int>(exploring) || e.stars.any())
                places[exploring].edges.push_back(std::move(e));
        }
        if (++exploringMove == fixedMoves.size()) {
            exploringMove = 0;
            ++exploring;
        }
    }

    // Strongly connected places, what each can still take, and the moves worth trying.
    void plan() {
        const int n = static_cast<int>(places.size());
        // Tarjan's components, iteratively; they come out sinks first.
        std::vector<int> index(n, -1), low(n, 0), stack;
        std::vector<bool> onStack(n, false);
        int counter = 0;
        components = 0;
        std::vector<std::pair<int, std::size_t>> call;
        for (int s = 0; s < n; ++s) {
            if (index[s] >= 0) continue;
            call.emplace_back(s, 0);
            while (!call.empty()) {
                auto& [v, at] = call.back();
                if (at == 0) {
                    index[v] = low[v] = counter++;
                    stack.push_back(v);
                    onStack[v] = true;
                }
                bool descended = false;
                while (at < places[v].edges.size()) {
                    const int w = places[v].edges[at].to;
                    ++at;
                    if (w < 0) continue;
                    if (index[w] < 0) {
                        call.emplace_back(w, 0);
                        descended = true;
                        break;
                    }
                    if (onStack[w]) low[v] = std::min(low[v], index[w]);
                }
                if (descended) continue;
                if (low[v] == index[v]) {
                    for (;;) {
                        const int w = stack.back();
                        stack.pop_back();
                        onStack[w] = false;
                        places[w].component = components;
                        if (w == v) break;
                    }
                    ++components;
                }
                const int done = v;
                call.pop_back();
                if (!call.empty()) {
                    const int parent = call.back().first;
                    low[parent] = std::min(low[parent], low[done]);
                }
            }
        }
        // Sinks first, so every component's successors are complete before it.
        std::vector<std::vector<int>> members(components);
        for (int p = 0; p < n; ++p) members[places[p].component].push_back(p);
        reach.assign(components, StarSet{});
        for (int c = 0; c < components; ++c)
            for (int p : members[c])
                for (const Edge& e : places[p].edges) {
                    reach[c] |= e.stars;
                    if (e.to >= 0 && places[e.to].component != c)
                        reach[c] |= reach[places[e.to].component];
                }
        unreachable = play.all() & ~reach[places[0].component];
        incoming.assign(n, {});
        takers.clear();
        planned = 0;
        stage = Stage::kPlan;
    }

    // Per place the moves worth trying, and the graph backwards; some places a unit.
    void planMoves() {
        const int n = static_cast<int>(places.size());
        const int until = std::min(n, planned + 64);
        for (int p = planned; p < until; ++p) {
            auto& place = places[p];
            for (std::size_t i = 0; i < place.edges.size(); ++i)
                if (place.edges[i].stars.any()) takers.emplace_back(p, i);
            // Per outcome (where to, which stars) the two quickest moves.
            std::vector<std::size_t> order(place.edges.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            auto outcome = [&](std::size_t i) {
                const Edge& e = place.edges[i];
                return std::tuple(e.to, e.starKey, e.passes, e.macro);
            };
            std::sort(order.begin(), order.end(),
                      [&](std::size_t a, std::size_t b) { return outcome(a) < outcome(b); });
            for (std::size_t k = 0; k < order.size(); ++k) {
                const Edge& e = place.edges[order[k]];
                if (k >= 2 && place.edges[order[k - 2]].to == e.to &&
                    place.edges[order[k - 2]].starKey == e.starKey)
                    continue;
                place.moves.push_back(e.macro);
                if (e.to >= 0) incoming[e.to].emplace_back(p, e.passes);
            }
        }
        planned = until;
        if (planned < n) return;
        say("explored %d resting places, %d components, %lld passes; %zu of %zu stars within "
            "reach",
            n, components, static_cast<long long>(play.simulated()),
            play.stars().size() - unreachable.count(), play.stars().size());
        if (unreachable.any()) {
            everTaken = play.all() & ~unreachable;  // so that the missed ones are these
            return fail("no move found reaches every star");
        }
        Node start;
        start.snap = root;
        start.place = 0;
        start.passes = rootPasses;
        beam.push_back(std::move(start));
        stage = Stage::kSearch;
    }

    // ------------------------------------------------------------ search

    bool canStillTake(int place, const StarSet& left) const {
        return (left & ~reach[places[place].component]).none();
    }

    // Passes from each place to the nearest move that takes a star it may take now (one after
    // which every other star stays within reach), through places that keep them all in reach.
    const std::vector<std::int32_t>& field(const StarSet& left) {
        auto it = fields.find(left);
        if (it != fields.end()) return it->second;
        if (fields.size() > 4096) fields.clear();
        constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max() / 2;
        const int n = static_cast<int>(places.size());
        std::vector<std::int32_t> dist(n, kFar);
        using Item = std::pair<std::int32_t, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
        for (auto [p, i] : takers) {
            const Edge& e = places[p].edges[i];
            if (e.passes >= dist[p] || (e.stars & left).none() || !canStillTake(p, left)) continue;
            const StarSet after = left & ~e.stars;
            if (e.to >= 0 && !canStillTake(e.to, after)) continue;
            if (e.to == kClearPlace && after.any()) continue;
            dist[p] = e.passes;
        }
        for (int p = 0; p < n; ++p)
            if (dist[p] < kFar) open.emplace(dist[p], p);
        while (!open.empty()) {
            auto [d, v] = open.top();
            open.pop();
            if (d != dist[v]) continue;
            for (auto [u, cost] : incoming[v]) {
                if (d + cost >= dist[u] || !canStillTake(u, left)) continue;
                dist[u] = d + cost;
                open.emplace(dist[u], u);
            }
        }
        return fields.emplace(left, std::move(dist)).first->second;
    }

    double scoreOf(const Node& n) {
        const auto taken = static_cast<double>(play.stars().size() - n.snap.left.count());
        double s = taken * 1e6 - 0.05 * n.passes;
        if (n.place < 0) return s - 20000;
        const std::int32_t d = field(n.snap.left)[n.place];
        return s - std::min<double>(d, 50000);
    }

    // Walks from a resting node to the resting x of its place's home, where the moves from
    // the place were measured, as near as whole passes of walking get: the node's own x may
    // be a few pixels off a jump that only works from there. Nothing when already there or
    // when no walk gets nearer without leaving the place.
    void align(const Node& node) {
        origin = {node.snap, node.step, node.passes};
        if (node.place < 0) return;
        const long double target = places[node.place].home.rabbit.pos().x;
        const long double from = node.snap.rabbit.pos().x;
        if (std::fabs(target - from) < 1) return;
        const std::uint8_t dir = target > from ? kKeyRight : kKeyLeft;
        // The walk's end moves monotonically with its length: halve the range.
        int lo = 1, hi = 40;
        long double bestGap = std::fabs(target - from);
        int best = 0;
        Landing bestLanding;
        while (lo <= hi) {
            const int n = (lo + hi) / 2;
            Macro walk;
            walk.keys.assign(static_cast<std::size_t>(n), dir);
            play.restore(node.snap);
            const Landing l = playMacro(play, walk);
            if (l.kind != Landing::kRest || spotOf(*play.rabbit()) != places[node.place].spot) {
                hi = n - 1;  // too far: off the place or worse
                continue;
            }
            const long double x = play.rabbit()->pos().x;
            const long double gap = std::fabs(target - x);
            if (gap < bestGap) {
                bestGap = gap;
                best = n;
                bestLanding = l;
            }
            if ((dir == kKeyRight) == (x < target))
                lo = n + 1;
            else
                hi = n - 1;
        }
        if (best == 0) return;
        Macro walk;
        walk.keys.assign(static_cast<std::size_t>(best), dir);
        play.restore(node.snap);
        playMacro(play, walk);
        macros.push_back(std::move(walk));
        steps.push_back(
            {node.step, static_cast<std::uint32_t>(macros.size() - 1), bestLanding.passes});
        origin = {play.capture(), static_cast<int>(steps.size()) - 1,
                  node.passes + bestLanding.passes};
    }

    void search() {
        if (expanding == beam.size()) return nextDepth();
        const Node& node = beam[expanding];
        if (!aligned) {
            align(node);
            aligned = true;
            return;
        }
        const auto& moves = node.place >= 0 ? places[node.place].moves : fixedMoves;
        if (expandingMove >= moves.size()) {
            expandingMove = 0;
            aligned = false;
            ++expanding;
            return;
        }
        const Origin& o = origin;
        const std::uint32_t mi = moves[expandingMove++];
        const Macro& m = macros[mi];
        if (o.passes + static_cast<std::int32_t>(m.keys.size()) > options.maxPasses + rootPasses)
            return;
        play.restore(o.snap);
        const Landing l = playMacro(play, m);
        if (l.kind == Landing::kDead || l.kind == Landing::kAir) return;
        const StarSet left = play.left();
        everTaken |= play.all() & ~left;
        Step step{o.step, mi, l.passes};
        if (l.kind == Landing::kClear) {
            if (!play.curtain(nullptr)) return;  // dies in the curtain: not a clear
            steps.push_back(step);
            finishSearch(static_cast<int>(steps.size()) - 1);
            return;
        }
        const Rabbit& r = *play.rabbit();
        // A state met before (same stars, same pixel) leads nowhere new.
        const std::size_t key =
            std::hash<StarSet>{}(left) ^
            static_cast<std::size_t>(static_cast<std::int64_t>(r.pos().x)) * 0x9E3779B97F4A7C15ull ^
            static_cast<std::size_t>(static_cast<std::int64_t>(r.pos().y)) << 40;
        if (!visited.insert(key).second) return;
        Node child;
        child.passes = o.passes + l.passes;
        child.place = placeOf[spotOf(r)];
        if (child.place < 0) ++unknownPlaces;
        if (child.place >= 0 && !canStillTake(child.place, left)) return;
        child.snap = play.capture();
        child.score = scoreOf(child);
        steps.push_back(step);
        child.step = static_cast<int>(steps.size()) - 1;
        progress.bestStars =
            std::max(progress.bestStars, static_cast<int>(play.stars().size() - left.count()));
        next.push_back(std::move(child));
    }

    void nextDepth() {
        if (next.empty()) return fail("the search ran out of moves");
        std::stable_sort(next.begin(), next.end(),
                         [](const Node& a, const Node& b) { return a.score > b.score; });
        // The best first, but few per place and set of stars: a beam of near twins can all be
        // doomed together.
        constexpr std::size_t kBeam = 20;
        std::unordered_map<std::size_t, int> perPlace;
        std::vector<Node> kept;
        for (Node& n : next) {
            if (kept.size() == kBeam) break;
            const std::size_t stars = std::hash<StarSet>{}(n.snap.left);
            if (++perPlace[stars * 31 + static_cast<std::size_t>(n.place + 1)] > 2) continue;
            kept.push_back(std::move(n));
        }
        beam = std::move(kept);
        next.clear();
        expanding = expandingMove = 0;
        aligned = false;
        ++depth;
        if (options.report) {
            const Node& b = beam.front();
            say("depth %d: %zu of %zu stars left, %d passes, at (%d, %d), %lld simulated", depth,
                b.snap.left.count(), play.stars().size(), b.passes,
                static_cast<int>(b.snap.rabbit.pos().x), static_cast<int>(b.snap.rabbit.pos().y),
                static_cast<long long>(play.simulated()));
        }
    }

    void finishSearch(int last) {
        route.clear();
        for (int s = last; s >= 0; s = steps[s].parent) route.push_back(steps[s]);
        std::reverse(route.begin(), route.end());
        say("route found: %zu moves at depth %d, %lld passes simulated, %ld landings off the "
            "places explored",
            route.size(), depth, static_cast<long long>(play.simulated()), unknownPlaces);
        beam.clear();
        next.clear();
        fields.clear();
        stage = Stage::kPolish;
    }

    // ------------------------------------------------------------ polish and verify

    // The route's keys from the level start, and its moves as spans of them: keys from
    // `begin`, then the neutral passes of the rest after them from `rest` to `end`. The first
    // span is the wait's own rest, from the pass the life ball is gone.
    struct Span {
        std::size_t begin = 0, rest = 0, end = 0;
    };
    std::vector<Span> spans;
    std::vector<Snapshot> checkpoints;  // at each span's begin
    std::size_t polishing = 0;          // the span whose rest is being cut
    long cutLo = -1, cutHi = 0;         // passes of that rest: too few (-1: none known yet), enough
    bool polishStarted = false, spanStarted = false;

    void startPolish() {
        found.assign(static_cast<std::size_t>(rootPasses), 0);
        const auto wait = static_cast<std::size_t>(std::max(options.wait, kBallPasses));
        spans = {{wait, wait, found.size()}};
        for (const Step& st : route) {
            const auto& m = macros[st.macro].keys;
            Span sp;
            sp.begin = found.size();
            for (std::int32_t i = 0; i < st.passes; ++i)
                found.push_back(i < static_cast<std::int32_t>(m.size()) ? m[i] : 0);
            sp.end = found.size();
            sp.rest = std::min(sp.begin + m.size(), sp.end);
            spans.push_back(sp);
        }
        // The states at every span's start, played from the level start.
        play.restart();
        checkpoints.clear();
        std::size_t next = 0;
        for (std::size_t i = 0; i < found.size() && next < spans.size(); ++i) {
            play.pass(found[i]);
            while (next < spans.size() && spans[next].begin == i + 1) {
                checkpoints.push_back(play.capture());
                ++next;
            }
        }
        polishing = 0;
        spanStarted = false;
        polishStarted = true;
    }

    // Plays `keys` from span i's checkpoint on (neutral passes after their end); true if every
    // star is taken, the keys end before the scene switches and the curtain is passed alive.
    // `marks` gets the states at `begins`.
    bool tryFrom(std::size_t i, const std::vector<std::uint8_t>& keys,
                 const std::vector<std::size_t>& begins, std::vector<Snapshot>& marks) {
        play.restore(checkpoints[i]);
        marks.clear();
        std::size_t next = 0;
        bool clear = false;
        std::size_t at = spans[i].begin;
        for (; play.rest() > -kCountdown; ++at) {
            if (!clear && at >= keys.size() + kMaxSettle) return false;
            play.pass(at < keys.size() ? keys[at] : 0);
            if (play.dead()) return false;
            clear = clear || play.cleared();
            while (next < begins.size() && begins[next] == at + 1) {
                if (!play.capturable()) return false;
                marks.push_back(play.capture());
                ++next;
            }
        }
        return keys.size() <= at && next == begins.size();
    }

    // Cuts each rest between two moves to the fewest passes after which the rest of the
    // route still clears the level: nothing first, then halving the range; a trial a unit.
    void polish() {
        if (!polishStarted) return startPolish();
        for (;;) {
            // The last span ends with the last star: it has no rest to cut.
            if (polishing + 1 >= spans.size()) {
                stage = Stage::kVerify;
                return;
            }
            if (!spanStarted) {
                cutLo = -1;
                cutHi = static_cast<long>(spans[polishing].end - spans[polishing].rest);
                spanStarted = true;
            }
            if (cutHi - cutLo > 1) break;
            ++polishing;
            spanStarted = false;
        }
        Span& sp = spans[polishing];
        const long cut = cutLo < 0 ? 0 : (cutLo + cutHi) / 2;
        const auto removed = static_cast<std::size_t>(cutHi - cut);
        const std::size_t keep = sp.rest + static_cast<std::size_t>(cut);
        std::vector<std::uint8_t> keys(found.begin(), found.begin() + static_cast<long>(keep));
        keys.insert(keys.end(), found.begin() + static_cast<long>(sp.end), found.end());
        std::vector<std::size_t> begins;
        for (std::size_t j = polishing + 1; j < spans.size(); ++j)
            begins.push_back(spans[j].begin - removed);
        std::vector<Snapshot> marks;
        if (!tryFrom(polishing, keys, begins, marks)) {
            cutLo = cut;
            return;
        }
        found = std::move(keys);
        sp.end = keep;
        for (std::size_t j = polishing + 1; j < spans.size(); ++j) {
            spans[j].begin -= removed;
            spans[j].rest -= removed;
            spans[j].end -= removed;
            checkpoints[j] = std::move(marks[j - polishing - 1]);
        }
        cutHi = cut;
    }

    // The route played from the level start as the game will: every star taken, the keys
    // ended before the scene switches, the curtain passed alive.
    void verify() {
        play.restart();
        result.trail.clear();
        std::int32_t last = 0;
        for (std::size_t i = 0; play.rest() > -kCountdown; ++i) {
            if (last == 0 && i >= found.size() + kMaxSettle)
                return fail("the route found leaves stars when played from the start");
            play.pass(i < found.size() ? found[i] : 0);
            result.trail.push_back(play.where());
            if (play.dead()) return fail("the rabbit of the route found dies");
            if (last == 0 && play.cleared()) last = static_cast<std::int32_t>(i) + 1;
        }
        result.trail.push_back(play.where());  // the pass that switches
        if (found.size() >= result.trail.size())
            return fail("the route found runs into the next level");
        result.keys = found;
        result.lastStarPass = last;
        result.switchPass = static_cast<std::int32_t>(result.trail.size());
        result.found = true;
        result.failure.clear();
        result.missed.clear();
        progress.bestStars = progress.stars;
        stage = Stage::kDone;
        progress.done = true;
    }

    // The older beam search, whole: it has no slices.
    void searchBanded() {
        try {
            banded::Level level(play);
            found = banded::solve(level, options);
        } catch (const std::runtime_error& e) {
            return fail(e.what());
        }
        stage = Stage::kVerify;
    }
};

void Solver::Impl::say(const char* fmt, ...) {
    if (!options.report) return;
    char line[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    options.report(line);
}

// ================================================================ the facade

Solver::Solver(const Grid& grid, SolverOptions options)
    : impl_(std::make_unique<Impl>(grid, std::move(options))) {}

Solver::~Solver() = default;

bool Solver::step(std::chrono::microseconds budget) {
    Impl& s = *impl_;
    if (s.stage == Impl::Stage::kDone) return true;
    StepGuard guard;
    s.play.invalidate();
    const auto begun = Clock::now();
    const double before = s.progress.seconds;
    for (;;) {
        if (!s.work()) break;
        const double spent = std::chrono::duration<double>(Clock::now() - begun).count();
        s.progress.seconds = before + spent;
        s.progress.passesSimulated = s.play.simulated();
        if (s.stage == Impl::Stage::kDone) break;
        if (s.progress.seconds >= s.options.timeLimit) {
            if (s.stage == Impl::Stage::kPolish && s.polishStarted) {
                s.stage = Impl::Stage::kVerify;  // a route is found: keep what is cut so far
            } else if (s.stage != Impl::Stage::kPolish && s.stage != Impl::Stage::kVerify) {
                char why[64];
                std::snprintf(why, sizeof why, "no route found in %g seconds", s.options.timeLimit);
                s.fail(why);
                break;
            }
        }
        if (spent * 1e6 >= static_cast<double>(budget.count())) break;
    }
    return s.stage == Impl::Stage::kDone;
}

bool Solver::done() const {
    return impl_->stage == Impl::Stage::kDone;
}

SolverProgress Solver::progress() const {
    return impl_->progress;
}

const SolverResult& Solver::result() const {
    return impl_->result;
}

}  // namespace game
