// A play-like frame onto the 512 × 512 16-bit screen, the flip on its own, and a memory
// bandwidth reference measured in the same run: the frame should stay within 3× of it. The
// frame is drawn from the keyed 8-bit sheets twice over: as the game draws them, converted
// once to the screen's format (the engine's own keyed copies), and as loaded, each tile
// converted by SDL's blit from the palette; the two frames must be the same to the byte.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/texture.hpp"
#include "algo/system/sdlinit.hpp"
#include "bench/support/bandwidth.hpp"

namespace {

struct Sheets {
    algo::Texture tiles;
    algo::Texture chara;
};
Sheets* converted;  // as the game keeps them
Sheets* loaded;     // as they come from the file

// An 8-bit sheet of 16 × 16 cells, four per row, index 0 (the top-left pixel) keyed away.
SDL_Surface* sheet(int rows) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, rows * 16, 8, 0, 0, 0, 0);
    SDL_Color pal[16];
    for (int i = 0; i < 16; ++i)
        pal[i] = SDL_Color{static_cast<Uint8>(i * 16), static_cast<Uint8>(255 - i * 16),
                           static_cast<Uint8>(i * 8), 0};
    SDL_SetColors(s, pal, 0, 16);
    auto* p = static_cast<Uint8*>(s->pixels);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            p[y * s->pitch + x] = ((x + y) % 5 == 0) ? 0 : (x / 16 + y / 16) % 15 + 1;
    p[0] = 0;
    return s;
}

void load(Sheets& s) {
    s.tiles.setSurface(sheet(4));
    s.tiles.setColorKeyFromPixel(true);
    s.chara.setSurface(sheet(2));
    s.chara.setColorKeyFromPixel(true);
}

// The play scene's work when it draws tile by tile (its layer when made, and the cells it
// redraws): the white ground, 32 × 32 overlapping keyed tiles, 20 actors, the time.
void frame(algo::Display_& d, Sheets& s) {
    d.fill(255, 255, 255);
    SDL_Rect cell{0, 0, 16, 16};
    for (int a = 0; a < 32; ++a)
        for (int b = 0; b < 32; ++b) {
            const int t = (a * 7 + b) % 16;
            cell.x = static_cast<Sint16>(t % 4 * 16);
            cell.y = static_cast<Sint16>(t / 4 * 16);
            s.tiles.draw(&cell, d, static_cast<std::int16_t>(16 + 15 * b),
                         static_cast<std::int16_t>(16 + 15 * a));
        }
    for (int i = 0; i < 20; ++i) {
        cell.x = static_cast<Sint16>(i % 4 * 16);
        cell.y = static_cast<Sint16>(i / 4 % 2 * 16);
        s.chara.draw(&cell, d, static_cast<std::int16_t>(20 + 23 * i),
                     static_cast<std::int16_t>(100 + 9 * i));
    }
    d.drawString(400, 8, "Time: 12.34", 0, 0, 0, 255);
}

void BM_PlayFrame(benchmark::State& state, Sheets** sheets) {
    auto& d = algo::Display_::instance();
    for (auto _ : state) frame(d, **sheets);
}
BENCHMARK_CAPTURE(BM_PlayFrame, converted_sheets, &converted)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_PlayFrame, sheets_as_loaded, &loaded)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_Flip(benchmark::State& state) {
    auto& d = algo::Display_::instance();
    for (auto _ : state) d.flip();
}
BENCHMARK(BM_Flip)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BandwidthReference(benchmark::State& state) {
    for (auto _ : state) bench::bandwidthReference();
}
BENCHMARK(BM_BandwidthReference)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

struct Figures {
    double median, p99, worst;
};

Figures figures(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    const auto at = [&](double p) { return t[static_cast<std::size_t>(p * (t.size() - 1))]; };
    return {at(0.5), at(0.99), t.back()};
}

template <class F>
double micros(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);  // headless unless told otherwise
    algo::logger::enabled = false;          // no log file: reports go to the terminal
    algo::sdlinit::moduleStart();
    algo::texture::moduleStart();
    algo::display::moduleStart();
    auto& d = algo::Display_::instance();
    d.setVideoMode(512, 512, 16, false);
    Sheets asLoaded, asConverted;
    load(asLoaded);
    load(asConverted);
    asConverted.tiles.toDisplayFormat();
    asConverted.chara.toDisplayFormat();
    loaded = &asLoaded;
    converted = &asConverted;

    // The same frame to the byte either way.
    frame(d, asLoaded);
    SDL_Surface* screen = d.surface();
    const auto* pixels = static_cast<const std::uint8_t*>(screen->pixels);
    const std::vector<std::uint8_t> before(pixels, pixels + screen->pitch * screen->h);
    frame(d, asConverted);
    if (std::memcmp(before.data(), pixels, before.size()) != 0) {
        std::fprintf(stderr, "render_bench: the converted sheets draw a different frame\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    // The three in turn, so that each sees the machine as the others do.
    for (int i = 0; i < 50; ++i)
        frame(d, asConverted), frame(d, asLoaded), bench::bandwidthReference();
    const int runs = 2000;
    std::vector<double> game, sdl, reference;
    for (int i = 0; i < runs; ++i) {
        game.push_back(micros([&] { frame(d, asConverted); }));
        sdl.push_back(micros([&] { frame(d, asLoaded); }));
        reference.push_back(micros(bench::bandwidthReference));
    }
    const Figures g = figures(game), s = figures(sdl), r = figures(reference);
    std::printf(
        "frame, sheets converted (the game's path): median %.1f us, 99th percentile %.1f "
        "us, worst %.1f us\n",
        g.median, g.p99, g.worst);
    std::printf(
        "frame, sheets as loaded (SDL's blit from the palette): median %.1f us, 99th "
        "percentile %.1f us, worst %.1f us\n",
        s.median, s.p99, s.worst);
    std::printf("reference: median %.1f us, 99th percentile %.1f us, worst %.1f us\n", r.median,
                r.p99, r.worst);
    std::printf("median frame %.1f us, reference %.1f us, ratio %.2f (goal: at most 3)\n", g.median,
                r.median, g.median / r.median);
    benchmark::Shutdown();
    asLoaded = {};
    asConverted = {};
    algo::display::moduleEnd();
    algo::texture::moduleEnd();
    algo::sdlinit::moduleEnd();
    return 0;
}
