#include "tools/levels/check.hpp"

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "game/levelcheck.hpp"
#include "game/levelfile.hpp"
#include "game/proof.hpp"
#include "game/replayscript.hpp"
#include "game/solver.hpp"

namespace levels {

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Pads or cuts to a column's width.
std::string column(std::string text, std::size_t width, bool right = false) {
    if (text.size() >= width) return text + " ";
    const std::string pad(width - text.size(), ' ');
    return right ? pad + text + " " : text + pad + " ";
}

std::string plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The solver stepped until done, its progress on the terminal.
game::SolverResult search(const game::Grid& grid, double timeLimit, const std::string& label,
                          Terminal& terminal) {
    game::SolverOptions options;
    options.timeLimit = timeLimit;
    game::Solver solver(grid, options);
    auto shown = Clock::now();
    while (!solver.step(std::chrono::milliseconds(50))) {
        if (since(shown) < 0.25) continue;
        shown = Clock::now();
        const game::SolverProgress p = solver.progress();
        terminal.progress(label + ": searching, " + std::to_string(p.bestStars) + " of " +
                          plural(p.stars, "star", "stars") + " taken, " + fixed(p.seconds, 1) +
                          " s of " + fixed(timeLimit, 0));
    }
    terminal.endProgress();
    return solver.result();
}

// The proof of level n, played: what the table's last column says, and whether it failed.
std::string proofVerdict(const game::LevelPack& pack, int n, bool& failed) {
    std::optional<std::string> text;
    const std::string name = pack.fileName("map" + std::to_string(n) + ".proof");
    try {
        text = pack.proof(n);
        if (!text) return "none";
        const auto steps = game::parseScript(*text, name);
        const game::ProofPlay play = game::playProof(steps, n);
        if (play.cleared) return "clears the level in " + std::to_string(play.passes) + " passes";
        failed = true;
        return "FAILS: " + play.problem;
    } catch (const std::exception& e) {
        failed = true;
        return std::string("FAILS: ") + e.what();
    }
}

}  // namespace

LevelCheck checkLevelOf(const game::LevelPack& pack, int n, double timeLimit, Terminal& terminal) {
    const auto start = Clock::now();
    LevelCheck c;
    const game::Grid& grid = pack.level(n);
    std::int32_t x = 0, y = 0;
    c.stars = game::scanLevel(grid, x, y);
    c.problems = game::checkLevel(grid);
    if (c.problems.empty()) {
        c.route = search(grid, timeLimit, "level " + std::to_string(n), terminal);
        c.searched = true;
    }
    c.proof = proofVerdict(pack, n, c.proofFailed);
    c.seconds = since(start);
    return c;
}

int checkPack(const game::LevelPack& pack, double timeLimit, Terminal& terminal) {
    terminal.line("checking " + pack.path() + ": " + plural(pack.count(), "level", "levels") +
                  ", at most " + fixed(timeLimit, 0) + " s of search each");
    terminal.line(column("level", 6, true) + column("stars", 6, true) + column("route", 34) +
                  column("time", 9, true) + "proof");
    int broken = 0, unsolved = 0, proofsFailed = 0, proofs = 0;
    for (int n = 1; n <= pack.count(); ++n) {
        const LevelCheck c = checkLevelOf(pack, n, timeLimit, terminal);
        std::string route;
        if (!c.searched) {
            route =
                "not searched: " + plural(static_cast<long>(c.problems.size()), "rule", "rules") +
                " broken";
            ++broken;
        } else if (c.route.found) {
            route = "found in " + std::to_string(c.route.lastStarPass) + " passes";
        } else {
            route = "no route found in " + fixed(timeLimit, 0) + " seconds";
            ++unsolved;
        }
        proofs += c.proof != "none";
        proofsFailed += c.proofFailed;
        terminal.line(column(std::to_string(n), 6, true) +
                      column(std::to_string(c.stars), 6, true) + column(route, 34) +
                      column(fixed(c.seconds, 1) + " s", 9, true) + c.proof);
        for (const game::LevelProblem& p : c.problems)
            terminal.line("              " + pack.fileName(game::packLevelName(n)) + ": " +
                          p.text());
    }
    std::string summary = plural(pack.count(), "level", "levels") + ": " +
                          (broken ? plural(broken, "breaks", "break") + " a hard rule"
                                  : std::string("every one keeps the hard rules")) +
                          ", " + plural(pack.count() - broken - unsolved, "route", "routes") +
                          " found, " + plural(proofs, "proof", "proofs") + " replayed";
    if (proofsFailed) summary += ", " + std::to_string(proofsFailed) + " of them failing";
    terminal.line(summary);
    return broken || proofsFailed ? 1 : 0;
}

int solveLevel(const game::LevelPack& pack, int level, double timeLimit, const std::string& script,
               const std::string& command, Terminal& terminal) {
    if (level > pack.count())
        throw game::PackError(pack.path() + ": no level " + std::to_string(level) +
                              ", the pack holds " + std::to_string(pack.count()));
    const auto start = Clock::now();
    const std::string label = pack.fileName(game::packLevelName(level));
    const game::SolverResult r = search(pack.level(level), timeLimit, label, terminal);
    if (!r.found) {
        std::string line = label + ": no route found in " + fixed(timeLimit, 0) + " seconds";
        if (!r.failure.empty()) line += " (" + r.failure + ")";
        if (!r.missed.empty()) {
            line += "; stars never reached:";
            for (auto [c, row] : r.missed)
                line += " column " + std::to_string(c) + ", row " + std::to_string(row) + ";";
            line.pop_back();
        }
        terminal.line(line);
        return 1;
    }
    game::writeFileAtomically(script, "# " + command + "\n# level " + std::to_string(level) +
                                          ": every star in " + std::to_string(r.lastStarPass) +
                                          " passes, the next scene on pass " +
                                          std::to_string(r.switchPass) + "\n" + r.script());
    terminal.line(script + ": level " + std::to_string(level) + ", every star in " +
                  std::to_string(r.lastStarPass) + " passes, the next scene on pass " +
                  std::to_string(r.switchPass) + " (found in " + fixed(since(start), 1) + " s)");
    return 0;
}

}  // namespace levels
