#include "game/levelcheck.hpp"

#include <algorithm>
#include <vector>

namespace game {

namespace {

// The rabbit's reach in cells of its centre, from its motion on a 15-pixel grid. A jump held
// to the top rises 4.8 + 4.6 + ... + 0.2 = 60 pixels: four cells, in at most 24 passes. From
// the apex the k-th cell boundary down comes at most sqrt(10 * 15k) passes later (falling from
// rest at 0.2 a pass squared; slower than that it never falls). At 2 pixels a pass across,
// with the centre anywhere in its cell, that is at most 5 cell boundaries across before the
// first boundary down, 6 before the second, 7 before the third and fewer than 5 + k after:
// five to start with and one more per cell fallen covers every jump, walk-off and fall.
constexpr int kRise = 4;
constexpr int kDrift = 5;
constexpr int kDriftPerFall = 1;
// Enough drift for a fall across the whole field.
constexpr int kMaxDrift = kDrift + kDriftPerFall * kGridSize;

bool solid(std::uint8_t t) {
    return t == kSolid || t == kSolidVanishing;
}
bool deadly(std::uint8_t t) {
    return t == kDeadly || t == kDeadlyVanishing;
}
bool slope(std::uint8_t t) {
    return t == kSlopeUp || t == kSlopeDown;
}
bool inside(int c, int r) {
    return c >= 0 && r >= 0 && c < kGridSize && r < kGridSize;
}
// Outside the grid reads as solid, as the rabbit sees it.
bool solidAt(const Grid& g, int c, int r) {
    return !inside(c, r) || solid(g[c][r]);
}
bool openAt(const Grid& g, int c, int r) {
    return inside(c, r) && !solid(g[c][r]) && !deadly(g[c][r]);
}
// Its foot on the ground: solid under the centre's cell, or a slope in it or under it.
bool standable(const Grid& g, int c, int r) {
    return openAt(g, c, r) &&
           (solidAt(g, c, r + 1) || slope(g[c][r]) || (inside(c, r + 1) && slope(g[c][r + 1])));
}
bool walledIn(const Grid& g, int c, int r) {
    return solidAt(g, c - 1, r) && solidAt(g, c + 1, r) && solidAt(g, c, r - 1) &&
           solidAt(g, c, r + 1);
}

bool findStart(const Grid& g, int& column, int& row) {
    bool found = false;
    for (int r = 0; r < kGridSize; ++r)
        for (int c = 0; c < kGridSize; ++c)
            if (g[c][r] == kStartCell) {  // the last in row order, as the play scene takes it
                column = c;
                row = r;
                found = true;
            }
    return found;
}

}  // namespace

std::array<std::array<bool, kGridSize>, kGridSize> reachableCells(const Grid& grid) {
    std::array<std::array<bool, kGridSize>, kGridSize> seen{};
    int sc = 0, sr = 0;
    if (!findStart(grid, sc, sr) || !openAt(grid, sc, sr)) return seen;
    // States: a cell with the rise and the drift still possible before the next landing.
    // More of either never reaches less, so each cell keeps the best drift per rise.
    std::vector<int> drift(kGridSize * kGridSize * (kRise + 1), -1);
    struct State {
        int c, r, rise, drift;
    };
    std::vector<State> open;
    auto visit = [&](int c, int r, int rise, int d) {
        if (!openAt(grid, c, r)) return;
        if (standable(grid, c, r)) {  // a new walk or jump from here
            rise = kRise;
            d = kDrift;
        }
        int& best = drift[(c * kGridSize + r) * (kRise + 1) + rise];
        if (d <= best) return;
        best = d;
        seen[c][r] = true;
        open.push_back({c, r, rise, d});
    };
    visit(sc, sr, 0, kDrift);  // brought in at rest, it may steer as it falls
    while (!open.empty()) {
        const State s = open.back();
        open.pop_back();
        const int fall = std::min(kMaxDrift, s.drift + kDriftPerFall);
        if (s.rise > 0) visit(s.c, s.r - 1, s.rise - 1, s.drift);
        visit(s.c, s.r + 1, 0, fall);
        if (s.drift == 0) continue;
        // Across, and across a corner in one pass: the centre never stands in the cells
        // beside the corner, so they may be deadly.
        for (int dc : {-1, 1}) {
            visit(s.c + dc, s.r, s.rise, s.drift - 1);
            if (s.rise > 0) visit(s.c + dc, s.r - 1, s.rise - 1, s.drift - 1);
            visit(s.c + dc, s.r + 1, 0, fall - 1);
        }
    }
    return seen;
}

std::string LevelProblem::text() const {
    std::string what;
    switch (rule) {
        case LevelRule::kNoStart:
            what = "no start cell";
            break;
        case LevelRule::kNoStar:
            what = "no star";
            break;
        case LevelRule::kOpenBorder:
            what = "the border must be solid";
            break;
        case LevelRule::kStartInside:
            what = "the start is walled in";
            break;
        case LevelRule::kStarInside:
            what = "the star is walled in";
            break;
        case LevelRule::kUnreachable:
            what = "the star is out of the rabbit's reach";
            break;
    }
    if (column < 0) return what;
    return "column " + std::to_string(column) + ", row " + std::to_string(row) + ": " + what;
}

std::vector<LevelProblem> checkLevel(const Grid& grid) {
    std::vector<LevelProblem> whole, cells;
    int sc = 0, sr = 0;
    const bool hasStart = findStart(grid, sc, sr);
    if (!hasStart) whole.push_back({LevelRule::kNoStart, -1, -1});
    bool hasStar = false;
    const auto reach = hasStart ? reachableCells(grid) : decltype(reachableCells(grid)){};
    for (int r = 0; r < kGridSize; ++r) {
        for (int c = 0; c < kGridSize; ++c) {
            const std::uint8_t t = grid[c][r];
            const bool border = r == 0 || c == 0 || r == kGridSize - 1 || c == kGridSize - 1;
            if (border && t != kSolid) cells.push_back({LevelRule::kOpenBorder, c, r});
            if (t == kStartCell && c == sc && r == sr && walledIn(grid, c, r))
                cells.push_back({LevelRule::kStartInside, c, r});
            if (t != kStar) continue;
            hasStar = true;
            if (walledIn(grid, c, r))
                cells.push_back({LevelRule::kStarInside, c, r});
            else if (hasStart && !reach[c][r])
                cells.push_back({LevelRule::kUnreachable, c, r});
        }
    }
    if (!hasStar) whole.push_back({LevelRule::kNoStar, -1, -1});
    whole.insert(whole.end(), cells.begin(), cells.end());
    return whole;
}

}  // namespace game
