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

const char kUsage[] = "usage: starhop-solver --level N [--beam W] [--max-passes P] [-v] OUT\n";

struct Job : game::PassObserver {
    int level = 0;
    solver::Settings settings;
    std::string out;
    int status = 0;

    bool beforePass() override {
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
        options.observer = &job;
        return game::entry(options);
    });
    if (status != 0) std::fprintf(stderr, "starhop-solver: failed, see stdout.txt\n");
    return status;
}
