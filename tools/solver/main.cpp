// starhop-solver: finds a key script that clears a level, searching on the real game code
// (headless, in this process), and writes it in the replay runner's script format.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "algo/system/engine.hpp"
#include "game/main.hpp"
#include "tools/solver/search.hpp"

namespace {

const char kUsage[] =
    "usage: starhop-solver --level N [--beam W] [--max-passes P] [--bands ROWS[/COLS],...] [--wait "
    "P] [-v] "
    "OUT\n"
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

struct Job : game::PassObserver {
    int level = 0;
    int starts = 0;
    solver::Settings settings;
    std::string out;
    std::string command;  // how the script was found, for its header

    bool beforePass() override {
        if (starts > 0) {
            measureStarts();
            return false;
        }
        solver::Level lv(level);
        const auto passes = solver::solve(lv, settings);
        std::int32_t total = 0;
        if (!lv.finish(passes, total))
            throw std::runtime_error("level " + std::to_string(level) +
                                     ": the script found does not finish the level");
        std::FILE* f = std::fopen(out.c_str(), "w");
        if (!f) throw std::runtime_error(out + ": cannot write: " + std::strerror(errno));
        std::fprintf(f, "# level %d: every star in %zu passes, the next scene on pass %d\n", level,
                     passes.size(), total);
        std::fputs(solver::scriptText(passes).c_str(), f);
        std::fprintf(f, "%d -\n", total - static_cast<int>(passes.size()));
        if (std::fclose(f) != 0) throw std::runtime_error(out + ": cannot write");
        std::fprintf(stderr,
                     "level %d: %zu passes to the last star, %d with the curtain, %lld simulated\n",
                     level, passes.size(), total, static_cast<long long>(lv.passesSimulated()));
        return false;
    }
    void afterPass(bool) override {}

    // Starts levels 1 to 8 in turn, each played and drawn for a while with walking and
    // jumping, and notes the resident memory after the 10th start and after the last.
    void measureStarts() {
        std::FILE* f = std::fopen(out.c_str(), "w");
        if (!f) throw std::runtime_error(out + ": cannot write: " + std::strerror(errno));
        for (int i = 1; i <= starts; ++i) {
            const int n = (i - 1) % 8 + 1;
            solver::Level lv(n);
            std::vector<std::uint8_t> passes(60, 0);
            for (int k = 0; k < 120; ++k)
                passes.push_back(
                    static_cast<std::uint8_t>((k / 20) % 2 ? solver::kRight : solver::kLeft) |
                    (k % 30 == 0 ? solver::kJump : 0));
            lv.play(passes);
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
    for (int i = 1; i + 1 < argc; ++i)
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
            job.settings.beam = static_cast<int>(v);
        } else if (a == "--max-passes") {
            need(100, 1000000);
            job.settings.maxPasses = static_cast<std::int32_t>(v);
        } else if (a == "--wait") {
            need(60, 100000);
            job.settings.wait = static_cast<std::int32_t>(v);
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
                solver::Settings::Area area;
                char tail = 0;
                const std::string item = bandList.substr(at, comma - at);
                const int got = std::sscanf(item.c_str(), "%d-%d/%d-%d%c", &area.top, &area.bottom,
                                            &area.left, &area.right, &tail);
                if ((got != 2 && got != 4) || area.top < 0 || area.bottom > 31 ||
                    area.top > area.bottom || area.left < 0 || area.right > 31 ||
                    area.left > area.right) {
                    std::fprintf(stderr, "starhop-solver: --bands: bad band '%s'\n",
                                 bandList.substr(at, comma - at).c_str());
                    return 2;
                }
                job.settings.bands.push_back(area);
                at = comma + 1;
            }
        } else if (a == "-v") {
            job.settings.verbose = true;
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
    // Errors land in the log (stdout.txt) through the entry handler; say where to look.
    const int status = algo::runProgram([&] {
        game::MainModule module;
        game::Options options;
        options.screen = game::Screen::Window;
        options.startLevel = job.level;
        options.pauseOnFocusLoss = false;
        options.observer = &job;
        return game::entry(options);
    });
    if (status != 0) std::fprintf(stderr, "starhop-solver: failed, see stdout.txt\n");
    return status;
}
