// The real game, headless: start-up to the first drawn title frame against a bare SDL 1.2
// program (both as new processes), the drawing of every frame of the recorded whole game
// against the frame's physical floor, the cost of one steady play pass (update and draw, the
// flip apart), heap allocations per steady play pass, peak resident memory, and a long soak
// of seeded random input through starhop-replay.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/surface/display.hpp"
#include "basic/element.hpp"
#include "bench/support/alloc_count.hpp"
#include "bench/support/bandwidth.hpp"
#include "bench/support/console.hpp"
#include "game/headless.hpp"
#include "game/main.hpp"
#include "game/replayscript.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegame.hpp"
#include "game/scenegameover.hpp"
#include "game/scenestart.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The keys the benchmark holds, read by the keyboard in place of SDL's state.
std::span<std::uint8_t> gKeys;

// The terminal, kept before the engine's logger takes standard output over.
std::FILE* gOut = stdout;
int gOutFd = 1;

fs::path gBuildDir;  // the build tree: data/ and tools/replay/starhop-replay live there
fs::path gWork;      // the working directory, with the built data linked in

double micros(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// Median, 99th percentile and worst of a set of readings.
struct Spread {
    double median = 0, p99 = 0, worst = 0;
};

Spread spread(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const auto p99 = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n))) - 1;
    return {v[n / 2], v[std::min(p99, n - 1)], v.back()};
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot read");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---- Start-up: the game and a bare SDL 1.2 program, each a new process every time.

// What one probe run reported, by label; "spawn" is when it was started.
using Readings = std::map<std::string, long long>;

constexpr int kProbeFd = 3;

Readings runProbe(const char* program, const fs::path& dir) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("start-up: no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_adddup2(&actions, fds[1], kProbeFd);  // clears close-on-exec
    std::string fdText = std::to_string(kProbeFd);
    char* argv[] = {const_cast<char*>(program), fdText.data(), nullptr};
    Readings r;
    pid_t pid = 0;
    r["spawn"] = Clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string text;
    if (spawned == 0) {
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    if (spawned == 0) waitpid(pid, &status, 0);
    std::istringstream lines(text);
    std::string label;
    long long value = 0;
    while (lines >> label >> value) r[label] = value;
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !r.count("frame"))
        throw std::runtime_error(std::string("start-up: ") + program +
                                 " drew no first frame; see stdout.txt and stderr.txt in " +
                                 dir.string());
    return r;
}

// Where the time of one start went, in milliseconds, by step; "total" is spawn to frame.
using Steps = std::map<std::string, double>;

const char kProcess[] = "process start to main";
const char kEngine[] = "engine start";
const char kWindow[] = "window";
const char kAudio[] = "audio device";
const char kPictures[] = "picture loads";
const char kSounds[] = "sound loads";
const char kFirstPass[] = "first pass";
const char kOther[] = "other";

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The game's start cut at its probe's marks and at its log lines, whose stamps are processor
// cycles since the engine's start: the two stamped marks give their rate. An engine module's
// share runs from its "<Name> ctor .." line to the next line; it is listed as
// "engine start: <Name>".
Steps gameSteps(const Readings& r, const fs::path& log, int& pictures, int& sounds) {
    const double engineNs = static_cast<double>(r.at("engine"));
    const double engineStamp = static_cast<double>(r.at("engine-stamp"));
    const double nsPerCycle = (static_cast<double>(r.at("frame")) - engineNs) /
                              (static_cast<double>(r.at("frame-stamp")) - engineStamp);
    std::vector<std::pair<double, std::string>> events;
    for (const char* mark : {"spawn", "main", "engine", "module", "loop", "frame"})
        events.emplace_back(static_cast<double>(r.at(mark)), std::string("@") + mark);
    std::istringstream lines(readText(log));
    for (std::string line; std::getline(lines, line);) {
        char* end = nullptr;
        const long long stamp = std::strtoll(line.c_str(), &end, 10);
        if (end == line.c_str() || std::strncmp(end, ": ", 2) != 0) continue;  // "ログ開始"
        events.emplace_back(engineNs + (static_cast<double>(stamp) - engineStamp) * nsPerCycle,
                            std::string(end + 2));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Steps steps;
    std::string phase = kProcess, module = "logger";  // and what precedes the first line
    pictures = sounds = 0;
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        const std::string& what = events[i].second;
        if (what == "@main") phase = kEngine;
        if (what == "@engine") phase = kOther;
        if (what == "@loop") phase = kFirstPass;
        if (what == "@frame") break;
        std::string step = phase;
        if (phase == kEngine) {
            const auto ctor = what.find(" ctor ..");
            if (ctor != std::string::npos) module = what.substr(0, ctor);
            step = std::string(kEngine) + ": " + module;
        } else if (phase == kOther) {
            if (startsWith(what, "start Texture.loadimg")) {
                step = kPictures;
                ++pictures;
            } else if (startsWith(what, "start Sound.load")) {
                step = kSounds;
                ++sounds;
            } else if (startsWith(what, "B/N: ") || startsWith(what, "Window scale")) {
                step = kWindow;
            } else if (startsWith(what, "SDL_FULLSCREEN")) {
                step = kAudio;  // what follows the window's last line: setFPS, the audio open
            }
        }
        const double ms = (events[i + 1].first - events[i].first) / 1e6;
        steps[step] += ms;
        if (startsWith(step, kEngine)) steps[kEngine] += ms;
    }
    steps["total"] = static_cast<double>(r.at("frame") - r.at("spawn")) / 1e6;
    return steps;
}

Steps bareSteps(const Readings& r) {
    auto ms = [&](const char* from, const char* to) {
        return static_cast<double>(r.at(to) - r.at(from)) / 1e6;
    };
    return {{kProcess, ms("spawn", "main")},    {kEngine, ms("main", "sdl")},
            {kWindow, ms("sdl", "window")},     {kAudio, ms("window", "audio")},
            {kFirstPass, ms("audio", "frame")}, {"total", ms("spawn", "frame")}};
}

void startupFigures() {
    const fs::path dir = gWork / "startup";
    fs::create_directories(dir);
    fs::create_directory_symlink(gBuildDir / "data", dir / "data");
    const int runs = 100;
    std::map<std::string, std::vector<double>> game, bare;
    int pictures = 0, sounds = 0;
    long long gameLibraries = 0, bareLibraries = 0;
    for (int i = -2; i < runs; ++i) {  // two of each first, to fill the file cache
        const Readings g = runProbe(STARTUP_GAME, dir);
        const Readings b = runProbe(STARTUP_BARE, dir);
        if (i < 0) continue;
        gameLibraries = g.at("libraries");
        bareLibraries = b.at("libraries");
        for (const auto& [step, ms] : gameSteps(g, dir / "stdout.txt", pictures, sounds))
            game[step].push_back(ms);
        for (const auto& [step, ms] : bareSteps(b)) bare[step].push_back(ms);
    }
    const Spread g = spread(game["total"]), b = spread(bare["total"]);
    std::fprintf(
        gOut, "start-up to the first drawn title frame: %.1f ms (bare SDL 1.2 program: %.1f ms)\n",
        g.median, b.median);
    std::fprintf(gOut,
                 "start-up, 99th percentile and worst of %d new processes each: game %.1f and "
                 "%.1f ms, bare SDL 1.2 program %.1f and %.1f ms\n",
                 runs, g.p99, g.worst, b.p99, b.worst);
    std::fprintf(gOut, "start-up steps, medians in ms      game   bare SDL 1.2\n");
    auto median = [](std::map<std::string, std::vector<double>>& of, const std::string& step) {
        char text[16] = "";
        if (of.count(step)) std::snprintf(text, sizeof text, "%7.2f", spread(of[step]).median);
        return std::string(text);
    };
    auto row = [&](const std::string& step, const std::string& label) {
        if (!game.count(step) && !bare.count(step)) return;
        std::fprintf(gOut, "  %-30s %7s %7s\n", label.c_str(), median(game, step).c_str(),
                     median(bare, step).c_str());
    };
    std::fprintf(gOut, "  %-30s %7lld %7lld\n", "libraries loaded", gameLibraries, bareLibraries);
    row(kProcess, "process start to main");
    row(kEngine, kEngine);
    for (const auto& [step, times] : game)
        if (startsWith(step, kEngine) && step != kEngine && spread(times).median >= 0.1)
            row(step, "  " + step.substr(std::strlen(kEngine) + 2));
    row(kWindow, kWindow);
    row(kAudio, kAudio);
    row(kPictures, "picture loads (" + std::to_string(pictures) + ")");
    row(kSounds, "sound loads (" + std::to_string(sounds) + ")");
    row(kFirstPass, "first pass, to the drawn frame");
    row(kOther, kOther);
}

// ---- Play

// Level 1 walked back and forth with a jump now and then: steady play, no deaths, no end.
void startLevel() {
    std::ranges::fill(gKeys, 0);
    algo::EventControl_::instance().poll();
    algo::SceneControl_::instance().change(
        game::SceneGame_::instance(),
        {{"map", basic::Element::of<int>(1)}, {"time", basic::Element::of<int>(1)}});
}

void setKeys(long pass) {
    std::ranges::fill(gKeys, 0);
    gKeys[(pass / 90) % 2 ? SDLK_LEFT : SDLK_RIGHT] = 1;
    gKeys[SDLK_x] = pass % 45 < 10;
}

struct PassTimes {
    double updateDraw = 0;  // microseconds
    double draw = 0;
    double flip = 0;
};

// One pass as the main loop runs it, with the keys already set.
PassTimes timedPass() {
    algo::EventControl_::instance().poll();
    auto& scenes = algo::SceneControl_::instance();
    const auto t0 = Clock::now();
    scenes.update();
    const auto drawStart = Clock::now();
    scenes.draw();
    const auto t1 = Clock::now();
    algo::Display_::instance().flip();
    const auto t2 = Clock::now();
    return {micros(t0, t1), micros(drawStart, t1), micros(t1, t2)};
}

PassTimes onePass(long pass) {
    setKeys(pass);
    return timedPass();
}

void BM_PlayPass(benchmark::State& state) {
    startLevel();
    long pass = 0;
    for (; pass < 120; ++pass) onePass(pass);  // the life ball, then the rabbit is in
    for (auto _ : state) {
        const PassTimes t = onePass(pass++);
        state.SetIterationTime(t.updateDraw / 1e6);
    }
}
BENCHMARK(BM_PlayPass)->UseManualTime()->Iterations(20000);

// The draw of every frame of the whole game as tests/levels/ replays it: the title, the
// eight levels through their recorded solutions (stars, vanishing tiles, each curtain), the
// clear screen and the title again.
struct WholeGame {
    std::vector<double> draws;  // microseconds, one per pass; every pass is drawn
    // The same by kind of frame: "play", "curtain", "level start" (a level's first frame, its
    // layer drawn whole), "title", "clear".
    std::map<std::string, std::vector<double>> byKind;
    long playFrames = 0;
    long worstPass = 0;
    std::string worstKind;
};

const char* sceneName() {
    auto& top = algo::SceneControl_::instance().current();
    if (&top == &game::SceneStart_::instance()) return "title";
    if (&top == &game::SceneGame_::instance()) return "play";
    if (&top == &game::SceneClear_::instance()) return "clear";
    if (&top == &game::SceneGameOver_::instance()) return "game over";
    return "?";
}

WholeGame wholeGame() {
    const fs::path levels = fs::path(SOURCE_DIR) / "tests/levels";
    std::string text = "1 z\n";  // HAZIMEKARA
    for (int n = 1; n <= 8; ++n) text += readText(levels / ("level" + std::to_string(n) + ".txt"));
    text += "30 -\n1 z\n10 -\n";  // the clear screen, back to the title
    const auto steps = game::parseScript(text, "whole game");

    std::ranges::fill(gKeys, 0);
    algo::EventControl_::instance().poll();
    algo::SceneControl_::instance().change(game::SceneStart_::instance(), {});
    WholeGame run;
    bool cleared = false, gameOver = false;
    long pass = 0;
    double worst = 0;
    std::int32_t lastLevel = 0;  // of the last play frame; 0 when the last frame was no play
    auto& play = game::SceneGame_::instance();
    game::ScriptCursor cursor(steps);
    for (const game::ReplayStep* step; (step = cursor.next());) {
        std::ranges::fill(gKeys, 0);
        for (std::uint32_t k : step->keys) gKeys[k] = 1;
        const PassTimes t = timedPass();
        ++pass;
        const char* scene = sceneName();
        std::string kind = scene;
        if (kind == "play") {
            kind = play.level() != lastLevel ? "level start" : play.rest() < 0 ? "curtain" : "play";
            lastLevel = play.level();
        } else {
            lastLevel = 0;
        }
        if (run.draws.empty() || t.draw > worst) {
            worst = t.draw;
            run.worstPass = pass;
            run.worstKind = kind;
        }
        run.byKind[kind].push_back(t.draw);
        run.draws.push_back(t.draw);
        run.playFrames += std::strcmp(scene, "play") == 0;
        cleared = cleared || std::strcmp(scene, "clear") == 0;
        gameOver = gameOver || std::strcmp(scene, "game over") == 0;
    }
    if (!cleared || gameOver || std::strcmp(sceneName(), "title") != 0)
        throw std::runtime_error("whole game: the recorded solutions no longer finish the game");
    return run;
}

// Median and 99th percentile of update + draw and of the flip, and heap allocations per pass,
// over passes of steady play after a warm-up; the whole game's draw against the frame's floor.
void playFigures(const WholeGame& whole) {
    startLevel();
    long pass = 0;
    for (; pass < 600; ++pass) onePass(pass);
    const int n = 20000;
    std::vector<double> work, draws, flips;
    work.reserve(n);
    draws.reserve(n);
    flips.reserve(n);
    const long before = bench::allocationCount();
    for (int i = 0; i < n; ++i) {
        const PassTimes t = onePass(pass++);
        work.push_back(t.updateDraw);
        draws.push_back(t.draw);
        flips.push_back(t.flip);
    }
    const long allocations = bench::allocationCount() - before;
    // The floor right after the passes, so both see the same machine.
    const double write = bench::medianMicros(bench::frameWrite, 400);
    const double copy = bench::medianMicros(bench::frameCopy, 400);
    auto& play = game::SceneGame_::instance();
    const double plain = bench::medianMicros([&] { play.drawPlain(); }, 400);
    const Spread w = spread(work), d = spread(whole.draws), steady = spread(draws),
                 f = spread(flips);
    std::fprintf(gOut,
                 "play pass, update and draw: median %.1f us, 99th percentile %.1f us, worst "
                 "%.1f us\n",
                 w.median, w.p99, w.worst);
    std::fprintf(gOut,
                 "frame floor, 512 x 512 x 16 bits: 512 KiB write %.1f us, 512 KiB copy %.1f us\n",
                 write, copy);
    std::fprintf(gOut,
                 "play draw figures below are of every frame of the recorded whole game: %zu "
                 "frames, %ld of them in play; the worst on pass %ld (%s)\n",
                 whole.draws.size(), whole.playFrames, whole.worstPass, whole.worstKind.c_str());
    std::fprintf(gOut, "play draw by kind of frame, median and worst:");
    const char* sep = " ";
    for (const char* kind : {"play", "curtain", "level start", "title", "clear"}) {
        const auto found = whole.byKind.find(kind);
        if (found == whole.byKind.end()) continue;
        const Spread k = spread(found->second);
        std::fprintf(gOut, "%s%s %.1f and %.1f us (%zu)", sep, kind, k.median, k.worst,
                     found->second.size());
        sep = ", ";
    }
    std::fprintf(gOut, "\n");
    std::fprintf(gOut,
                 "play draw: median %.1f us, p99 %.1f us, worst %.1f us; floor %.1f us (512 KiB "
                 "copy), ratio %.2f\n",
                 d.median, d.p99, d.worst, copy, d.median / copy);
    std::fprintf(gOut,
                 "play draw, steady walk on level 1: median %.1f us, p99 %.1f us, worst %.1f us\n",
                 steady.median, steady.p99, steady.worst);
    std::fprintf(gOut, "play draw, tile by tile: median %.1f us\n", plain);
    std::fprintf(gOut, "play pass, flip: median %.1f us, 99th percentile %.1f us, worst %.1f us\n",
                 f.median, f.p99, f.worst);
    std::fprintf(gOut, "heap allocations per steady play pass: %.4f (%ld in %d passes; goal 0)\n",
                 static_cast<double>(allocations) / n, allocations, n);
}

// ---- Soak

// 100 000 passes of seeded random keys through the replay runner, from level 3 (thorns near
// the start bring game overs; the title then starts the game again).
void soak() {
    fs::path replay = gBuildDir / "starhop-replay";
    if (!fs::exists(replay)) replay = gBuildDir / "tools/replay/starhop-replay";
    if (!fs::exists(replay)) {
        std::fprintf(gOut, "soak: %s not built, skipped\n", replay.c_str());
        return;
    }
    std::mt19937 rng(20261208);
    const char* keys[] = {"-", "right", "left", "x",          "right,x",      "left,x",
                          "z", "c",     "v",    "right,left", "right,left,x", "z,x"};
    const int lengths[] = {1, 2, 3, 5, 8, 13, 30};
    const long total = 100000;
    {
        std::ofstream script("soak.txt");
        for (long done = 0; done < total;) {
            long n = std::min<long>(lengths[rng() % 7], total - done);
            script << n << ' ' << keys[rng() % 12] << '\n';
            done += n;
        }
    }
    std::string cmd = "'";
    cmd += replay.string();
    cmd += "' --level 3 --trace soak.jsonl soak.txt";
    const auto t0 = Clock::now();
    const int status = std::system(cmd.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    long lines = 0;
    std::ifstream trace("soak.jsonl");
    for (std::string line; std::getline(trace, line);) ++lines;
    std::fprintf(gOut,
                 "soak: %ld passes of random input, exit status %d, %ld trace lines, %.1f s "
                 "(%.1f us a pass)\n",
                 total, status, lines, seconds, seconds * 1e6 / static_cast<double>(total));
    if (status != 0 || lines != total) throw std::runtime_error("soak: the run failed");
}

// Runs everything else once the title's first frame is drawn, then ends the game.
struct Bench : game::PassObserver {
    int argc;
    char** argv;
    long pass = 0;

    bool beforePass() override {
        if (pass == 0) return true;  // the title's first pass
        gKeys = algo::keyboard::scriptedKeys();
        const WholeGame whole = wholeGame();
        bench::runBenchmarksTo(gOutFd, argc, argv);
        playFigures(whole);
        soak();
        std::fprintf(gOut, "peak resident memory: %ld kB (now %ld kB)\n", statusKb("VmHWM:"),
                     statusKb("VmRSS:"));
        return false;
    }
    void afterPass(bool) override { ++pass; }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    gBuildDir = fs::canonical("/proc/self/exe").parent_path().parent_path();
    // A working directory of its own, with the built data beside it.
    gWork = fs::temp_directory_path() / ("starhop-bench-" + std::to_string(getpid()));
    fs::create_directories(gWork);
    fs::create_directory_symlink(gBuildDir / "data", gWork / "data");
    fs::current_path(gWork);
    gOutFd = dup(STDOUT_FILENO);
    gOut = fdopen(gOutFd, "w");
    if (!gOut) return 1;
    std::setvbuf(gOut, nullptr, _IOLBF, 0);

    int status = 0;
    try {
        startupFigures();  // before this process starts a game of its own
    } catch (const std::exception& e) {
        std::fprintf(gOut, "%s\n", e.what());
        status = 1;
    }
    Bench bench;
    bench.argc = argc;
    bench.argv = argv;
    if (game::runHeadless(bench) != 0) status = 1;
    fs::current_path(gWork.parent_path());
    if (status == 0) fs::remove_all(gWork);
    return status;
}
