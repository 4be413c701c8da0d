#include "editor/editor.hpp"

#include <SDL.h>

#include <filesystem>
#include <stdexcept>

#include "algo/file/logger.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/display.hpp"
#include "algo/surface/font.hpp"
#include "algo/timer/fps.hpp"
#include "basic/error.hpp"
#include "editor/checkrunner.hpp"
#include "editor/document.hpp"
#include "editor/files.hpp"
#include "editor/input.hpp"
#include "editor/prefs.hpp"
#include "editor/sceneedit.hpp"
#include "editor/testplay.hpp"
#include "editor/texts.hpp"
#include "game/levelfile.hpp"
#include "game/main.hpp"
#include "game/main_bn.hpp"
#include "game/options.hpp"

namespace editor {

namespace {

const char kMessages[] = "edit/messages.txt";
const char kFont[] = "edit/pixel.ttf";

// A level named on the command line that cannot be read: one plain line, no class name.
class BadLevel : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

const char kUsage[] = "usage: starhop-edit [--scale N] [--dir DIR] [LEVEL.bmp | LEVEL.txt]\n";

}  // namespace

EditorOptions parseEditorOptions(const std::vector<std::string>& args, std::string& error) {
    EditorOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        }
        if (a == "--scale" || a.rfind("--scale=", 0) == 0) {
            // The game's own reading of --scale, and its words for a bad value.
            std::vector<std::string> scale{a};
            if (a == "--scale" && i + 1 < args.size()) scale.push_back(args[++i]);
            game::Options g = game::parseOptions(scale, error);
            if (!error.empty()) return o;
            o.scale = g.scale;
        } else if (a == "--dir") {
            if (i + 1 == args.size()) {
                error = "--dir takes a directory";
                return o;
            }
            o.dir = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option: " + a + " (see --help)";
            return o;
        } else if (!o.file.empty()) {
            error = "one level at a time: " + o.file + " and " + a;
            return o;
        } else {
            o.file = a;
        }
    }
    return o;
}

std::string editorHelp() {
    return std::string(kUsage) +
           "\n"
           "  LEVEL      the level to edit: the game's 8-bit bitmap or a text grid; a\n"
           "             file that does not exist yet is made there at the first save\n"
           "             (default: the level edited last, or a new one)\n"
           "  --scale N  show the window N times as large, N from 1 to 4 (default: the\n"
           "             largest that fits in 90 % of the desktop)\n"
           "  --dir DIR  take relative paths from DIR (the launcher passes the directory\n"
           "             it was started in)\n"
           "  --help     print this and quit\n"
           "\n"
           "Mouse: left paints, right erases, Shift+drag fills a rectangle, middle picks.\n"
           "Keys: T test play, C check, Ctrl+Z/Ctrl+Y undo/redo, Ctrl+S save, G grid,\n"
           "+/- zoom, L English/Japanese, H help, Escape quits.\n"
           "Preferences: $XDG_CONFIG_HOME/starhop/editor.ini.\n";
}

struct Editor::Parts {
    Texts texts;
    std::unique_ptr<Preferences> prefs;
    Document doc;
    algo::Font text;
    algo::Font heading;
    CheckRunner check;
    TestPlay play;
    std::unique_ptr<SceneEdit> scene;
    std::string base;
};

Editor::Editor(const EditorOptions& options) : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    p.texts.load(kMessages);
    std::string prefsPath, prefsProblem;
    try {
        prefsPath = Preferences::defaultPath();
    } catch (const std::exception& e) {
        prefsProblem = e.what();
    }
    p.prefs = std::make_unique<Preferences>(prefsPath);
    if (prefsProblem.empty()) prefsProblem = p.prefs->problem();
    p.texts.setLanguage(p.prefs->values.language);
    p.base = options.dir.empty() ? std::filesystem::current_path().string()
                                 : resolvePath(options.dir, "");

    std::string opened, notOpened;
    if (!options.file.empty()) {
        const std::string path = resolvePath(options.file, p.base);
        std::error_code ec;
        if (std::filesystem::exists(path, ec) || !isLevelPath(path)) {
            try {
                p.doc.reset(game::readLevelFile(path), path);
            } catch (const std::exception& e) {
                throw BadLevel(e.what());
            }
            opened = path;
        } else {
            p.doc.reset(Document::blankGrid(), path);
        }
    } else if (!p.prefs->values.file.empty()) {
        try {
            p.doc.reset(game::readLevelFile(p.prefs->values.file), p.prefs->values.file);
            opened = p.prefs->values.file;
        } catch (const std::exception& e) {
            notOpened = e.what();
        }
    }
    if (!opened.empty() && opened != p.prefs->values.file) {
        p.prefs->values.file = opened;
        try {
            p.prefs->save();
        } catch (const std::exception& e) {
            if (prefsProblem.empty()) prefsProblem = e.what();
        }
    }

    // The window, as the game's: scaled, 16 bits, 60 passes a second, its sounds.
    game::Options window;
    window.screen = game::Screen::Window;
    window.scale = options.scale;
    game::scaleWindow(window, false, SceneEdit::kWidth, SceneEdit::kHeight);
    auto& display = algo::Display_::instance();
    display.setVideoMode(SceneEdit::kWidth, SceneEdit::kHeight, 16, false);
    algo::setFPS(60);
    algo::Audio_::instance().open(22050, AUDIO_S16LSB, 2, 1024);
    game::loadSounds();
    // Escape stops a check, leaves a test play or a question; it quits only from editing.
    algo::KeyBoard_::instance().removeQuitKey(SDLK_ESCAPE);
    p.text.load(kFont, 16);
    p.heading.load(kFont, 32);

    p.scene = std::make_unique<SceneEdit>(
        SceneEdit::Parts{p.doc, p.texts, *p.prefs, p.check, p.play, p.text, p.heading, p.base});
    if (!notOpened.empty())
        p.scene->say(p.texts.format("notOpened", {{"why", notOpened}}), SceneEdit::Tone::Bad);
    else if (!opened.empty())
        p.scene->say(
            p.texts.format("opened", {{"file", std::filesystem::path(opened).filename().string()}}),
            SceneEdit::Tone::Good);
    else
        p.scene->say(p.texts.get("newLevel"));
    if (!prefsProblem.empty())
        p.scene->say(p.texts.format("prefs", {{"why", prefsProblem}}), SceneEdit::Tone::Bad);
    p.scene->caption();
    algo::SceneControl_::instance().change(*p.scene, {});
    InputEvents::instance().clear();
}

Editor::~Editor() {
    // The scenes go with the parts: the stack must not keep them.
    algo::SceneControl_::instance().clear();
}

CheckRunner& Editor::check() {
    return parts_->check;
}

bool Editor::quitAsked() {
    Parts& p = *parts_;
    if (p.play.active())
        if (auto end = p.play.afterUpdate(true)) p.scene->playOutcome(*end);
    return p.scene->askQuit();
}

bool Editor::pass(bool draw) {
    Parts& p = *parts_;
    auto& scenes = algo::SceneControl_::instance();
    auto& input = InputEvents::instance();
    if (p.play.active()) game::globalKeys();  // M mutes, as in the game
    p.play.beforeUpdate();
    scenes.update();
    if (p.play.active()) {
        bool escape = false;
        for (const KeyPress& k : input.keys) escape = escape || k.key == SDLK_ESCAPE;
        if (auto end = p.play.afterUpdate(escape)) p.scene->playOutcome(*end);
    }
    input.clear();
    if (draw) {
        scenes.draw();
        if (p.play.active()) p.scene->drawAround();
        algo::Display_::instance().flip();
    }
    return !p.scene->quitting();
}

int Editor::run() {
    auto& events = algo::EventControl_::instance();
    algo::fps::dueNow();
    for (;;) {
        if (!events.poll()) {
            if (quitAsked()) break;
            continue;
        }
        if (!pass(algo::waitFrame())) break;
    }
    return 0;
}

int entry(const EditorOptions& options) {
    algo::log("B/N: " + std::to_string(game::kBuildNumber));
    try {
        Editor editor(options);
        return editor.run();
    } catch (const BadLevel& e) {
        const std::string line = std::string("starhop-edit: ") + e.what();
        algo::log(line);
        algo::logger::toTerminal(line);
        return 1;
    } catch (const std::exception& e) {
        const std::string line = basic::describe(e);
        algo::log(line);
        algo::logger::toTerminal(line);
        return 1;
    }
}

}  // namespace editor
