// starhop-edit: the level editor. Engine start, the game's own start, the editor.
#include <cstdio>
#include <string>
#include <vector>

#include "algo/system/engine.hpp"
#include "editor/editor.hpp"
#include "game/main.hpp"
#include "game/options.hpp"

int main(int argc, char** argv) {
    std::string error;
    const editor::EditorOptions options =
        editor::parseEditorOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!error.empty()) {
        std::fprintf(stderr, "starhop-edit: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(editor::editorHelp().c_str(), stdout);
        return 0;
    }
    game::Options window;
    window.screen = game::Screen::Window;
    game::presetSdl(window);
    return algo::runProgram([&] {
        game::MainModule module;  // the game's scenes, sheets and actor pools: play and its tiles
        return editor::entry(options);
    });
}
