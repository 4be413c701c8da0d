// The game's start-up as `starhop --window` goes through it, up to its first drawn title frame.
// game_bench runs it as a child; the log it leaves in its working directory times the steps
// in between (the log's stamps are processor cycles, so two readings here give their rate).
// usage: startup_game FD
#include <cstdio>

#include "algo/system/engine.hpp"
#include "algo/timer/timestamp.hpp"
#include "bench/startup/marks.hpp"
#include "game/main.hpp"

namespace {

probe::Marks marks;
const char* fd = nullptr;

struct FirstFrame : game::PassObserver {
    bool looped = false;
    bool beforePass() override {
        if (!looped) marks.mark("loop");
        looped = true;
        return true;
    }
    void afterPass(bool drawn) override {
        if (!drawn) return;
        marks.mark("frame");
        marks.add("frame-stamp", algo::timestamp());
        marks.add("libraries", probe::libraries());
        std::fflush(stdout);  // the log, for game_bench to read
        marks.sendAndExit(fd);
    }
};

}  // namespace

int main(int argc, char** argv) {
    marks.mark("main");
    fd = argc > 1 ? argv[1] : nullptr;
    FirstFrame observer;
    game::Options options;
    options.screen = game::Screen::Window;
    options.observer = &observer;
    game::presetSdl(options);
    return algo::runProgram([&] {
        marks.mark("engine");
        marks.add("engine-stamp", algo::timestamp());
        game::MainModule module;
        marks.mark("module");
        return game::entry(options);
    });
}
