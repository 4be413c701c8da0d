#include "editor/checkrunner.hpp"

#include <exception>

#include "basic/assert.hpp"
#include "basic/error.hpp"

namespace editor {

namespace {
// The solver calls deep into the game and the standard library: room for it (and for the
// sanitizers' larger frames). Only the pages it touches cost memory.
constexpr std::uint32_t kTaskStack = 1024 * 1024;
}  // namespace

CheckRunner::CheckRunner() = default;

CheckRunner::~CheckRunner() {
    stop();
}

void CheckRunner::start(const game::Grid& grid) {
    stop();
    grid_ = grid;
    problems_.clear();
    solver_.reset();
    failure_.clear();
    stopping_ = false;
    state_ = State::Rules;
    budget_ = std::chrono::microseconds(0);
    // Runs until its first yield: the rules, in this pass.
    task_.start(algo::MicroThread::Body::bind<&CheckRunner::body>(*this), kTaskStack);
}

void CheckRunner::stop() {
    if (!task_.isSuspended()) return;
    stopping_ = true;
    task_.resume();  // the body sees stopping_ and returns
    BASIC_ASSERT(!task_.isSuspended(), "check: the task went on after stop");
    state_ = State::Stopped;
}

void CheckRunner::step(std::chrono::microseconds budget) {
    if (!task_.isSuspended()) return;
    budget_ = budget;
    task_.resume();
}

void CheckRunner::body() {
    try {
        problems_ = game::checkLevel(grid_);
        if (!problems_.empty()) {
            state_ = State::RulesBroken;
            return;
        }
        game::SolverOptions options;
        options.timeLimit = kTimeLimit;
        solver_ = std::make_unique<game::Solver>(grid_, options);
        state_ = State::Searching;
        task_.yield();
        while (!stopping_ && !solver_->step(budget_)) task_.yield();
        if (stopping_) return;
        state_ = solver_->result().found ? State::Found : State::NotFound;
    } catch (const std::exception& e) {
        failure_ = basic::describe(e);
        state_ = State::Failed;
    }
}

game::SolverProgress CheckRunner::progress() const {
    return solver_ ? solver_->progress() : game::SolverProgress{};
}

const game::SolverResult& CheckRunner::result() const {
    BASIC_ASSERT(solver_ && solver_->done(), "check: no result before the search is done");
    return solver_->result();
}

}  // namespace editor
