#include "tools/solver/search.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <queue>
#include <span>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "basic/element.hpp"
#include "game/lifeball.hpp"
#include "game/rabbit.hpp"
#include "game/scenegame.hpp"

namespace solver {

namespace {

// The keys the search holds, read by the keyboard in place of SDL's state.
std::span<std::uint8_t> gKeys;

bool blocks(std::uint8_t t) {
    return t == game::kSolid || t == game::kSolidVanishing;
}
bool deadly(std::uint8_t t) {
    return t == game::kDeadly || t == game::kDeadlyVanishing;
}

}  // namespace

std::vector<std::uint8_t> expand(const std::vector<Segment>& segments) {
    std::vector<std::uint8_t> out;
    for (const Segment& s : segments)
        for (int i = 0; i < s.length; ++i)
            out.push_back(static_cast<std::uint8_t>(s.direction | (i < s.jump ? kJump : 0)));
    return out;
}

std::string scriptText(const std::vector<std::uint8_t>& passes) {
    std::string text;
    std::size_t i = 0;
    while (i < passes.size()) {
        std::size_t j = i;
        while (j < passes.size() && passes[j] == passes[i]) ++j;
        std::string keys;
        auto add = [&](const char* name) {
            if (!keys.empty()) keys += ',';
            keys += name;
        };
        if (passes[i] & kRight) add("right");
        if (passes[i] & kLeft) add("left");
        if (passes[i] & kJump) add("x");
        if (keys.empty()) keys.push_back('-');
        text += std::to_string(j - i) + ' ' + keys + '\n';
        i = j;
    }
    return text;
}

Level::Level(int number) : number_(number) {
    gKeys = algo::keyboard::scriptedKeys();
    restart();
    auto map = game::SceneGame_::instance().map();
    tiles_.assign(game::kGridSize * game::kGridSize, 0);
    for (int c = 0; c < game::kGridSize; ++c)
        for (int r = 0; r < game::kGridSize; ++r) {
            tiles_[c * game::kGridSize + r] = map.columns[c][r];
        }
    for (int r = 0; r < game::kGridSize; ++r)
        for (int c = 0; c < game::kGridSize; ++c)
            if (map.columns[c][r] == game::kStar) starCells_.emplace_back(c, r);
    if (starCells_.size() > 64)
        throw std::runtime_error("level " + std::to_string(number) +
                                 ": more than 64 stars, the search cannot track them");
}

void Level::restart() {
    offset_ = 0;
    // A neutral pass first so that every input counter is 0, as at a fresh start.
    std::ranges::fill(gKeys, 0);
    algo::EventControl_::instance().poll();
    basic::Args args{{"map", basic::Element::of<int>(number_)},
                     {"time", basic::Element::of<int>(1)}};
    algo::SceneControl_::instance().change(game::SceneGame_::instance(), args);
}

void Level::step(std::uint8_t keys) {
    std::ranges::fill(gKeys, 0);
    gKeys[SDLK_RIGHT] = (keys & kRight) ? 1 : 0;
    gKeys[SDLK_LEFT] = (keys & kLeft) ? 1 : 0;
    gKeys[SDLK_x] = (keys & kJump) ? 1 : 0;
    if (!algo::EventControl_::instance().poll())
        throw std::runtime_error("the game asked to quit during the search");
    algo::SceneControl_::instance().update();
    ++simulated_;
}

Outcome Level::observe(std::int32_t passes) const {
    Outcome o;
    o.passes = passes;
    auto& scene = game::SceneGame_::instance();
    o.rest = scene.rest() + offset_;
    o.cleared = o.rest <= 0;
    auto map = scene.map();
    for (std::size_t i = 0; i < starCells_.size(); ++i)
        if (map.columns[starCells_[i].first][starCells_[i].second] == game::kStar)
            o.stars |= std::uint64_t{1} << i;
    for (const auto& corpse : game::DeadRabbit::list)
        if (corpse) o.dead = true;
    for (const auto& r : game::Rabbit::list) {
        if (!r) continue;
        o.alive = true;
        o.x = r->pos().x;
        o.y = r->pos().y;
        o.vx = r->vel().x;
        o.vy = r->vel().y;
        o.onGround = r->onGround();
    }
    return o;
}

bool Level::dead() const {
    for (const auto& c : game::DeadRabbit::list)
        if (c) return true;
    return false;
}

Outcome Level::run(const std::vector<std::uint8_t>& passes) {
    restart();
    return resume(passes, 0);
}

Outcome Level::resume(const std::vector<std::uint8_t>& passes, std::int32_t before) {
    std::int32_t n = before;
    for (std::uint8_t k : passes) {
        step(k);
        ++n;
        if (dead() || game::SceneGame_::instance().rest() + offset_ <= 0) break;
    }
    return observe(n);
}

void Level::play(const std::vector<std::uint8_t>& passes) {
    restart();
    for (std::uint8_t k : passes) {
        step(k);
        algo::SceneControl_::instance().draw();
        algo::Display_::instance().flip();
    }
}

Snapshot Level::capture(std::int32_t passes) const {
    Snapshot s;
    s.passes = passes;
    s.rest = game::SceneGame_::instance().rest() + offset_;
    s.stars = observe(passes).stars;
    for (const auto& r : game::Rabbit::list)
        if (r) s.rabbit = std::make_shared<const game::Rabbit>(*r);
    return s;
}

void Level::restore(const Snapshot& snapshot) {
    auto& scene = game::SceneGame_::instance();
    // The scene's star count only goes down. Going back to fewer stars taken keeps the count
    // low and an offset beside it, and starts the level afresh only near the end, where the
    // count must be true for the countdown to start at the right pass.
    if (scene.rest() < snapshot.rest && scene.rest() <= kExactBelow) restart();
    game::LifeBall::clearAll();
    game::DeadRabbit::clearAll();
    auto map = scene.map();
    for (std::size_t i = 0; i < starCells_.size(); ++i)
        map.columns[starCells_[i].first][starCells_[i].second] =
            (snapshot.stars >> i) & 1 ? game::kStar : game::kEmpty;
    while (scene.rest() > snapshot.rest) scene.decrementRest();
    offset_ = snapshot.rest - scene.rest();
    game::Rabbit::clearAll();
    if (snapshot.rabbit) {
        game::Rabbit& r = game::Rabbit::create({{"color", basic::Element::of<int>(0)},
                                                {"left", basic::Element::of<bool>(false)},
                                                {"map", basic::Element::of<game::MapView>(map)},
                                                {"x", basic::Element::of<int>(0)},
                                                {"y", basic::Element::of<int>(0)},
                                                {"sx", basic::Element::of<int>(0)},
                                                {"sy", basic::Element::of<int>(0)}});
        const std::uint32_t slot = static_cast<algo::ActorTable<game::Rabbit>&>(r).index;
        r = *snapshot.rabbit;
        static_cast<algo::ActorTable<game::Rabbit>&>(r).index = slot;
    }
    // Input counters back to 0, as after any segment.
    std::ranges::fill(gKeys, 0);
    algo::EventControl_::instance().poll();
}

bool Level::finish(const std::vector<std::uint8_t>& passes, std::int32_t& total) {
    restart();
    auto& control = algo::SceneControl_::instance();
    auto& scene = game::SceneGame_::instance();
    total = 0;
    auto movedOn = [&] { return &control.current() != &scene || scene.level() != number_; };
    for (std::uint8_t k : passes) {
        step(k);
        ++total;
        // A script that runs into the next level would shift that level's own script.
        if (dead() || movedOn()) return false;
    }
    // The countdown runs 60 passes after the last star; the switch comes on the pass after.
    for (int i = 0; i < 200; ++i) {
        step(0);
        ++total;
        if (movedOn()) return true;
        if (dead()) return false;
    }
    return false;
}

namespace {

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
        constexpr int n = game::kGridSize;
        std::vector<int> dist(n * n, kFar);
        using Item = std::pair<int, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
        for (std::size_t i = 0; i < level_.starCells().size(); ++i)
            if (stars & (std::uint64_t{1} << i)) {
                auto [c, r] = level_.starCells()[i];
                dist[c * n + r] = 0;
                open.emplace(0, c * n + r);
            }
        const auto& tiles = level_.tiles();
        while (!open.empty()) {
            auto [d, at] = open.top();
            open.pop();
            if (d != dist[at]) continue;
            const int c = at / n, r = at % n;
            // Reverse edges: from (c, r) back to the cell a rabbit would come from.
            const int dc[4] = {1, -1, 0, 0}, dr[4] = {0, 0, 1, -1};
            // Coming from below means climbing (dear); from above means falling (cheap).
            const int cost[4] = {2, 2, 12, 1};
            for (int k = 0; k < 4; ++k) {
                const int c2 = c + dc[k], r2 = r + dr[k];
                if (c2 < 0 || r2 < 0 || c2 >= n || r2 >= n) continue;
                const std::uint8_t t = tiles[c2 * n + r2];
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

Targets targets(const Level& level, const Settings& settings, std::uint64_t stars) {
    Targets t;
    for (const auto& a : settings.bands) {
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
    const int d = field[std::clamp(c, 0, 31) * game::kGridSize + std::clamp(r, 0, 31)];
    return s - 40.0 * std::min(d, 2000);
}

const std::vector<Segment>& moves() {
    static const std::vector<Segment> all = [] {
        std::vector<Segment> m;
        for (std::uint8_t dir : {std::uint8_t{kRight}, std::uint8_t{kLeft}, std::uint8_t{0}}) {
            m.push_back({dir, 0, 6});
            for (std::uint8_t hold : {1, 4, 8, 14, 24})
                m.push_back({dir, hold, static_cast<std::uint8_t>(hold + 2)});
        }
        return m;
    }();
    return all;
}

}  // namespace

static std::vector<std::uint8_t> shorten(Level& level, const std::vector<std::uint8_t>& found,
                                         const Settings& settings) {
    // The wait for the life ball stays whole: a rabbit's first move reads whether it stood on
    // ground in its pooled object's previous life, which a fresh game does not share with a
    // search that has played many lives.
    const std::size_t kKeep = static_cast<std::size_t>(std::max(settings.wait, 60));
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
        if (settings.verbose) std::fprintf(stderr, "shortened to %zu passes\n", passes.size());
    }
    return passes;
}

std::vector<std::uint8_t> solve(Level& level, const Settings& settings) {
    Distances distances(level);
    const std::size_t starCount = level.starCells().size();
    // The life ball brings the rabbit in on pass 50 and is gone after pass 60; search from there.
    Node root;
    for (std::int32_t left = std::max(settings.wait, 60); left > 0; left -= 240)
        root.segments.push_back({0, 0, static_cast<std::uint8_t>(std::min(left, 240))});
    root.outcome = level.run(expand(root.segments));
    if (!root.outcome.alive)
        throw std::runtime_error("level " + std::to_string(level.number()) +
                                 ": no rabbit after 60 passes");
    root.snapshot = level.capture(root.outcome.passes);
    std::vector<Node> beam{root};

    std::vector<Node> finished;
    for (int depth = 0; depth < 100000; ++depth) {
        std::vector<Node> next;
        std::unordered_set<std::uint64_t> seen;
        for (const Node& node : beam) {
            for (const Segment& m : moves()) {
                if (node.outcome.passes + m.length > settings.maxPasses + settings.wait) continue;
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
                child.score = scoreOf(o, distances, starCount, targets(level, settings, o.stars));
                child.snapshot = level.capture(o.passes);
                next.push_back(std::move(child));
            }
        }
        // The shortest clearing scripts first; keep those whose curtain passes safely.
        std::sort(finished.begin(), finished.end(),
                  [](const Node& a, const Node& b) { return a.outcome.passes < b.outcome.passes; });
        for (const Node& f : finished) {
            std::int32_t total = 0;
            const auto passes = expand(f.segments);
            if (level.finish(passes, total)) return shorten(level, passes, settings);
        }
        finished.clear();
        if (next.empty())
            throw std::runtime_error("level " + std::to_string(level.number()) +
                                     ": the search ran out of moves without taking every star");
        // Best first, but at most a few nodes per cell and set of stars: a beam of near twins
        // can all be doomed together (in the air over thorns, say).
        std::sort(next.begin(), next.end(),
                  [](const Node& a, const Node& b) { return a.score > b.score; });
        std::unordered_map<std::uint64_t, int> perCell;
        std::vector<Node> kept;
        for (Node& n : next) {
            if (kept.size() >= static_cast<std::size_t>(settings.beam)) break;
            const auto& o = n.outcome;
            const std::uint64_t cell = static_cast<std::uint64_t>(o.x + 7) / 15 * 32 +
                                       static_cast<std::uint64_t>(o.y + 7) / 15;
            if (++perCell[o.stars * 2654435761u ^ (cell << 1 | o.onGround)] > 3) continue;
            kept.push_back(std::move(n));
        }
        next = std::move(kept);
        beam = std::move(next);
        if (settings.verbose) {
            const Outcome& b = beam.front().outcome;
            std::fprintf(stderr, "depth %d: rest %d, passes %d, at (%d, %d), %lld simulated\n",
                         depth, b.rest, b.passes, static_cast<int>(b.x), static_cast<int>(b.y),
                         static_cast<long long>(level.passesSimulated()));
            if (depth % 25 == 0) {
                std::fprintf(stderr, "  stars left:");
                for (std::size_t i = 0; i < starCount; ++i)
                    if ((b.stars >> i) & 1)
                        std::fprintf(stderr, " (%d, %d)", level.starCells()[i].first,
                                     level.starCells()[i].second);
                std::fprintf(stderr, "\n");
            }
        }
    }
    throw std::runtime_error("level " + std::to_string(level.number()) +
                             ": no clearing script found");
}

}  // namespace solver
