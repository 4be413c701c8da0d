#include "game/main.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "algo/file/logger.hpp"
#include "algo/game/scene.hpp"
#include "algo/input/event.hpp"
#include "algo/sound/audio.hpp"
#include "algo/surface/display.hpp"
#include "algo/timer/fps.hpp"
#include "basic/error.hpp"
#include "game/main_bn.hpp"

namespace game {

Options parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (const auto& a : args) {
        if (a == "--fullscreen")
            options.screen = Screen::FullScreen;
        else if (a == "--window")
            options.screen = Screen::Window;
        else
            error = "unknown option: " + a + " (use --fullscreen or --window)";
    }
    return options;
}

bool askFullScreen() {
    // Standard output already goes to stdout.txt, so ask on the terminal itself.
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    const char question[] = "どうする！？\nフルスクリーンで起動しますか？ (y/n) ";
    bool yes = false;
    if (::write(fd, question, sizeof question - 1) > 0) {
        char buf[64];
        ssize_t n = ::read(fd, buf, sizeof buf);
        yes = n > 0 && (buf[0] == 'y' || buf[0] == 'Y');
    }
    ::close(fd);
    return yes;
}

int runGame(const Options& options) {
    bool full =
        options.screen == Screen::FullScreen || (options.screen == Screen::Ask && askFullScreen());
    algo::Display_::instance().setVideoMode(512, 512, 16, full);
    algo::setFPS(60);
    algo::Audio_::instance().open(22050, 0x8010, 2, 1024);  // AUDIO_S16LSB
    auto& scenes = algo::SceneControl_::instance();
    for (;;) {
        if (!algo::EventControl_::instance().poll()) break;
        scenes.update();
        if (algo::waitFrame()) {
            scenes.draw();
            algo::Display_::instance().flip();
        }
    }
    return 0;
}

int entry(const Options& options) {
    algo::log("B/N: " + std::to_string(kBuildNumber));
    try {
        return runGame(options);
    } catch (const std::exception& e) {
        algo::log(basic::describe(e));
        return 1;
    }
}

}  // namespace game
