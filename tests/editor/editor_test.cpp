// The editor's logic that is easy to get wrong: undo and redo across strokes and fills, the
// one start cell, the preferences kept and a damaged preferences file, a save that fails
// halfway, the texts of both languages, and the check and the test play on the real play
// scene: a route found in slices, played through the keyboard with a pause in the middle,
// and the proof it leaves.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "algo/game/scene.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "basic/singleton.hpp"
#include "editor/checkrunner.hpp"
#include "editor/document.hpp"
#include "editor/files.hpp"
#include "editor/prefs.hpp"
#include "editor/testplay.hpp"
#include "editor/texts.hpp"
#include "game/levelfile.hpp"
#include "game/lifeball.hpp"
#include "game/main.hpp"
#include "game/rabbit.hpp"
#include "game/replayscript.hpp"
#include "game/scenegame.hpp"
#include "tests/support/room.hpp"
#include "tests/support/testenv.hpp"

namespace fs = std::filesystem;

namespace {

using editor::Cell;
using editor::Document;

std::string fresh(const std::string& name) {
    const fs::path dir = fs::path(testenv::workDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

using testroom::room;

TEST(Document, UndoAndRedoTakeStrokesAndFillsWhole) {
    Document doc;
    const game::Grid blank = doc.grid();
    EXPECT_TRUE(blank == Document::blankGrid());
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(doc.at(0, 5), game::kSolid);
    EXPECT_EQ(doc.at(31, 31), game::kSolid);
    EXPECT_EQ(doc.at(5, 5), game::kEmpty);

    // A stroke over three cells, one of them twice: one step.
    doc.beginStroke();
    doc.paint(3, 28, game::kSolid);
    doc.paint(4, 28, game::kSolid);
    doc.paint(3, 28, game::kStar);
    doc.paint(99, 3, game::kStar);  // outside: nothing
    doc.paint(5, 28, game::kSolid);
    doc.endStroke();
    const game::Grid afterStroke = doc.grid();
    EXPECT_EQ(doc.at(3, 28), game::kStar);
    EXPECT_EQ(doc.undoable(), 1u);

    // A fill, corners either way round and clipped to the grid.
    doc.fill({6, 20}, {2, 40}, game::kDeadly);
    EXPECT_EQ(doc.at(2, 31), game::kDeadly);
    EXPECT_EQ(doc.at(6, 20), game::kDeadly);
    EXPECT_EQ(doc.at(7, 20), game::kEmpty);
    EXPECT_EQ(doc.at(3, 28), game::kDeadly);
    const game::Grid afterFill = doc.grid();

    // A stroke that changes nothing leaves no step.
    doc.beginStroke();
    doc.paint(10, 10, game::kEmpty);
    doc.endStroke();
    EXPECT_EQ(doc.undoable(), 2u);

    const auto revision = doc.revision();
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.grid() == afterStroke);
    EXPECT_NE(doc.revision(), revision);
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.grid() == blank);
    EXPECT_FALSE(doc.modified()) << "back where it was opened";
    EXPECT_FALSE(doc.undo());
    ASSERT_TRUE(doc.redo());
    ASSERT_TRUE(doc.redo());
    EXPECT_TRUE(doc.grid() == afterFill);
    EXPECT_FALSE(doc.redo());

    // Undo, then a new change: the redo is gone. Undo in the middle of a stroke ends it first.
    ASSERT_TRUE(doc.undo());
    doc.paint(20, 20, game::kStar);
    EXPECT_EQ(doc.redoable(), 0u);
    doc.beginStroke();
    doc.paint(21, 20, game::kStar);
    ASSERT_TRUE(doc.undo());  // the open stroke, whole
    EXPECT_EQ(doc.at(21, 20), game::kEmpty);
    EXPECT_EQ(doc.at(20, 20), game::kStar);
    EXPECT_FALSE(doc.inStroke());

    // Saved: changed again only when it differs from what was saved.
    doc.markSaved("/tmp/x.bmp");
    EXPECT_FALSE(doc.modified());
    doc.undo();
    EXPECT_TRUE(doc.modified());
    doc.redo();
    EXPECT_FALSE(doc.modified());

    // The history keeps its last kHistory steps.
    Document many;
    for (std::size_t i = 0; i < Document::kHistory + 50; ++i)
        many.paint(1 + static_cast<int>(i % 30), 1 + static_cast<int>(i / 30 % 30),
                   i / 900 % 2 ? game::kStar : game::kSolid);
    EXPECT_EQ(many.undoable(), Document::kHistory);
    std::size_t undone = 0;
    while (many.undo()) ++undone;
    EXPECT_EQ(undone, Document::kHistory);
    EXPECT_TRUE(many.grid() != Document::blankGrid()) << "the oldest 50 steps are no longer undone";
}

TEST(Document, ALevelHasOneStartCell) {
    Document doc;
    doc.paint(4, 10, game::kStartCell);
    EXPECT_EQ(doc.start(), (Cell{4, 10}));
    doc.paint(20, 5, game::kStartCell);  // moves it: the old cell empties
    EXPECT_EQ(doc.at(4, 10), game::kEmpty);
    EXPECT_EQ(doc.start(), (Cell{20, 5}));

    // Dragged across a floor in one stroke, the start leaves the floor as it was.
    doc.fill({1, 30}, {30, 30}, game::kSolid);
    doc.beginStroke();
    for (int c = 5; c <= 9; ++c) doc.paint(c, 30, game::kStartCell);
    doc.endStroke();
    EXPECT_EQ(doc.at(20, 5), game::kEmpty);
    for (int c = 5; c <= 8; ++c) EXPECT_EQ(doc.at(c, 30), game::kSolid) << c;
    EXPECT_EQ(doc.start(), (Cell{9, 30}));
    int starts = 0;
    for (int c = 0; c < 32; ++c)
        for (int r = 0; r < 32; ++r) starts += doc.at(c, r) == game::kStartCell;
    EXPECT_EQ(starts, 1);

    // A rectangle of starts is one start, at the corner the drag ended on; the start it moves
    // from was there before this step, so its cell empties.
    doc.fill({2, 2}, {6, 6}, game::kStartCell);
    EXPECT_EQ(doc.start(), (Cell{6, 6}));
    EXPECT_EQ(doc.at(9, 30), game::kEmpty);
    EXPECT_EQ(doc.at(2, 2), game::kEmpty);

    // Undo brings the start back where it was, and only there.
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.start(), (Cell{9, 30}));
    EXPECT_EQ(doc.at(6, 6), game::kEmpty);
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.start(), (Cell{20, 5}));
    EXPECT_EQ(doc.at(9, 30), game::kSolid);
}

class Prefs : public testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved_ = old ? std::optional<std::string>(old) : std::nullopt;
        home_ = fresh("config");
        setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        if (saved_)
            setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    std::string home_;
    std::optional<std::string> saved_;
};

TEST_F(Prefs, KeptUnderTheConfigDirectoryAndReadBack) {
    const std::string path = editor::Preferences::defaultPath();
    EXPECT_EQ(path, home_ + "/starhop/editor.ini");
    {
        editor::Preferences prefs(path);
        EXPECT_TRUE(prefs.problem().empty());
        EXPECT_EQ(prefs.values, editor::PrefValues{});
        EXPECT_FALSE(fs::exists(path)) << "nothing to keep yet";
        prefs.values = {"/levels/castle é.bmp", 3, "ja", false};
        prefs.save();
    }
    // Another program's key stays; the values come back as they went.
    testenv::writeFile(path, testenv::readFile(path) + "later = kept\n");
    editor::Preferences again(path);
    EXPECT_TRUE(again.problem().empty()) << again.problem();
    EXPECT_EQ(again.values, (editor::PrefValues{"/levels/castle é.bmp", 3, "ja", false}));
    again.values.zoom = 1;
    again.save();
    EXPECT_NE(testenv::readFile(path).find("later"), std::string::npos);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(Prefs, ADamagedFileIsMovedAsideAndTheDefaultsTakeItsPlace) {
    const std::string path = editor::Preferences::defaultPath();
    const std::string damaged[] = {
        std::string("zoom = 2\n\x01\x02\xff\xfe garbage\0\n", 24),  // not text
        "zoom = 2\nlanguage en\n",                                  // a line that is no setting
        "zoom = 9\n",
        "zoom = two\n",
        "language = fr\n",
        "grid = maybe\n",
        "file = relative/level.bmp\n",
        "\xEF\xBB\xBFzoom = 2\nlanguage = ja\xE3\x81\n",  // cut in a character
    };
    for (const std::string& bytes : damaged) {
        fs::remove(path + ".damaged");
        testenv::writeFile(path, bytes);
        {
            editor::Preferences prefs(path);
            EXPECT_EQ(prefs.values, editor::PrefValues{}) << bytes;
            EXPECT_EQ(prefs.problem().rfind(path + " ", 0), 0u) << prefs.problem();
            EXPECT_NE(prefs.problem().find("kept as " + path + ".damaged"), std::string::npos)
                << prefs.problem();
        }
        EXPECT_EQ(testenv::readFile(path + ".damaged"), bytes) << "what the user had is kept";
        editor::Preferences after(path);
        EXPECT_TRUE(after.problem().empty()) << after.problem();
        EXPECT_EQ(after.values, editor::PrefValues{});
    }

    // A directory where the file should be: defaults, said so, nothing written anywhere.
    fs::remove(path);
    fs::create_directory(path);
    editor::Preferences blocked(path);
    EXPECT_EQ(blocked.values, editor::PrefValues{});
    EXPECT_NE(blocked.problem().find("is a directory"), std::string::npos) << blocked.problem();
    blocked.values.zoom = 2;
    EXPECT_NO_THROW(blocked.save());
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);

    // Comments and blank lines are no damage.
    testenv::writeFile(path, "# mine\n\nzoom = 4\r\n");
    editor::Preferences commented(path);
    EXPECT_TRUE(commented.problem().empty()) << commented.problem();
    EXPECT_EQ(commented.values.zoom, 4);
}

TEST(Files, ASaveThatFailsLeavesTheOldFilesWholeAndSaysWhy) {
    const std::string dir = fresh("save");
    const std::string level = dir + "/castle.txt";
    game::Grid grid = Document::blankGrid();
    grid[3][30] = game::kStartCell;
    grid[9][30] = game::kStar;
    const auto written = editor::saveLevel(level, grid, "");
    ASSERT_EQ(written, (std::vector<std::string>{dir + "/castle.bmp", dir + "/castle.txt"}));
    EXPECT_TRUE(game::readLevelFile(dir + "/castle.bmp") == grid);
    EXPECT_TRUE(game::readLevelFile(dir + "/castle.txt") == grid);
    EXPECT_FALSE(fs::exists(dir + "/castle.proof"));
    const std::string oldBmp = testenv::readFile(dir + "/castle.bmp");
    const std::string oldTxt = testenv::readFile(dir + "/castle.txt");

    // No file may grow past 100 bytes: the bitmap's write fails midway.
    game::Grid changed = grid;
    changed[10][30] = game::kStar;
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 100;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        editor::saveLevel(level, changed, "1 right\n");
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(error.rfind(dir + "/castle.bmp", 0), 0u) << error;
    EXPECT_EQ(testenv::readFile(dir + "/castle.bmp"), oldBmp);
    EXPECT_EQ(testenv::readFile(dir + "/castle.txt"), oldTxt);
    EXPECT_FALSE(fs::exists(dir + "/castle.proof"));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(entry.path().extension() == ".bmp" || entry.path().extension() == ".txt")
            << "left behind: " << entry.path();

    // A name taken by a directory: the bitmap is written, the text grid is refused by name.
    fs::create_directory(dir + "/other.txt");
    try {
        editor::saveLevel(dir + "/other.bmp", changed, "");
        ADD_FAILURE() << "saved over a directory";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(dir + "/other.txt", 0), 0u) << e.what();
    }
    EXPECT_TRUE(fs::is_directory(dir + "/other.txt"));

    EXPECT_EQ(editor::sibling("/a/map3.bmp", ".proof"), "/a/map3.proof");
    EXPECT_EQ(editor::sibling("castle.txt", ".bmp"), "castle.bmp");
    EXPECT_EQ(editor::resolvePath("levels/a.bmp", "/home/me"), "/home/me/levels/a.bmp");
    EXPECT_EQ(editor::resolvePath("/x/../y.txt", "/home/me"), "/y.txt");
}

TEST(Texts, BothLanguagesHaveEveryTextAndTheTileNamesOfTheGame) {
    editor::Texts texts;
    const std::string path = testenv::sourceDir() + "/editor/data/messages.txt";
    texts.load(path);
    for (int code = 0; code < 16; ++code)
        EXPECT_EQ(texts.get("tiles", static_cast<std::size_t>(code)),
                  game::tileName(static_cast<std::uint8_t>(code)));
    texts.setLanguage("ja");
    EXPECT_EQ(texts.get("tiles", 3), "ほし");
    EXPECT_EQ(texts.format("rules", {{"c", "4"}, {"r", "7"}}, 4),
              "4, 7: この ほしは とじこめられて いる");
    // One rule text per rule, in the rules' order.
    EXPECT_EQ(texts.lines("rules").size(),
              static_cast<std::size_t>(game::LevelRule::kUnreachable) + 1);

    // A file without a block the editor needs: its name and the block, at once.
    const std::string broken = fresh("texts") + "/messages.txt";
    std::string text = testenv::readFile(path);
    const auto at = text.find("ja.undo");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 7, "ja.ondo");
    testenv::writeFile(broken, text);
    editor::Texts bad;
    try {
        bad.load(broken);
        ADD_FAILURE() << "loaded without ja.undo";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), broken + ": the block ja.undo is missing");
    }
}

// ---------------------------------------------------------------- the play scene

class Play : public testing::Test {
  protected:
    void SetUp() override {
        // The play scene's curtain picture and tunes, from the built data.
        fs::remove(fs::path(testenv::workDir()) / "data");
        fs::create_directory_symlink(testenv::binaryDir() + "/data",
                                     fs::path(testenv::workDir()) / "data");
        if (!game::SceneGame_::exists())
            scene_ = std::make_unique<basic::SingletonOwner<game::SceneGame_>>();
        game::setSoundsQuiet(true);  // the sound table is empty here
        algo::SceneControl_::instance().change(below_, {});
    }
    void TearDown() override {
        game::setSoundsQuiet(false);
        algo::keyboard::setKeySource(nullptr);
        algo::SceneControl_::instance().clear();
        game::Rabbit::clearAll();
        game::DeadRabbit::clearAll();
        game::LifeBall::clearAll();
        scene_.reset();
    }

    // The editor's scene under the play scene.
    struct Below : algo::Scene {
        void init(const basic::Args&) override { ++inits; }
        void exit() override {}
        void update() override {}
        void draw() override {}
        int inits = 0;
    } below_;
    std::unique_ptr<basic::SingletonOwner<game::SceneGame_>> scene_;
};

TEST_F(Play, ACheckFindsARouteInSlicesAndATestPlayOfItLeavesItsProof) {
    editor::CheckRunner check;
    game::Grid broken = room();
    broken[6][30] = broken[9][26] = broken[13][30] = game::kEmpty;
    check.start(broken);
    EXPECT_EQ(check.state(), editor::CheckRunner::State::RulesBroken);
    ASSERT_FALSE(check.problems().empty());
    EXPECT_EQ(check.problems()[0].rule, game::LevelRule::kNoStar);

    // Stopped halfway, it can start again.
    check.start(room());
    EXPECT_EQ(check.state(), editor::CheckRunner::State::Searching);
    check.step(std::chrono::microseconds(500));
    check.stop();
    EXPECT_EQ(check.state(), editor::CheckRunner::State::Stopped);
    EXPECT_FALSE(check.running());
    check.step(std::chrono::microseconds(500));
    EXPECT_EQ(check.state(), editor::CheckRunner::State::Stopped);

    check.start(room());
    int slices = 0;
    while (check.running() && slices < 100000) {
        check.step(std::chrono::microseconds(2000));
        ++slices;
    }
    ASSERT_EQ(check.state(), editor::CheckRunner::State::Found) << check.failure();
    EXPECT_GT(slices, 2) << "not in slices";
    const game::SolverResult route = check.result();
    ASSERT_TRUE(route.found);

    // The route through the keyboard and the event pump, with a pause of 30 passes in the
    // middle (P, then P again on the pass that plays on): the walking keys stay held and a
    // key is tapped meanwhile, the scene stands still and the proof leaves those passes out.
    // The jump is let go during the pause, at a pass where the route has it up before.
    std::size_t pauseAt = 70;
    while (pauseAt < route.keys.size() && (route.keys[pauseAt - 1] & game::kKeyJump)) ++pauseAt;
    ASSERT_LT(pauseAt, route.keys.size());
    auto keys = algo::keyboard::scriptedKeys();
    auto& events = algo::EventControl_::instance();
    auto& scenes = algo::SceneControl_::instance();
    editor::TestPlay play;
    play.start(room(), 1);
    ASSERT_EQ(&scenes.current(), &game::SceneGame_::instance());
    std::optional<editor::PlayOutcome> outcome;
    std::size_t pass = 0;
    int paused = 0;
    for (int guard = 0; !outcome && guard < 10000; ++guard) {
        std::ranges::fill(keys, 0);
        const std::uint8_t k = pass < route.keys.size() ? route.keys[pass] : 0;
        keys[SDLK_RIGHT] = (k & game::kKeyRight) != 0;
        keys[SDLK_LEFT] = (k & game::kKeyLeft) != 0;
        keys[SDLK_x] = (k & game::kKeyJump) != 0;
        const bool pausing = pass == pauseAt && paused < 32;
        if (pausing) {
            keys[SDLK_p] = paused == 0 || paused == 31;
            keys[SDLK_z] = paused == 10;
            if (paused > 0 && paused < 31) keys[SDLK_x] = 0;
            ++paused;
        }
        ASSERT_TRUE(events.poll());
        play.beforeUpdate();
        scenes.update();
        outcome = play.afterUpdate(false);
        if (!pausing || paused == 32) ++pass;
    }
    ASSERT_TRUE(outcome);
    ASSERT_EQ(outcome->kind, editor::PlayOutcome::Kind::Cleared);
    EXPECT_EQ(&scenes.current(), &below_) << "back to the editor";
    EXPECT_FALSE(play.active());
    EXPECT_EQ(game::SceneGame_::instance().rest(), -60) << "ended at the switch, not after";

    // Its keys are the route's, pass for pass, to the pass that switches scenes.
    std::vector<std::uint8_t> proven;
    for (const auto& step : game::parseScript(outcome->proof, "proof")) {
        std::uint8_t bits = 0;
        for (std::uint32_t k : step.keys)
            bits |= k == SDLK_RIGHT  ? game::kKeyRight
                    : k == SDLK_LEFT ? game::kKeyLeft
                    : k == SDLK_x    ? game::kKeyJump
                                     : 0x80;
        proven.insert(proven.end(), static_cast<std::size_t>(step.passes), bits);
    }
    ASSERT_EQ(static_cast<std::int32_t>(proven.size()), route.switchPass);
    for (std::size_t i = 0; i < proven.size(); ++i)
        ASSERT_EQ(proven[i], i < route.keys.size() ? route.keys[i] : 0) << "pass " << i + 1;

    // Escape before the end: no proof, the editor's scene again.
    play.start(room(), 1);
    std::ranges::fill(keys, 0);
    ASSERT_TRUE(events.poll());
    play.beforeUpdate();
    scenes.update();
    outcome = play.afterUpdate(true);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, editor::PlayOutcome::Kind::Stopped);
    EXPECT_TRUE(outcome->proof.empty());
    EXPECT_EQ(&scenes.current(), &below_);

    // A jump held across a pause would be a fresh press when replayed without the pause.
    using Counts = std::vector<std::array<std::int32_t, 3>>;
    EXPECT_FALSE(editor::TestPlay::proofOf(Counts{{0, 0, 0}, {1, 0, 1}, {2, 0, 2}}).empty());
    EXPECT_TRUE(editor::TestPlay::proofOf(Counts{{0, 0, 0}, {0, 0, 5}, {0, 0, 6}}).empty());
}

TEST_F(Play, TheThirdRabbitLostEndsTheTestPlayAsAGameOver) {
    game::Grid pit = room();
    pit[3][30] = game::kDeadly;  // right of the start: walk into it, three times
    editor::TestPlay play;
    play.start(pit, 1);
    auto keys = algo::keyboard::scriptedKeys();
    std::optional<editor::PlayOutcome> outcome;
    for (int pass = 0; !outcome && pass < 5000; ++pass) {
        std::ranges::fill(keys, 0);
        keys[SDLK_RIGHT] = 1;
        ASSERT_TRUE(algo::EventControl_::instance().poll());
        play.beforeUpdate();
        algo::SceneControl_::instance().update();
        outcome = play.afterUpdate(false);
    }
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, editor::PlayOutcome::Kind::GameOver);
    EXPECT_EQ(&algo::SceneControl_::instance().current(), &below_) << "not the game-over scene";
}

}  // namespace
