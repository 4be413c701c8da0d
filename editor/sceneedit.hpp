#pragma once
// The editor's scene: the level view, the palette, the status lines, and what the mouse and
// the keys do to the level.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "algo/game/scene.hpp"
#include "algo/surface/font.hpp"
#include "editor/document.hpp"
#include "editor/palette.hpp"
#include "editor/textcache.hpp"
#include "editor/view.hpp"
#include "game/levelcheck.hpp"

namespace editor {

class CheckRunner;
class Preferences;
class TestPlay;
class Texts;
struct PlayOutcome;
struct KeyPress;
struct Click;

/// The editing scene. It borrows everything it works on from the program, which owns them
/// and keeps them alive while the scene is on the stack: the document, the texts, the
/// preferences, the two fonts, the check and the test play (which pushes the play scene over
/// this one). It takes its input from InputEvents once per update.
///
/// @code
/// editor::SceneEdit edit({doc, texts, prefs, check, play, font16, font32, "/home/me"});
/// scenes.change(edit, {});
/// // main loop: poll, scenes.update(), scenes.draw(); edit.quitting() ends it
/// @endcode
class SceneEdit : public algo::Scene {
  public:
    struct Parts {
        Document& doc;
        Texts& texts;
        Preferences& prefs;
        CheckRunner& check;
        TestPlay& play;
        algo::Font& text;
        algo::Font& heading;
        std::string base;  ///< where relative paths typed by the user start
    };

    /// The window the scene lays itself out in.
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 608;
    /// Budget of the check per pass, in microseconds: the rest of a 16.7 ms frame draws.
    static constexpr int kCheckBudget = 6000;

    explicit SceneEdit(Parts parts);

    void init(const basic::Args&) override {}
    void exit() override {}
    void update() override;
    void draw() override;
    /// The panel and the status lines around the play scene's frame during a test play.
    void drawAround();

    /// A quit was asked for (the window closed, Escape, Ctrl+Q): true when the editor may end
    /// now; with unsaved changes the question is put first and the answer decides.
    bool askQuit();
    bool quitting() const { return quit_; }

    /// How the test play went, told by the program once the play scene is gone.
    void playOutcome(const PlayOutcome& outcome);

    enum class Tone { Info, Good, Bad };
    /// The status line's message.
    void say(const std::string& text, Tone tone = Tone::Info);
    /// Sets the window caption from the level's name and the language.
    void caption();

  private:
    enum class Mode { Edit, Help, Ask, Path };
    enum class After { Nothing, Quit, New, Open };
    enum class PathFor { Open, SaveAs };

    void keyPress(const KeyPress& k);
    void click(const Click& c);
    void editKey(const KeyPress& k);
    void askKey(const KeyPress& k);
    void pathKey(const KeyPress& k);
    void answer(char choice);  // 'y', 'n', 'c'
    void follow(After action);
    void request(After action);
    bool save(const std::string& path);
    void openPath(const std::string& path);
    void newLevel();
    void startTestPlay();
    void startCheck();
    void setZoom(int zoom, int x, int y);
    void toggleLanguage();
    void paintTo(Cell cell);
    void refreshProblems();
    bool checkCurrent() const;

    void drawOverlay();
    void drawStatus();
    void drawBox(int x0, int y0, int x1, int y1);
    std::string fileLabel() const;
    std::string problemText(const game::LevelProblem& p) const;

    Parts p_;
    LevelView view_;
    Palette palette_;
    TextCache text_;
    TextCache heading_;

    Mode mode_ = Mode::Edit;
    After pending_ = After::Nothing;
    PathFor pathFor_ = PathFor::Open;
    std::string typed_;        // the path being typed
    std::string pendingPath_;  // the file to open once the question is answered
    bool quit_ = false;

    int selected_ = game::kSolid;
    int hover_ = -1;               // palette entry under the pointer
    std::optional<Cell> pointer_;  // cell under the pointer
    struct Drag {
        int button = 0;
        std::uint8_t code = 0;
        Cell from, last;
        bool rectangle = false;
    };
    std::optional<Drag> drag_;

    std::string message_;
    Tone tone_ = Tone::Info;

    std::uint64_t problemsRevision_ = ~std::uint64_t{0};
    std::vector<game::LevelProblem> problems_;
    std::uint64_t checkRevision_ = 0;  // the grid the check was started on
    // The grid the proof on disk beside the level proves, as far as the editor knows.
    std::optional<game::Grid> diskProof_;
};

}  // namespace editor
