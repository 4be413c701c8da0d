// starhop-replay: runs the real game headless from a key script and writes a trace.
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "algo/timer/fps.hpp"
#include "game/headless.hpp"
#include "game/main.hpp"
#include "game/replayscript.hpp"
#include "tools/replay/trace.hpp"

namespace {

const char kUsage[] =
    "usage: starhop-replay [--levels PATH] [--level N] [--trace FILE] [--shots DIR "
    "(--shot N)... | --shot-every K] SCRIPT\n";

struct Settings {
    int level = 0;
    std::string levels;
    std::string tracePath;
    std::string shotsDir;
    std::set<long> shots;
    long shotEvery = 0;
    std::string script;
};

std::vector<std::string> gSounds;
// Effects as the game starts them: a replay runs far faster than the mixer plays, so the
// mixer's channels would fill up and drop effects that a real-time game would hear.
void soundStarted(const std::string& key) {
    gSounds.push_back(key);
}

bool parseCount(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 1) return false;
    out = v;
    return true;
}

class Runner : public game::PassObserver {
  public:
    Runner(const Settings& s, const std::vector<game::ReplayStep>& steps, std::FILE* trace)
        : settings_(s), cursor_(steps), trace_(trace) {}

    bool beforePass() override {
        const game::ReplayStep* step = cursor_.next();
        if (!step) return false;
        std::ranges::fill(keys_, 0);
        for (std::uint32_t k : step->keys) keys_[k] = 1;
        gSounds.clear();
        ++pass_;
        return true;
    }

    void afterPass(bool drawn) override {
        if (trace_) {
            std::string line = replay::traceLine(pass_, drawn, gSounds);
            line += '\n';
            if (std::fputs(line.c_str(), trace_) < 0 || std::fflush(trace_) != 0)
                throw std::runtime_error(settings_.tracePath + ": cannot write the trace");
        }
        if (!settings_.shotsDir.empty() &&
            (settings_.shots.count(pass_) ||
             (settings_.shotEvery > 0 && pass_ % settings_.shotEvery == 0))) {
            char name[32];
            std::snprintf(name, sizeof name, "/pass-%06ld.bmp", pass_);
            const std::string path = settings_.shotsDir + name;
            if (SDL_SaveBMP(algo::Display_::instance().surface(), path.c_str()) != 0)
                throw std::runtime_error(path + ": cannot save the screenshot (" + SDL_GetError() +
                                         ")");
        }
    }

  private:
    const Settings& settings_;
    game::ScriptCursor cursor_;
    std::span<std::uint8_t, algo::kKeyCount> keys_ = algo::keyboard::scriptedKeys();
    std::FILE* trace_;
    long pass_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    auto bad = [](const std::string& why) {
        std::fprintf(stderr, "starhop-replay: %s\n%s", why.c_str(), kUsage);
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) return nullptr;
            (void)what;
            return argv[++i];
        };
        long n = 0;
        if (a == "--level") {
            const char* v = value("N");
            if (!v || !parseCount(v, n) || n > 1'000'000)
                return bad("--level needs a level number of 1 or more");
            s.level = static_cast<int>(n);
        } else if (a == "--levels") {
            const char* v = value("PATH");
            if (!v || !*v) return bad("--levels needs a level pack: a folder or a .zip archive");
            s.levels = v;
        } else if (a == "--trace") {
            const char* v = value("FILE");
            if (!v) return bad("--trace needs a file name");
            s.tracePath = v;
        } else if (a == "--shots") {
            const char* v = value("DIR");
            if (!v) return bad("--shots needs a directory");
            s.shotsDir = v;
        } else if (a == "--shot") {
            const char* v = value("N");
            if (!v || !parseCount(v, n)) return bad("--shot needs a pass number of 1 or more");
            s.shots.insert(n);
        } else if (a == "--shot-every") {
            const char* v = value("K");
            if (!v || !parseCount(v, n)) return bad("--shot-every needs a count of 1 or more");
            s.shotEvery = n;
        } else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return bad("unknown option " + a);
        } else if (s.script.empty()) {
            s.script = a;
        } else {
            return bad("more than one script: " + s.script + " and " + a);
        }
    }
    if (s.script.empty()) return bad("no script given");
    if ((!s.shots.empty() || s.shotEvery > 0) && s.shotsDir.empty())
        return bad("--shot and --shot-every need --shots DIR");
    if (!s.shots.empty() && s.shotEvery > 0)
        return bad("use either --shot or --shot-every, not both");

    std::vector<game::ReplayStep> steps;
    try {
        steps = game::loadScript(s.script);
    } catch (const game::ScriptError& e) {
        std::fprintf(stderr, "starhop-replay: %s\n", e.what());
        return 2;
    }

    std::FILE* trace = nullptr;
    if (!s.tracePath.empty()) {
        trace = std::fopen(s.tracePath.c_str(), "w");
        if (!trace) {
            std::fprintf(stderr, "starhop-replay: %s: cannot open the trace: %s\n",
                         s.tracePath.c_str(), std::strerror(errno));
            return 2;
        }
    }

    Runner runner(s, steps, trace);
    algo::fps::setClock(algo::fps::steppedClock());
    game::setSoundObserver(&soundStarted);
    const int status = game::runHeadless(runner, s.level, s.levels);
    if (trace) std::fclose(trace);
    return status;
}
