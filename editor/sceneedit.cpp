#include "editor/sceneedit.hpp"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "algo/file/logger.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/input/mouse.hpp"
#include "algo/surface/display.hpp"
#include "editor/checkrunner.hpp"
#include "editor/files.hpp"
#include "editor/input.hpp"
#include "editor/prefs.hpp"
#include "editor/testplay.hpp"
#include "editor/texts.hpp"
#include "game/levelfile.hpp"

namespace editor {

namespace {

constexpr int kStatusTop = LevelView::kSize;
constexpr int kLine = 22;

std::string baseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string utf8(std::uint16_t c) {
    std::string s;
    if (c < 0x80) {
        s.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        s.push_back(static_cast<char>(0xC0 | (c >> 6)));
        s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xE0 | (c >> 12)));
        s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return s;
}

void dropLastCharacter(std::string& s) {
    while (!s.empty()) {
        const auto c = static_cast<unsigned char>(s.back());
        s.pop_back();
        if ((c & 0xC0) != 0x80) break;
    }
}

// The level number a file named mapN.bmp has in a pack, for its music; 1 otherwise.
int levelNumber(const std::string& path) {
    const std::string name = std::filesystem::path(path).stem().string();
    if (name.size() < 4 || name.compare(0, 3, "map") != 0) return 1;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 100000) return 1;
        n = n * 10 + (name[i] - '0');
    }
    return std::max(n, 1);
}

// The rectangle of the question's button i (0 yes, 1 no, 2 cancel).
SDL_Rect askButton(int i) {
    return SDL_Rect{static_cast<Sint16>(180 + 150 * i), 300, 140, 34};
}

bool inside(const SDL_Rect& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

}  // namespace

SceneEdit::SceneEdit(Parts parts) : p_(std::move(parts)), text_(p_.text), heading_(p_.heading) {
    view_.setZoom(p_.prefs.values.zoom, LevelView::kSize / 2, LevelView::kSize / 2);
    if (!p_.doc.path().empty() && std::filesystem::exists(sibling(p_.doc.path(), ".proof")))
        diskProof_ = p_.doc.grid();
}

void SceneEdit::say(const std::string& text, Tone tone) {
    message_ = text;
    tone_ = tone;
    algo::log("edit: " + text);
}

std::string SceneEdit::fileLabel() const {
    const std::string name =
        p_.doc.path().empty() ? p_.texts.get("untitled") : baseName(p_.doc.path());
    return p_.doc.modified() ? name + " *" : name;
}

void SceneEdit::caption() {
    static std::string shown;
    const std::string text = p_.texts.get("caption") + " - " + fileLabel();
    if (text == shown) return;
    shown = text;
    algo::Display_::instance().setCaption(text);
}

std::string SceneEdit::problemText(const game::LevelProblem& p) const {
    return p_.texts.format("rules", {{"c", std::to_string(p.column)}, {"r", std::to_string(p.row)}},
                           static_cast<std::size_t>(p.rule));
}

void SceneEdit::refreshProblems() {
    if (problemsRevision_ == p_.doc.revision()) return;
    problems_ = game::checkLevel(p_.doc.grid());
    problemsRevision_ = p_.doc.revision();
}

bool SceneEdit::checkCurrent() const {
    return checkRevision_ == p_.doc.revision();
}

// ---------------------------------------------------------------- update

void SceneEdit::update() {
    auto& input = InputEvents::instance();
    auto& mouse = algo::Mouse_::instance();
    for (const KeyPress& k : input.keys) {
        if (quit_ || p_.play.active()) break;
        keyPress(k);
    }
    for (const Click& c : input.clicks) {
        if (quit_ || p_.play.active()) break;
        click(c);
    }
    input.clear();
    if (quit_ || p_.play.active()) return;

    // A drag goes on with the pointer; a release SDL never told (outside the window) ends it.
    pointer_ = view_.cellAt(mouse.x(), mouse.y());
    hover_ = palette_.codeAt(mouse.x(), mouse.y());
    if (drag_) {
        if (!mouse.isPress(static_cast<std::uint32_t>(drag_->button))) {
            if (!drag_->rectangle) p_.doc.endStroke();
            drag_.reset();
        } else if (pointer_) {
            if (drag_->rectangle)
                drag_->last = *pointer_;
            else
                paintTo(*pointer_);
        }
    }
    if (mode_ == Mode::Edit && view_.zoom() > 1) {
        auto& keys = algo::KeyBoard_::instance();
        const int step = 8;
        view_.pan((keys.isPress(SDLK_RIGHT) ? step : 0) - (keys.isPress(SDLK_LEFT) ? step : 0),
                  (keys.isPress(SDLK_DOWN) ? step : 0) - (keys.isPress(SDLK_UP) ? step : 0));
    }

    refreshProblems();
    auto& check = p_.check;
    if (check.running()) {
        if (!checkCurrent()) {
            check.stop();
            say(p_.texts.get("checkStopped", 1), Tone::Bad);
        } else {
            check.step(std::chrono::microseconds(kCheckBudget));
            switch (check.state()) {
                case CheckRunner::State::Found:
                    say(p_.texts.format("found",
                                        {{"n", std::to_string(check.result().lastStarPass)}}),
                        Tone::Good);
                    break;
                case CheckRunner::State::NotFound: {
                    char seconds[32];
                    std::snprintf(seconds, sizeof seconds, "%.0f", CheckRunner::kTimeLimit);
                    say(p_.texts.format("notFound", {{"s", seconds}}) + "  " +
                            p_.texts.get("notFound", 1),
                        Tone::Bad);
                    break;
                }
                case CheckRunner::State::RulesBroken:
                    say(p_.texts.format("fixRules",
                                        {{"problem", problemText(check.problems()[0])}}),
                        Tone::Bad);
                    break;
                case CheckRunner::State::Failed:
                    say(check.failure(), Tone::Bad);
                    break;
                default:
                    break;
            }
        }
    }
    caption();
}

void SceneEdit::keyPress(const KeyPress& k) {
    switch (mode_) {
        case Mode::Edit:
            editKey(k);
            break;
        case Mode::Help:
            if (k.key == SDLK_ESCAPE || k.key == SDLK_h || k.key == SDLK_F1 || k.key == SDLK_RETURN)
                mode_ = Mode::Edit;
            break;
        case Mode::Ask:
            askKey(k);
            break;
        case Mode::Path:
            pathKey(k);
            break;
    }
}

void SceneEdit::editKey(const KeyPress& k) {
    auto& doc = p_.doc;
    auto& prefs = p_.prefs;
    auto& mouse = algo::Mouse_::instance();
    const bool overView = view_.contains(mouse.x(), mouse.y());
    const int zx = overView ? mouse.x() : LevelView::kSize / 2;
    const int zy = overView ? mouse.y() : LevelView::kSize / 2;
    if (k.ctrl()) {
        switch (k.key) {
            case SDLK_z:
                if (k.shift()) {
                    if (doc.redo())
                        say(p_.texts.format("undo", {{"n", std::to_string(doc.redoable())}}, 1));
                    else
                        say(p_.texts.get("undo", 2));
                } else if (doc.undo()) {
                    say(p_.texts.format("undo", {{"n", std::to_string(doc.undoable())}}, 0));
                } else {
                    say(p_.texts.get("undo", 2));
                }
                break;
            case SDLK_y:
                if (doc.redo())
                    say(p_.texts.format("undo", {{"n", std::to_string(doc.redoable())}}, 1));
                else
                    say(p_.texts.get("undo", 2));
                break;
            case SDLK_s:
                if (k.shift() || doc.path().empty()) {
                    pathFor_ = PathFor::SaveAs;
                    typed_ = doc.path().empty() ? p_.base + "/" : doc.path();
                    mode_ = Mode::Path;
                } else {
                    save(doc.path());
                }
                break;
            case SDLK_o:
                pathFor_ = PathFor::Open;
                typed_ = (doc.path().empty()
                              ? p_.base
                              : std::filesystem::path(doc.path()).parent_path().string()) +
                         "/";
                mode_ = Mode::Path;
                break;
            case SDLK_n:
                request(After::New);
                break;
            case SDLK_q:
                askQuit();
                break;
            default:
                break;
        }
        return;
    }
    switch (k.key) {
        case SDLK_ESCAPE:
            if (p_.check.running()) {
                p_.check.stop();
                say(p_.texts.get("checkStopped", 0));
            } else {
                askQuit();
            }
            break;
        case SDLK_h:
        case SDLK_F1:
            mode_ = Mode::Help;
            break;
        case SDLK_TAB:
            selected_ = (selected_ + (k.shift() ? 15 : 1)) % 16;
            break;
        case SDLK_i:
            if (pointer_) selected_ = doc.at(pointer_->column, pointer_->row);
            break;
        case SDLK_g:
            prefs.values.grid = !prefs.values.grid;
            say(p_.texts.get("grid", prefs.values.grid ? 0 : 1));
            try {
                prefs.save();
            } catch (const std::exception& e) {
                say(p_.texts.format("prefs", {{"why", e.what()}}), Tone::Bad);
            }
            break;
        case SDLK_PLUS:
        case SDLK_EQUALS:
        case SDLK_KP_PLUS:
            setZoom(view_.zoom() + 1, zx, zy);
            break;
        case SDLK_MINUS:
        case SDLK_KP_MINUS:
            setZoom(view_.zoom() - 1, zx, zy);
            break;
        case SDLK_l:
            toggleLanguage();
            break;
        case SDLK_t:
            startTestPlay();
            break;
        case SDLK_c:
            startCheck();
            break;
        default:
            break;
    }
}

void SceneEdit::askKey(const KeyPress& k) {
    if (k.key == SDLK_y)
        answer('y');
    else if (k.key == SDLK_n)
        answer('n');
    else if (k.key == SDLK_ESCAPE)
        answer('c');
}

void SceneEdit::pathKey(const KeyPress& k) {
    if (k.key == SDLK_ESCAPE) {
        mode_ = Mode::Edit;
        pending_ = After::Nothing;
    } else if (k.key == SDLK_RETURN || k.key == SDLK_KP_ENTER) {
        const std::string path = resolvePath(typed_, p_.base);
        if (pathFor_ == PathFor::Open) {
            mode_ = Mode::Edit;
            pendingPath_ = path;
            request(After::Open);
        } else if (!isLevelPath(path)) {
            say(p_.texts.format("notSaved",
                                {{"why", path + ": a level file ends in .bmp or .txt"}}),
                Tone::Bad);
        } else {
            mode_ = Mode::Edit;
            const After after = pending_;
            pending_ = After::Nothing;
            if (save(path)) follow(after);
        }
    } else if (k.key == SDLK_BACKSPACE) {
        dropLastCharacter(typed_);
    } else if (k.unicode >= 0x20 && k.unicode != 0x7F && typed_.size() < 1024) {
        typed_ += utf8(k.unicode);
    }
}

void SceneEdit::click(const Click& c) {
    if (mode_ == Mode::Help) {
        if (c.down) mode_ = Mode::Edit;
        return;
    }
    if (mode_ == Mode::Ask) {
        if (!c.down || c.button != SDL_BUTTON_LEFT) return;
        for (int i = 0; i < 3; ++i)
            if (inside(askButton(i), c.x, c.y)) answer("ync"[i]);
        return;
    }
    if (mode_ != Mode::Edit) return;
    auto& doc = p_.doc;
    const std::optional<Cell> cell = view_.cellAt(c.x, c.y);
    if (!c.down) {
        if (!drag_ || drag_->button != c.button) return;
        if (drag_->rectangle) {
            doc.fill(drag_->from, cell.value_or(drag_->last), drag_->code);
        } else {
            if (cell) paintTo(*cell);
            doc.endStroke();
        }
        drag_.reset();
        return;
    }
    if (c.button == SDL_BUTTON_WHEELUP || c.button == SDL_BUTTON_WHEELDOWN) {
        if (view_.contains(c.x, c.y))
            setZoom(view_.zoom() + (c.button == SDL_BUTTON_WHEELUP ? 1 : -1), c.x, c.y);
        return;
    }
    if (c.button == SDL_BUTTON_LEFT) {
        const int code = palette_.codeAt(c.x, c.y);
        if (code >= 0) {
            selected_ = code;
            return;
        }
    }
    if (!cell || drag_) return;
    if (c.button == SDL_BUTTON_MIDDLE) {
        selected_ = doc.at(cell->column, cell->row);
        return;
    }
    if (c.button != SDL_BUTTON_LEFT && c.button != SDL_BUTTON_RIGHT) return;
    Drag d;
    d.button = c.button;
    d.code = static_cast<std::uint8_t>(c.button == SDL_BUTTON_LEFT ? selected_ : game::kEmpty);
    d.from = d.last = *cell;
    d.rectangle = c.shift;
    drag_ = d;
    if (!d.rectangle) {
        doc.beginStroke();
        doc.paint(cell->column, cell->row, d.code);
    }
}

void SceneEdit::paintTo(Cell cell) {
    // Every cell on the way, so that a quick stroke leaves no gaps.
    Cell at = drag_->last;
    const int dc = std::abs(cell.column - at.column), dr = -std::abs(cell.row - at.row);
    const int sc = at.column < cell.column ? 1 : -1, sr = at.row < cell.row ? 1 : -1;
    int err = dc + dr;
    for (;;) {
        p_.doc.paint(at.column, at.row, drag_->code);
        if (at == cell) break;
        const int e2 = 2 * err;
        if (e2 >= dr) {
            err += dr;
            at.column += sc;
        }
        if (e2 <= dc) {
            err += dc;
            at.row += sr;
        }
    }
    drag_->last = cell;
}

void SceneEdit::setZoom(int zoom, int x, int y) {
    view_.setZoom(zoom, x, y);
    if (p_.prefs.values.zoom == view_.zoom()) return;
    p_.prefs.values.zoom = view_.zoom();
    try {
        p_.prefs.save();
    } catch (const std::exception& e) {
        say(p_.texts.format("prefs", {{"why", e.what()}}), Tone::Bad);
    }
}

void SceneEdit::toggleLanguage() {
    auto& prefs = p_.prefs;
    prefs.values.language = prefs.values.language == "en" ? "ja" : "en";
    p_.texts.setLanguage(prefs.values.language);
    try {
        prefs.save();
    } catch (const std::exception& e) {
        say(p_.texts.format("prefs", {{"why", e.what()}}), Tone::Bad);
    }
}

// ---------------------------------------------------------------- actions

bool SceneEdit::askQuit() {
    if (p_.doc.modified()) {
        request(After::Quit);
        return false;
    }
    quit_ = true;
    return true;
}

void SceneEdit::request(After action) {
    if (p_.doc.modified()) {
        pending_ = action;
        mode_ = Mode::Ask;
    } else {
        follow(action);
    }
}

void SceneEdit::follow(After action) {
    pending_ = After::Nothing;
    switch (action) {
        case After::Quit:
            quit_ = true;
            break;
        case After::New:
            newLevel();
            break;
        case After::Open:
            openPath(pendingPath_);
            break;
        case After::Nothing:
            break;
    }
}

void SceneEdit::answer(char choice) {
    mode_ = Mode::Edit;
    if (choice == 'c') {
        pending_ = After::Nothing;
        return;
    }
    if (choice == 'y') {
        if (p_.doc.path().empty()) {
            pathFor_ = PathFor::SaveAs;
            typed_ = p_.base + "/";
            mode_ = Mode::Path;  // pending_ waits for the name
            return;
        }
        if (!save(p_.doc.path())) {
            pending_ = After::Nothing;
            return;
        }
    }
    follow(pending_);
}

bool SceneEdit::save(const std::string& path) {
    auto& doc = p_.doc;
    const std::string proof = doc.proof();
    std::vector<std::string> files;
    try {
        files = saveLevel(path, doc.grid(), proof);
    } catch (const std::exception& e) {
        say(p_.texts.format("notSaved", {{"why", e.what()}}), Tone::Bad);
        return false;
    }
    const bool samePlace = sibling(path, "") == sibling(doc.path(), "");
    doc.markSaved(path);
    std::string names;
    for (const std::string& f : files) names += (names.empty() ? "" : ", ") + baseName(f);
    const std::string proofFile = sibling(path, ".proof");
    if (!proof.empty()) {
        diskProof_ = doc.grid();
        say(p_.texts.format("savedProof", {{"files", names}}), Tone::Good);
    } else if (std::filesystem::exists(proofFile) &&
               !(samePlace && diskProof_ && *diskProof_ == doc.grid())) {
        say(p_.texts.format("staleProof", {{"proof", baseName(proofFile)}}), Tone::Bad);
    } else {
        say(p_.texts.format("saved", {{"files", names}}), Tone::Good);
    }
    p_.prefs.values.file = path;
    try {
        p_.prefs.save();
    } catch (const std::exception& e) {
        say(p_.texts.format("prefs", {{"why", e.what()}}), Tone::Bad);
    }
    return true;
}

void SceneEdit::openPath(const std::string& path) {
    try {
        const game::Grid grid = game::readLevelFile(path);
        p_.check.stop();
        p_.doc.reset(grid, path);
        diskProof_.reset();
        if (std::filesystem::exists(sibling(path, ".proof"))) diskProof_ = grid;
        say(p_.texts.format("opened", {{"file", baseName(path)}}), Tone::Good);
    } catch (const std::exception& e) {
        say(p_.texts.format("notOpened", {{"why", e.what()}}), Tone::Bad);
        return;
    }
    p_.prefs.values.file = path;
    try {
        p_.prefs.save();
    } catch (const std::exception& e) {
        say(p_.texts.format("prefs", {{"why", e.what()}}), Tone::Bad);
    }
}

void SceneEdit::newLevel() {
    p_.check.stop();
    p_.doc.reset(Document::blankGrid(), "");
    diskProof_.reset();
    say(p_.texts.get("newLevel"));
}

void SceneEdit::startTestPlay() {
    if (p_.check.running()) p_.check.stop();
    drag_.reset();
    p_.doc.endStroke();
    p_.play.start(p_.doc.grid(), levelNumber(p_.doc.path()));
    say(p_.texts.get("playing"));
}

void SceneEdit::startCheck() {
    checkRevision_ = p_.doc.revision();
    p_.check.start(p_.doc.grid());
    say(p_.texts.get("checkRules"));
}

void SceneEdit::playOutcome(const PlayOutcome& outcome) {
    using Kind = PlayOutcome::Kind;
    switch (outcome.kind) {
        case Kind::Cleared:
            p_.doc.setProof(outcome.proof, p_.doc.grid());
            say(p_.texts.get("cleared", 0), Tone::Good);
            break;
        case Kind::ClearedLoss:
            say(p_.texts.get("cleared", 1), Tone::Bad);
            break;
        case Kind::ClearedNoProof:
            say(p_.texts.get("cleared", 2), Tone::Bad);
            break;
        case Kind::GameOver:
            say(p_.texts.get("gameOver"), Tone::Bad);
            break;
        case Kind::Stopped:
            say(p_.texts.get("playStopped"));
            break;
    }
}

// ---------------------------------------------------------------- draw

void SceneEdit::draw() {
    auto& doc = p_.doc;
    auto& check = p_.check;
    view_.draw(doc.grid(), doc.revision());
    view_.begin();
    if (p_.prefs.values.grid) view_.drawGridLines();
    for (const auto& problem : problems_)
        if (problem.column >= 0)
            view_.outline({problem.column, problem.row}, {problem.column, problem.row}, 220, 30, 30,
                          2);
    if (checkCurrent()) {
        if (check.state() == CheckRunner::State::Found) view_.drawTrail(check.result().trail);
        if (check.state() == CheckRunner::State::NotFound)
            for (const auto& [column, row] : check.result().missed)
                view_.ring({column, row}, 230, 20, 20);
    }
    if (drag_ && drag_->rectangle) {
        view_.shade(drag_->from, drag_->last, 40, 120, 255, 70);
        view_.outline(drag_->from, drag_->last, 20, 80, 220, 1);
    } else if (pointer_ && mode_ == Mode::Edit) {
        view_.outline(*pointer_, *pointer_, 0, 0, 0, 1);
    }
    view_.end();
    drawAround();
    drawOverlay();
}

void SceneEdit::drawAround() {
    auto& screen = algo::Display_::instance();
    palette_.draw(screen, text_, heading_, p_.texts, selected_, p_.play.active() ? -1 : hover_);
    drawStatus();
}

void SceneEdit::drawStatus() {
    auto& screen = algo::Display_::instance();
    auto& doc = p_.doc;
    auto& t = p_.texts;
    screen.drawRect(0, kStatusTop, kWidth - 1, kHeight - 1, 34, 38, 48, 255, true);
    int y = kStatusTop + 5;

    // The level, and where the pointer is.
    std::string right;
    if (pointer_) {
        right = t.format("cell", {{"c", std::to_string(pointer_->column)},
                                  {"r", std::to_string(pointer_->row)}}) +
                "  " + t.get("tiles", doc.at(pointer_->column, pointer_->row)) + "     ";
    }
    right += t.format("stars", {{"n", std::to_string(doc.stars())}}) + "     " +
             t.format("zoom", {{"n", std::to_string(view_.zoom())}});
    const int rightWidth = text_.width(right);
    text_.draw(right, screen, kWidth - 10 - rightWidth, y, 200, 210, 225);
    text_.draw(text_.fit(fileLabel(), kWidth - 40 - rightWidth), screen, 10, y, 255, 255, 255);
    y += kLine;

    // The rules, live.
    if (problems_.empty()) {
        text_.draw("OK  " + t.get("rulesOk"), screen, 10, y, 120, 220, 120);
    } else {
        std::string line = problemText(problems_[0]);
        if (problems_.size() > 1)
            line += " " + t.format("more", {{"n", std::to_string(problems_.size() - 1)}});
        text_.draw(text_.fit("!  " + line, kWidth - 20), screen, 10, y, 255, 110, 100);
    }
    y += kLine;

    // What just happened, or how the check goes.
    std::string message = message_;
    Tone tone = tone_;
    if (p_.play.active()) {
        message = t.get("playing");
        tone = Tone::Info;
    } else if (p_.check.state() == CheckRunner::State::Searching) {
        const auto progress = p_.check.progress();
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", progress.seconds);
        message = t.format("searching", {{"s", seconds},
                                         {"got", std::to_string(progress.bestStars)},
                                         {"n", std::to_string(progress.stars)}});
        tone = Tone::Info;
    }
    const std::uint8_t r = tone == Tone::Bad ? 255 : tone == Tone::Good ? 130 : 235;
    const std::uint8_t g = tone == Tone::Bad ? 150 : tone == Tone::Good ? 230 : 225;
    const std::uint8_t b = tone == Tone::Bad ? 120 : tone == Tone::Good ? 255 : 170;
    text_.draw(text_.fit(message, kWidth - 20), screen, 10, y, r, g, b);
    y += kLine + 2;

    text_.draw(t.get("hints"), screen, 10, y, 140, 150, 165);
}

void SceneEdit::drawBox(int x0, int y0, int x1, int y1) {
    auto& screen = algo::Display_::instance();
    screen.drawRect(static_cast<std::int16_t>(x0), static_cast<std::int16_t>(y0),
                    static_cast<std::int16_t>(x1), static_cast<std::int16_t>(y1), 28, 32, 44, 250,
                    true);
    screen.drawRect(static_cast<std::int16_t>(x0), static_cast<std::int16_t>(y0),
                    static_cast<std::int16_t>(x1), static_cast<std::int16_t>(y1), 255, 214, 90, 255,
                    false);
}

void SceneEdit::drawOverlay() {
    auto& screen = algo::Display_::instance();
    auto& t = p_.texts;
    if (mode_ == Mode::Help) {
        drawBox(30, 30, kWidth - 31, 490);
        const auto& lines = t.lines("help");
        heading_.draw(lines[0], screen, 52, 44, 255, 214, 90);
        for (std::size_t i = 1; i < lines.size(); ++i)
            text_.draw(lines[i], screen, 56, 72 + 32 * static_cast<int>(i), 235, 235, 240);
    } else if (mode_ == Mode::Ask) {
        drawBox(150, 210, 650, 360);
        const std::string name =
            p_.doc.path().empty() ? t.get("untitled") : baseName(p_.doc.path());
        text_.draw(text_.fit(t.format("askSave", {{"file", name}}), 460), screen, 170, 240, 255,
                   255, 255);
        for (int i = 0; i < 3; ++i) {
            const SDL_Rect r = askButton(i);
            screen.drawRect(r.x, r.y, static_cast<std::int16_t>(r.x + r.w - 1),
                            static_cast<std::int16_t>(r.y + r.h - 1), 60, 70, 95, 255, true);
            screen.drawRect(r.x, r.y, static_cast<std::int16_t>(r.x + r.w - 1),
                            static_cast<std::int16_t>(r.y + r.h - 1), 160, 170, 200, 255, false);
            const std::string& label = t.get("askSave", static_cast<std::size_t>(i) + 1);
            text_.draw(label, screen, r.x + (r.w - text_.width(label)) / 2, r.y + 9, 255, 255, 255);
        }
    } else if (mode_ == Mode::Path) {
        drawBox(60, 220, kWidth - 61, 350);
        text_.draw(t.get("askPath", pathFor_ == PathFor::Open ? 0 : 1), screen, 80, 238, 255, 255,
                   255);
        screen.drawRect(78, 266, kWidth - 79, 296, 250, 250, 250, 255, true);
        // The end of a long path is the part being typed.
        std::string shown = typed_;
        while (text_.width(shown + "_") > kWidth - 180 && !shown.empty()) shown.erase(0, 1);
        while (!shown.empty() && (static_cast<unsigned char>(shown[0]) & 0xC0) == 0x80)
            shown.erase(0, 1);
        text_.draw(shown + "_", screen, 86, 274, 20, 20, 30);
        text_.draw(t.get("askPath", 2), screen, 80, 316, 170, 180, 200);
    }
}

}  // namespace editor
