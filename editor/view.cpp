#include "editor/view.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "editor/prefs.hpp"
#include "game/scenegame.hpp"

namespace editor {

namespace {

// The play field's first pixel in the frame, and a cell's pitch.
constexpr int kOrigin = 16;
constexpr int kPitch = game::kTilePixels;

int cellLeft(int column) {
    return kOrigin + kPitch * column;
}

}  // namespace

LevelView::LevelView() = default;

void LevelView::placeCamera() {
    auto& d = algo::Display_::instance();
    // The camera puts its position at the window's middle; the view's middle is elsewhere.
    const long double z = zoom_;
    algo::Camera2D_::instance().set(centreX_ + (d.width() / 2 - kSize / 2) / z,
                                    centreY_ + (d.height() / 2 - kSize / 2) / z, z);
}

int LevelView::screenX(long double wx) const {
    auto& c = algo::Camera2D_::instance();
    return static_cast<int>(algo::Display_::instance().width() / 2 + c.zoom * (wx - c.pos.x));
}

int LevelView::screenY(long double wy) const {
    auto& c = algo::Camera2D_::instance();
    return static_cast<int>(algo::Display_::instance().height() / 2 + c.zoom * (wy - c.pos.y));
}

void LevelView::setZoom(int zoom, int x, int y) {
    zoom = std::clamp(zoom, 1, kMaxZoom);
    placeCamera();
    auto& c = algo::Camera2D_::instance();
    auto& d = algo::Display_::instance();
    // The world point under (x, y) now, and where the centre must go to keep it there.
    const long double wx = c.pos.x + (x - d.width() / 2) / c.zoom;
    const long double wy = c.pos.y + (y - d.height() / 2) / c.zoom;
    centreX_ = wx - (x - kSize / 2) / static_cast<long double>(zoom);
    centreY_ = wy - (y - kSize / 2) / static_cast<long double>(zoom);
    zoom_ = zoom;
    pan(0, 0);
}

void LevelView::pan(int dx, int dy) {
    const long double half = kSize / 2.0L / zoom_;
    centreX_ = std::clamp(centreX_ + dx / static_cast<long double>(zoom_), half, kSize - half);
    centreY_ = std::clamp(centreY_ + dy / static_cast<long double>(zoom_), half, kSize - half);
    placeCamera();
}

std::optional<Cell> LevelView::cellAt(int x, int y) const {
    if (!contains(x, y)) return std::nullopt;
    auto& c = algo::Camera2D_::instance();
    auto& d = algo::Display_::instance();
    const long double wx = c.pos.x + (x - d.width() / 2) / c.zoom;
    const long double wy = c.pos.y + (y - d.height() / 2) / c.zoom;
    const int column = static_cast<int>(std::floor((wx - kOrigin) / kPitch));
    const int row = static_cast<int>(std::floor((wy - kOrigin) / kPitch));
    if (column < 0 || row < 0 || column >= game::kGridSize || row >= game::kGridSize)
        return std::nullopt;
    return Cell{column, row};
}

void LevelView::draw(const game::Grid& grid, std::uint64_t revision) {
    placeCamera();
    auto& d = algo::Display_::instance();
    if (!frame_.surface()) {
        frame_.create(kSize, kSize);
        drawn_ = ~revision;
    }
    if (revision != drawn_) {
        frame_.fill(255, 255, 255);
        game::drawGridTiles(grid, frame_);
        drawn_ = revision;
    }
    if (zoom_ == 1) {
        frame_.draw(nullptr, d, 0, 0);
        return;
    }
    // Only what the view shows is zoomed: a few hundred thousand pixels, not the frame's
    // square of them.
    const long double half = kSize / 2.0L / zoom_;
    const int x0 = std::max(0, static_cast<int>(std::floor(centreX_ - half)));
    const int y0 = std::max(0, static_cast<int>(std::floor(centreY_ - half)));
    const int w = std::min(kSize - x0, static_cast<int>(std::ceil(2 * half)) + 1);
    const int h = std::min(kSize - y0, static_cast<int>(std::ceil(2 * half)) + 1);
    if (!crop_.surface() || crop_.width() != w || crop_.height() != h) crop_.create(w, h);
    SDL_Rect src{static_cast<Sint16>(x0), static_cast<Sint16>(y0), static_cast<Uint16>(w),
                 static_cast<Uint16>(h)};
    frame_.draw(&src, crop_, 0, 0);
    begin();
    crop_.drawZoom(nullptr, d, static_cast<std::int16_t>(screenX(x0)),
                   static_cast<std::int16_t>(screenY(y0)), zoom_, false);
    end();
}

void LevelView::begin() {
    SDL_Rect clip{0, 0, kSize, kSize};
    algo::Display_::instance().setClipRect(&clip);
}

void LevelView::end() {
    algo::Display_::instance().setClipRect(nullptr);
}

void LevelView::drawGridLines() {
    auto& d = algo::Display_::instance();
    const int top = screenY(cellLeft(0)), bottom = screenY(cellLeft(game::kGridSize));
    const int left = screenX(cellLeft(0)), right = screenX(cellLeft(game::kGridSize));
    // The tiles' outlines lie on the first pixel of a cell: the line goes through its middle.
    const int mid = zoom_ / 2;
    for (int i = 0; i <= game::kGridSize; ++i) {
        const auto x = static_cast<std::int16_t>(screenX(cellLeft(i)) + mid);
        const auto y = static_cast<std::int16_t>(screenY(cellLeft(i)) + mid);
        d.drawLine(x, static_cast<std::int16_t>(top), x, static_cast<std::int16_t>(bottom), 40, 60,
                   120, 90);
        d.drawLine(static_cast<std::int16_t>(left), y, static_cast<std::int16_t>(right), y, 40, 60,
                   120, 90);
    }
}

void LevelView::outline(Cell a, Cell b, std::uint8_t r, std::uint8_t g, std::uint8_t bl,
                        int width) {
    auto& d = algo::Display_::instance();
    const int x0 = screenX(cellLeft(std::min(a.column, b.column)));
    const int y0 = screenY(cellLeft(std::min(a.row, b.row)));
    const int x1 = screenX(cellLeft(std::max(a.column, b.column) + 1)) + zoom_ - 1;
    const int y1 = screenY(cellLeft(std::max(a.row, b.row) + 1)) + zoom_ - 1;
    for (int i = 0; i < width; ++i)
        d.drawRect(static_cast<std::int16_t>(x0 - i), static_cast<std::int16_t>(y0 - i),
                   static_cast<std::int16_t>(x1 + i), static_cast<std::int16_t>(y1 + i), r, g, bl,
                   255, false);
}

void LevelView::shade(Cell a, Cell b, std::uint8_t r, std::uint8_t g, std::uint8_t bl,
                      std::uint8_t alpha) {
    auto& d = algo::Display_::instance();
    d.drawRect(static_cast<std::int16_t>(screenX(cellLeft(std::min(a.column, b.column)))),
               static_cast<std::int16_t>(screenY(cellLeft(std::min(a.row, b.row)))),
               static_cast<std::int16_t>(screenX(cellLeft(std::max(a.column, b.column) + 1))),
               static_cast<std::int16_t>(screenY(cellLeft(std::max(a.row, b.row) + 1))), r, g, bl,
               alpha, true);
}

void LevelView::drawTrail(const std::vector<game::SolverPoint>& trail) {
    auto& d = algo::Display_::instance();
    // The rabbit's middle: its 16-pixel body is drawn 16 pixels in.
    constexpr int kMiddle = kOrigin + 7;
    for (std::size_t i = 1; i < trail.size(); ++i) {
        const auto& p = trail[i - 1];
        const auto& q = trail[i];
        if (p.x == q.x && p.y == q.y) continue;
        const auto x1 = static_cast<std::int16_t>(screenX(p.x + kMiddle));
        const auto y1 = static_cast<std::int16_t>(screenY(p.y + kMiddle));
        const auto x2 = static_cast<std::int16_t>(screenX(q.x + kMiddle));
        const auto y2 = static_cast<std::int16_t>(screenY(q.y + kMiddle));
        d.drawLine(x1, y1, x2, y2, 230, 30, 150, 255);
        d.drawLine(static_cast<std::int16_t>(x1 + 1), y1, static_cast<std::int16_t>(x2 + 1), y2,
                   230, 30, 150, 255);
    }
}

void LevelView::ring(Cell cell, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    auto& d = algo::Display_::instance();
    const auto x = static_cast<std::int16_t>(screenX(cellLeft(cell.column) + 8));
    const auto y = static_cast<std::int16_t>(screenY(cellLeft(cell.row) + 8));
    const int radius = 11 * zoom_;
    for (int i = 0; i < 2; ++i)
        d.drawEllipse(x, y, static_cast<std::int16_t>(radius + i),
                      static_cast<std::int16_t>(radius + i), r, g, b, 255, false);
}

}  // namespace editor
