#pragma once
// A level's check while the editor goes on drawing: the hard rules, then the solver, a slice
// per pass.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "algo/game/microthread.hpp"
#include "game/levelcheck.hpp"
#include "game/solver.hpp"

namespace editor {

/// Checks one grid: first the hard rules (game::checkLevel), then a search for a route
/// (game::Solver), written as straight code in a task that the owner steps once per pass
/// with a time budget, so the window keeps drawing and answering. It owns the play scene
/// while a step runs, as the solver does: nothing else may play between its start and its
/// end except through stop(). Needs the engine and the game's module start.
///
/// @code
/// editor::CheckRunner check;
/// check.start(doc.grid());
/// // once per pass:
/// check.step(std::chrono::milliseconds(6));
/// if (check.state() == editor::CheckRunner::State::Found) drawTrail(check.result().trail);
/// @endcode
class CheckRunner {
  public:
    enum class State {
        Idle,         ///< never started
        Rules,        ///< the rules are being checked (one pass)
        RulesBroken,  ///< problems() says which
        Searching,    ///< progress() says how far
        Found,        ///< result().found
        NotFound,     ///< result().missed: stars no candidate took
        Stopped,      ///< stop() came first
        Failed,       ///< an error: failure()
    };

    /// Seconds of searching before it gives up.
    static constexpr double kTimeLimit = 30;

    CheckRunner();
    ~CheckRunner();
    CheckRunner(const CheckRunner&) = delete;
    CheckRunner& operator=(const CheckRunner&) = delete;

    /// Begins a check of `grid` (copied), stopping any check under way.
    void start(const game::Grid& grid);
    /// Ends a check under way at once; its state becomes Stopped.
    void stop();
    /// One slice of the check of about `budget`; nothing when none is under way.
    void step(std::chrono::microseconds budget);

    State state() const { return state_; }
    bool running() const { return state_ == State::Rules || state_ == State::Searching; }
    const game::Grid& grid() const { return grid_; }
    const std::vector<game::LevelProblem>& problems() const { return problems_; }
    game::SolverProgress progress() const;
    /// Once Found or NotFound.
    const game::SolverResult& result() const;
    const std::string& failure() const { return failure_; }

  private:
    void body();

    algo::MicroThread task_;
    game::Grid grid_{};
    State state_ = State::Idle;
    bool stopping_ = false;
    std::chrono::microseconds budget_{0};
    std::vector<game::LevelProblem> problems_;
    std::unique_ptr<game::Solver> solver_;
    std::string failure_;
};

}  // namespace editor
