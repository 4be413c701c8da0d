#pragma once
// The level being edited: its grid, its file, its undo history, and the proof of its last
// cleared test play.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "game/level.hpp"

namespace editor {

struct Cell {
    int column = 0;
    int row = 0;
    bool operator==(const Cell&) const = default;
};

/// A level under edit. Every change is part of a step that undo takes back whole: a stroke
/// (all the cells painted between beginStroke and endStroke) or a filled rectangle. The level
/// keeps at most one start cell: painting one moves it.
///
/// @code
/// editor::Document doc;             // blank: a solid border around an empty field
/// doc.beginStroke();
/// doc.paint(3, 30, game::kSolid);   // the cells the pointer passes over
/// doc.paint(4, 30, game::kSolid);
/// doc.endStroke();                  // one step
/// doc.undo();                       // both cells back
/// @endcode
class Document {
  public:
    /// Steps kept for undo; the oldest go first.
    static constexpr std::size_t kHistory = 1000;

    Document();

    /// 32 x 32, solid ring, empty inside.
    static game::Grid blankGrid();

    const game::Grid& grid() const { return grid_; }
    std::uint8_t at(int column, int row) const { return grid_[column][row]; }

    /// Opens a stroke; paints until endStroke are one step.
    void beginStroke();
    /// Sets a cell (inside the grid; others are ignored). Outside a stroke it is a step of
    /// its own. A start cell moves the level's start here: the old start cell gets back what
    /// it held before this stroke, or becomes empty.
    void paint(int column, int row, std::uint8_t code);
    /// Closes the stroke; one that changed nothing leaves no step.
    void endStroke();
    bool inStroke() const { return stroke_.has_value(); }

    /// Fills the rectangle between two corners (either order, clipped to the grid) as one
    /// step. A start cell is not a rectangle: it goes to the second corner alone.
    void fill(Cell from, Cell to, std::uint8_t code);

    /// False when there is nothing to undo or redo.
    bool undo();
    bool redo();
    std::size_t undoable() const { return done_; }
    std::size_t redoable() const { return steps_.size() - done_; }

    /// A new level in place of this one (a file opened, a new blank): no history, unchanged.
    void reset(const game::Grid& grid, std::string path);

    /// The file it was opened from or saved to; empty for a level never saved.
    const std::string& path() const { return path_; }
    /// Differs from what was opened or last saved.
    bool modified() const { return grid_ != saved_; }
    /// The grid is now what `path` holds.
    void markSaved(std::string path);
    /// Changes with every change of the grid, undo and redo included.
    std::uint64_t revision() const { return revision_; }

    int stars() const;
    std::optional<Cell> start() const;

    /// A replay script that cleared exactly `grid`; kept until the level changes from it.
    void setProof(std::string script, const game::Grid& grid);
    /// The proof of the grid as it is now, or empty.
    std::string proof() const;

  private:
    struct Change {
        std::uint8_t column, row, before, after;
    };
    using Step = std::vector<Change>;

    void set(int column, int row, std::uint8_t code);
    void push(Step step);
    void apply(const Step& step, bool forward);

    game::Grid grid_{};
    game::Grid saved_{};
    std::string path_;
    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are applied
    std::optional<Step> stroke_;
    std::uint64_t revision_ = 0;
    std::string proof_;
    game::Grid proofGrid_{};
};

}  // namespace editor
