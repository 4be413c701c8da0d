#pragma once
// starhop-edit as a program: its command line, its start, its main loop.
#include <memory>
#include <string>
#include <vector>

namespace editor {

class CheckRunner;

/// starhop-edit's command line.
struct EditorOptions {
    int scale = 0;      ///< window scale 1 to 4; 0: the largest that fits, as the game's
    std::string file;   ///< the level to open, or to make when it does not exist yet
    std::string dir;    ///< where relative paths start; empty: the working directory
    bool help = false;  ///< print editorHelp() and start nothing
};

/// Reads the command line; a bad option leaves a one-line message in `error`.
EditorOptions parseEditorOptions(const std::vector<std::string>& args, std::string& error);
/// What --help prints.
std::string editorHelp();

/// The running editor: its texts, preferences, fonts, the level, the scene, the check and the
/// test play, made in that order inside the engine and the game's module start, and its
/// window. A level file given that cannot be read throws std::runtime_error naming it before
/// the window opens.
///
/// @code
/// return algo::runProgram([&] {
///     game::MainModule module;
///     return editor::entry(options);  // the loop until the user quits
/// });
/// @endcode
class Editor {
  public:
    explicit Editor(const EditorOptions& options);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    /// The main loop until the user quits; 0.
    int run();
    /// One pass after the poll: the update, and the frame when `draw`. False once the user
    /// has quit.
    bool pass(bool draw);
    /// A quit from the window or the terminal: true when the editor may end now.
    bool quitAsked();

    /// The level's check, to watch it (the benchmark does).
    CheckRunner& check();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

/// Logs the build number, runs the editor and turns an error into one line in the log and on
/// the terminal and status 1.
int entry(const EditorOptions& options);

}  // namespace editor
