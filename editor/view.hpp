#pragma once
// The level as play draws it, zoomed and moved through the engine's camera, with what the
// editor lays over it.
#include <cstdint>
#include <optional>
#include <vector>

#include "algo/surface/texture.hpp"
#include "editor/document.hpp"
#include "game/solver.hpp"

namespace editor {

/// The part of the window that shows the level: the game's 512 x 512 frame at its top-left,
/// tile for tile what the play scene draws (game::drawGridTiles on white), shown 1 to
/// kMaxZoom times as large. World coordinates are the frame's pixels; the view maps them to
/// the window through Camera2D_, whose position and zoom it sets. Owns its frame pictures.
///
/// @code
/// editor::LevelView view;
/// view.setZoom(2, mouseX, mouseY);           // the point under the pointer stays put
/// view.draw(doc.grid(), doc.revision());     // onto the display, clipped to the view
/// if (auto cell = view.cellAt(mouseX, mouseY)) doc.paint(cell->column, cell->row, code);
/// @endcode
class LevelView {
  public:
    static constexpr int kSize = 512;  ///< the view's width and height in window pixels

    LevelView();

    int zoom() const { return zoom_; }
    /// Zoom `zoom` (clamped to 1..kMaxZoom), keeping the world point under the window
    /// point (x, y) where it is.
    void setZoom(int zoom, int x, int y);
    /// Moves the view by (dx, dy) window pixels, within the frame.
    void pan(int dx, int dy);
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < kSize && y < kSize; }
    /// The cell under window point (x, y), or none outside the view or the grid.
    std::optional<Cell> cellAt(int x, int y) const;

    /// The level, redrawn into the frame when `revision` differs from the last one.
    void draw(const game::Grid& grid, std::uint64_t revision);
    /// Lines between the cells.
    void drawGridLines();
    /// A frame around cells from `a` to `b` (corners, either order), `width` pixels thick.
    void outline(Cell a, Cell b, std::uint8_t r, std::uint8_t g, std::uint8_t bl, int width);
    /// A translucent fill over those cells.
    void shade(Cell a, Cell b, std::uint8_t r, std::uint8_t g, std::uint8_t bl, std::uint8_t alpha);
    /// The rabbit's way, point after point (its top-left corner in play-field pixels).
    void drawTrail(const std::vector<game::SolverPoint>& trail);
    /// A ring around a cell.
    void ring(Cell cell, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    /// Clips the display to the view while drawing over the level; ends() gives it back.
    void begin();
    void end();

  private:
    void placeCamera();
    // Window x, y of the world point.
    int screenX(long double wx) const;
    int screenY(long double wy) const;

    int zoom_ = 1;
    long double centreX_ = kSize / 2.0L, centreY_ = kSize / 2.0L;  // world point at the middle
    algo::Texture frame_;                                          // the level as play draws it
    algo::Texture crop_;                                           // the part a zoomed view shows
    std::uint64_t drawn_ = ~std::uint64_t{0};
};

}  // namespace editor
