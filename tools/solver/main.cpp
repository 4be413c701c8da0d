// starhop-solver: finds a key script that clears a level, searching on the real game code
// (headless, in this process), and writes it in the replay runner's script format.
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "algo/file/logger.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "basic/element.hpp"
#include "game/headless.hpp"
#include "game/level.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"
#include "game/solver.hpp"

namespace {

const char kUsage[] =
    "usage: starhop-solver --level N [--time-limit S] [--max-passes P] [--wait P] [-v] OUT\n"
    "       starhop-solver --level N --beam W [--bands ROWS[/COLS],...] [...] OUT\n"
    "                      (the older beam search with hand-given areas)\n"
    "       starhop-solver --starts N OUT   (level starts in turn, resident memory to OUT)\n";

// Resident set size of this process in kB, from /proc/self/status.
long residentKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) throw std::runtime_error("/proc/self/status: cannot open");
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    if (kb < 0) throw std::runtime_error("/proc/self/status: no VmRSS line");
    return kb;
}

// Where the tool speaks: the terminal and the log.
void say(const std::string& line) {
    algo::log(line);
    algo::logger::toTerminal(line);
}

struct Job : game::PassObserver {
    int level = 0;
    int starts = 0;
    game::SolverOptions options;
    std::string out;
    std::string command;  // how the script was found, for its header
    int status = 0;

    bool beforePass() override {
        if (starts > 0) {
            measureStarts();
            return false;
        }
        game::Grid grid{};
        std::int32_t x = 0, y = 0;
        game::loadLevel(game::levelPath(level), grid, x, y);
        game::Solver solver(grid, options);
        while (!solver.step(std::chrono::milliseconds(50))) {
        }
        const game::SolverResult& r = solver.result();
        const auto simulated = static_cast<long long>(solver.progress().passesSimulated);
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", solver.progress().seconds);
        if (!r.found) {
            std::string line = "starhop-solver: level " + std::to_string(level) + ": " + r.failure;
            if (!r.missed.empty()) {
                line += "; stars never reached:";
                for (auto [c, row] : r.missed)
                    line += " (" + std::to_string(c) + ", " + std::to_string(row) + ")";
            }
            say(line);
            status = 1;
            return false;
        }
        std::FILE* f = std::fopen(out.c_str(), "w");
        if (!f) throw std::runtime_error(out + ": cannot write: " + std::strerror(errno));
        std::fprintf(f, "# %s\n", command.c_str());
        std::fprintf(f, "# level %d: every star in %d passes, the next scene on pass %d\n", level,
                     r.lastStarPass, r.switchPass);
        std::fputs(r.script().c_str(), f);
        if (std::fclose(f) != 0) throw std::runtime_error(out + ": cannot write");
        say("level " + std::to_string(level) + ": " + std::to_string(r.lastStarPass) +
            " passes to the last star, " + std::to_string(r.switchPass) + " with the curtain; " +
            std::to_string(simulated) + " passes simulated in " + seconds + " s");
        return false;
    }
    void afterPass(bool) override {}

    // Starts levels 1 to 8 in turn as the game does (bitmap, music, drawing), each played for
    // a while with walking and jumping, and notes the resident memory after the 10th start
    // and after the last.
    void measureStarts() {
        std::FILE* f = std::fopen(out.c_str(), "w");
        if (!f) throw std::runtime_error(out + ": cannot write: " + std::strerror(errno));
        auto keys = algo::keyboard::scriptedKeys();
        auto& events = algo::EventControl_::instance();
        auto& scenes = algo::SceneControl_::instance();
        for (int i = 1; i <= starts; ++i) {
            const int n = (i - 1) % 8 + 1;
            std::ranges::fill(keys, 0);
            events.poll();
            scenes.change(game::SceneGame_::instance(), {{"map", basic::Element::of<int>(n)},
                                                         {"time", basic::Element::of<int>(1)}});
            for (int k = 0; k < 180; ++k) {
                std::ranges::fill(keys, 0);
                if (k >= 60) {
                    keys[((k - 60) / 20) % 2 ? SDLK_RIGHT : SDLK_LEFT] = 1;
                    keys[SDLK_x] = (k - 60) % 30 == 0;
                }
                if (!events.poll()) throw std::runtime_error("the game asked to quit");
                scenes.update();
                scenes.draw();
                algo::Display_::instance().flip();
            }
            if (i == 10 || i == starts)
                std::fprintf(f, "VmRSS after %d starts: %ld kB\n", i, residentKb());
        }
        if (std::fclose(f) != 0) throw std::runtime_error(out + ": cannot write");
    }
};

bool number(const char* text, long lo, long hi, long& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Job job;
    job.command = "starhop-solver";
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-v") != 0) job.command += std::string(" ") + argv[i];
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        long v = 0;
        auto need = [&](long lo, long hi) {
            if (i + 1 >= argc || !number(argv[++i], lo, hi, v)) {
                std::fprintf(stderr, "starhop-solver: %s needs a number from %ld to %ld\n%s",
                             a.c_str(), lo, hi, kUsage);
                std::exit(2);
            }
        };
        if (a == "--level") {
            need(1, 1000);
            job.level = static_cast<int>(v);
        } else if (a == "--beam") {
            need(1, 100000);
            job.options.beam = static_cast<int>(v);
        } else if (a == "--max-passes") {
            need(100, 1000000);
            job.options.maxPasses = static_cast<std::int32_t>(v);
        } else if (a == "--wait") {
            need(60, 100000);
            job.options.wait = static_cast<std::int32_t>(v);
        } else if (a == "--time-limit") {
            need(1, 100000);
            job.options.timeLimit = static_cast<double>(v);
        } else if (a == "--starts") {
            need(10, 100000);
            job.starts = static_cast<int>(v);
            job.level = 1;
        } else if (a == "--bands") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "starhop-solver: --bands needs rows like 0-6,7-13\n");
                return 2;
            }
            std::string bandList = argv[++i];
            std::size_t at = 0;
            while (at < bandList.size()) {
                std::size_t comma = bandList.find(',', at);
                if (comma == std::string::npos) comma = bandList.size();
                game::SolverOptions::Area area;
                char tail = 0;
                const std::string item = bandList.substr(at, comma - at);
                const int got = std::sscanf(item.c_str(), "%d-%d/%d-%d%c", &area.top, &area.bottom,
                                            &area.left, &area.right, &tail);
                if ((got != 2 && got != 4) || area.top < 0 || area.bottom > 31 ||
                    area.top > area.bottom || area.left < 0 || area.right > 31 ||
                    area.left > area.right) {
                    std::fprintf(stderr, "starhop-solver: --bands: bad band '%s'\n", item.c_str());
                    return 2;
                }
                job.options.bands.push_back(area);
                at = comma + 1;
            }
        } else if (a == "-v") {
            job.options.report = say;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "starhop-solver: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            job.out = a;
        }
    }
    if (job.level == 0 || job.out.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!job.options.bands.empty() && job.options.beam == 0) job.options.beam = 48;
    // An error reaches the entry handler, which logs it and prints it on the terminal.
    const int status = game::runHeadless(job);
    return status != 0 ? status : job.status;
}
