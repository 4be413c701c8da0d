#include "editor/document.hpp"

#include <algorithm>

namespace editor {

namespace {

bool inside(int column, int row) {
    return column >= 0 && row >= 0 && column < game::kGridSize && row < game::kGridSize;
}

}  // namespace

Document::Document() {
    reset(blankGrid(), "");
}

game::Grid Document::blankGrid() {
    game::Grid grid{};
    for (int i = 0; i < game::kGridSize; ++i) {
        grid[i][0] = grid[i][game::kGridSize - 1] = game::kSolid;
        grid[0][i] = grid[game::kGridSize - 1][i] = game::kSolid;
    }
    return grid;
}

void Document::beginStroke() {
    if (!stroke_) stroke_.emplace();
}

void Document::set(int column, int row, std::uint8_t code) {
    std::uint8_t& cell = grid_[column][row];
    if (cell == code) return;
    Step& step = *stroke_;
    auto it = std::find_if(step.begin(), step.end(),
                           [&](const Change& c) { return c.column == column && c.row == row; });
    if (it == step.end())
        step.push_back(
            {static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row), cell, code});
    else
        it->after = code;
    cell = code;
    ++revision_;
}

void Document::paint(int column, int row, std::uint8_t code) {
    if (!inside(column, row)) return;
    const bool own = !stroke_;
    beginStroke();
    if (code == game::kStartCell) {
        for (int r = 0; r < game::kGridSize; ++r) {
            for (int c = 0; c < game::kGridSize; ++c) {
                if ((c == column && r == row) || grid_[c][r] != game::kStartCell) continue;
                // A start dragged across tiles leaves them as they were.
                std::uint8_t back = game::kEmpty;
                for (const Change& ch : *stroke_)
                    if (ch.column == c && ch.row == r && ch.before != game::kStartCell)
                        back = ch.before;
                set(c, r, back);
            }
        }
    }
    set(column, row, code);
    if (own) endStroke();
}

void Document::endStroke() {
    if (!stroke_) return;
    Step step = std::move(*stroke_);
    stroke_.reset();
    std::erase_if(step, [](const Change& c) { return c.before == c.after; });
    if (!step.empty()) push(std::move(step));
}

void Document::fill(Cell from, Cell to, std::uint8_t code) {
    if (code == game::kStartCell) {
        paint(to.column, to.row, code);
        return;
    }
    const bool own = !stroke_;
    beginStroke();
    const int c0 = std::max(std::min(from.column, to.column), 0);
    const int c1 = std::min(std::max(from.column, to.column), game::kGridSize - 1);
    const int r0 = std::max(std::min(from.row, to.row), 0);
    const int r1 = std::min(std::max(from.row, to.row), game::kGridSize - 1);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) set(c, r, code);
    if (own) endStroke();
}

void Document::push(Step step) {
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back(std::move(step));
    if (steps_.size() > kHistory) steps_.pop_front();
    done_ = steps_.size();
}

void Document::apply(const Step& step, bool forward) {
    if (forward) {
        for (const Change& c : step) grid_[c.column][c.row] = c.after;
    } else {
        for (auto it = step.rbegin(); it != step.rend(); ++it)
            grid_[it->column][it->row] = it->before;
    }
    ++revision_;
}

bool Document::undo() {
    endStroke();
    if (done_ == 0) return false;
    apply(steps_[--done_], false);
    return true;
}

bool Document::redo() {
    endStroke();
    if (done_ == steps_.size()) return false;
    apply(steps_[done_++], true);
    return true;
}

void Document::reset(const game::Grid& grid, std::string path) {
    grid_ = saved_ = grid;
    path_ = std::move(path);
    steps_.clear();
    done_ = 0;
    stroke_.reset();
    proof_.clear();
    ++revision_;
}

void Document::markSaved(std::string path) {
    saved_ = grid_;
    path_ = std::move(path);
}

int Document::stars() const {
    int n = 0;
    for (const auto& column : grid_)
        n += static_cast<int>(std::count(column.begin(), column.end(), game::kStar));
    return n;
}

std::optional<Cell> Document::start() const {
    for (int r = 0; r < game::kGridSize; ++r)
        for (int c = 0; c < game::kGridSize; ++c)
            if (grid_[c][r] == game::kStartCell) return Cell{c, r};
    return std::nullopt;
}

void Document::setProof(std::string script, const game::Grid& grid) {
    proof_ = std::move(script);
    proofGrid_ = grid;
}

std::string Document::proof() const {
    return !proof_.empty() && proofGrid_ == grid_ ? proof_ : std::string();
}

}  // namespace editor
