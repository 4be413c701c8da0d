// A play-like frame onto the 512 × 512 16-bit screen, the flip on its own, and a memory
// bandwidth reference measured in the same run: the frame should stay within 3× of it. The
// keyed 8-bit sheets are converted to the screen's format first, as a game does with pictures
// it draws every frame; the frame is checked to stay the same to the byte.
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

algo::Texture* tiles;
algo::Texture* chara;

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

void frame(algo::Display_& d) {
    d.fill(255, 255, 255);
    SDL_Rect cell{0, 0, 16, 16};
    for (int a = 0; a < 32; ++a)
        for (int b = 0; b < 32; ++b) {
            const int t = (a * 7 + b) % 16;
            cell.x = static_cast<Sint16>(t % 4 * 16);
            cell.y = static_cast<Sint16>(t / 4 * 16);
            tiles->draw(&cell, d, static_cast<std::int16_t>(16 + 15 * b),
                        static_cast<std::int16_t>(16 + 15 * a));
        }
    for (int i = 0; i < 20; ++i) {
        cell.x = static_cast<Sint16>(i % 4 * 16);
        cell.y = static_cast<Sint16>(i / 4 % 2 * 16);
        chara->draw(&cell, d, static_cast<std::int16_t>(20 + 23 * i),
                    static_cast<std::int16_t>(100 + 9 * i));
    }
    d.drawString(400, 8, "Time: 12.34", 0, 0, 0, 255);
}

void BM_PlayFrame(benchmark::State& state) {
    auto& d = algo::Display_::instance();
    for (auto _ : state) frame(d);
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

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

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);  // headless unless told otherwise
    algo::logger::enabled = false;          // no log file: reports go to the terminal
    algo::sdlinit::moduleStart();
    algo::texture::moduleStart();
    algo::display::moduleStart();
    auto& d = algo::Display_::instance();
    d.setVideoMode(512, 512, 16, false);
    algo::Texture tileSheet, charaSheet;
    tileSheet.setSurface(sheet(4));
    tileSheet.setColorKeyFromPixel(true);
    charaSheet.setSurface(sheet(2));
    charaSheet.setColorKeyFromPixel(true);
    tiles = &tileSheet;
    chara = &charaSheet;

    // The sheets as a game keeps them: converted once to the screen's format, key and all.
    // The frame must not change by a single byte.
    frame(d);
    SDL_Surface* screen = d.surface();
    const auto* pixels = static_cast<const std::uint8_t*>(screen->pixels);
    const std::vector<std::uint8_t> before(pixels, pixels + screen->pitch * screen->h);
    tileSheet.toDisplayFormat();
    charaSheet.toDisplayFormat();
    frame(d);
    if (std::memcmp(before.data(), pixels, before.size()) != 0) {
        std::fprintf(stderr, "render_bench: the converted sheets draw a different frame\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    for (int i = 0; i < 50; ++i) frame(d), bench::bandwidthReference();  // warm up
    const double f = bench::medianMicros([&] { frame(d); }, 400);
    const double r = bench::medianMicros(bench::bandwidthReference, 400);
    std::printf("median frame %.1f us, reference %.1f us, ratio %.2f (goal: at most 3)\n", f, r,
                f / r);
    benchmark::Shutdown();
    tileSheet.freeSurface();
    charaSheet.freeSurface();
    algo::display::moduleEnd();
    algo::texture::moduleEnd();
    algo::sdlinit::moduleEnd();
    return 0;
}
