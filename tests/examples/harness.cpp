// Runs an example headless from a key script: linked with the example's own code (its main
// renamed to exampleMain), it feeds the keyboard from the script and paces frames on a clock
// that only moves when slept on, as the replay runner does. Every hook runs in the key source,
// which the keyboard calls once at the start of every pass.
//
//   <example>-run [--shots DIR] [--shot N]... [--warp N X Y]... [--copy N SRC DST]...
//                 [--pad N X Y BUTTONS]... [--close] [--first-frame FILE] SCRIPT
//
// Script: one line per step, "<passes> <keys>": hold those keys for that many passes; keys are
// "-" or a comma list of SDL key names ("a", "escape", "left", "space", "[+]"). '#' starts a
// comment. After the last step Escape is held (or, with --close, the window is closed) and the
// example must quit within 10 passes.
//   --shot N            saves DIR/pass-00000N.bmp: the screen as pass N drew it
//   --warp N X Y        moves the mouse pointer at the start of pass N
//   --copy N SRC DST    copies a file at the start of pass N (relative to the working directory)
//   --pad N X Y BUTTONS plugs in a stand-in joystick (two axes, six buttons); from pass N on its
//                       axes read X and Y and its buttons the bits of BUTTONS
//   --first-frame FILE  writes the monotonic clock's reading in ns when the first frame is drawn
// Exit status: the example's own; 2 for a bad command line or script; 3 when a hook fails or
// the example does not quit.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "algo/input/joystick.hpp"
#include "algo/input/keyboard.hpp"
#include "algo/timer/fps.hpp"

int exampleMain();

namespace {

struct Step {
    long passes = 0;
    std::vector<std::uint32_t> keys;
};

struct Warp {
    int x = 0, y = 0;
};

struct Copy {
    std::string from, to;
};

struct Pad {
    std::int16_t x = 0, y = 0;
    unsigned buttons = 0;
};

struct Settings {
    std::string script;
    std::string shotsDir;
    std::multimap<long, long> shots;  // the pass whose start saves it -> the pass it shows
    std::multimap<long, Warp> warps;
    std::multimap<long, Copy> copies;
    std::multimap<long, Pad> pads;
    bool close = false;
    std::string firstFrame;
};

Settings gSettings;
std::vector<Step> gSteps;
std::size_t gStep = 0;
long gStepLeft = 0;
long gPass = 0;
long gEndPass = 0;  // first pass after the script
std::uint8_t gKeys[algo::kKeyCount];
int gTerminal = 2;  // standard error before the logger takes it

[[noreturn]] void fail(const char* fmt, ...) {
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    std::string line = std::string("example harness: ") + text + "\n";
    if (::write(gTerminal, line.data(), line.size()) < 0) {
        // nothing left to tell it to
    }
    std::_Exit(3);
}

// The stand-in joystick: no joystick exists where the tests run.
Pad gPad;
bool gPadOpen = false;
SDL_Joystick* padHandle() {
    return reinterpret_cast<SDL_Joystick*>(&gPad);
}
const algo::joystick::Device kPad = {
    [] { return 1; },
    [](int) {
        gPadOpen = true;
        return padHandle();
    },
    [](int i) { return i == 0 && gPadOpen ? 1 : 0; },
    [](SDL_Joystick*) { gPadOpen = false; },
    [](int) { return "stand-in pad"; },
    [](SDL_Joystick*) { return 2; },
    [](SDL_Joystick*) { return 0; },
    [](SDL_Joystick*) { return 0; },
    [](SDL_Joystick*) { return 6; },
    [](SDL_Joystick*, int a) { return a == 0   ? gPad.x
                                      : a == 1 ? gPad.y
                                               : std::int16_t{0}; },
    [](SDL_Joystick*, int) { return std::uint8_t{0}; },
    [](SDL_Joystick*, int b) {
        return static_cast<std::uint8_t>(b >= 0 && b < 6 ? (gPad.buttons >> b) & 1 : 0);
    },
    [](SDL_Joystick*, int, int* dx, int* dy) {
        *dx = *dy = 0;
        return 0;
    },
};

std::map<std::string, std::uint32_t> keyNames() {
    std::map<std::string, std::uint32_t> names;
    for (std::uint32_t k = 1; k < algo::kKeyCount; ++k) {
        const char* n = SDL_GetKeyName(static_cast<SDLKey>(k));
        if (n && *n && std::strcmp(n, "unknown key") != 0) names.emplace(n, k);
    }
    return names;
}

std::string trim(const std::string& s) {
    const auto a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const auto b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool loadScript(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    const auto names = keyNames();
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        const std::string text = trim(raw.substr(0, raw.find('#')));
        if (text.empty()) continue;
        const auto space = text.find_first_of(" \t");
        const std::string count = text.substr(0, space);
        const std::string keys = space == std::string::npos ? "" : trim(text.substr(space));
        const std::string where = path + ":" + std::to_string(line) + ": ";
        char* end = nullptr;
        const long n = std::strtol(count.c_str(), &end, 10);
        if (*end != '\0' || n < 1 || n > 10'000'000) {
            error = where + "'" + count + "' is not a pass count of 1 or more";
            return false;
        }
        if (keys.empty()) {
            error = where + "no keys (write - for none)";
            return false;
        }
        Step step;
        step.passes = n;
        if (keys != "-") {
            std::stringstream list(keys);
            for (std::string k; std::getline(list, k, ',');) {
                k = trim(k);
                auto it = names.find(k);
                if (it == names.end()) {
                    error = where + "'" + k + "' is not an SDL key name";
                    return false;
                }
                step.keys.push_back(it->second);
            }
        }
        gSteps.push_back(step);
    }
    return true;
}

void saveShot(long shownPass) {
    char name[32];
    std::snprintf(name, sizeof name, "/pass-%06ld.bmp", shownPass);
    const std::string path = gSettings.shotsDir + name;
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) fail("%s: no screen to save", path.c_str());
    if (SDL_SaveBMP(screen, path.c_str()) != 0)
        fail("%s: cannot save the screen (%s)", path.c_str(), SDL_GetError());
}

void noteFirstFrame() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::ofstream out(gSettings.firstFrame);
    out << static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec << "\n";
    if (!out.flush()) fail("%s: cannot write", gSettings.firstFrame.c_str());
}

// Called by the keyboard once per pass, before any other device is read.
const std::uint8_t* scriptKeys(int* numkeys) {
    ++gPass;
    if (gPass == 2 && !gSettings.firstFrame.empty()) noteFirstFrame();
    for (auto [it, last] = gSettings.shots.equal_range(gPass); it != last; ++it)
        saveShot(it->second);
    for (auto [it, last] = gSettings.warps.equal_range(gPass); it != last; ++it)
        SDL_WarpMouse(static_cast<Uint16>(it->second.x), static_cast<Uint16>(it->second.y));
    for (auto [it, last] = gSettings.pads.equal_range(gPass); it != last; ++it) gPad = it->second;
    for (auto [it, last] = gSettings.copies.equal_range(gPass); it != last; ++it) {
        std::error_code e;
        std::filesystem::copy_file(it->second.from, it->second.to,
                                   std::filesystem::copy_options::overwrite_existing, e);
        if (e)
            fail("cannot copy %s to %s: %s", it->second.from.c_str(), it->second.to.c_str(),
                 e.message().c_str());
    }

    std::memset(gKeys, 0, sizeof gKeys);
    while (gStep < gSteps.size() && gStepLeft == 0)
        if (++gStep < gSteps.size()) gStepLeft = gSteps[gStep].passes;
    if (gStep < gSteps.size()) {
        for (std::uint32_t k : gSteps[gStep].keys) gKeys[k] = 1;
        --gStepLeft;
    } else {
        if (gEndPass == 0) gEndPass = gPass;
        if (gPass - gEndPass >= 10) fail("the example did not quit within 10 passes");
        if (gSettings.close) {
            if (gPass == gEndPass) {
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
            }
        } else {
            gKeys[SDLK_ESCAPE] = 1;
        }
    }
    if (numkeys) *numkeys = static_cast<int>(algo::kKeyCount);
    return gKeys;
}

bool number(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

int usage(const std::string& why) {
    std::fprintf(stderr,
                 "example harness: %s\nusage: RUN [--shots DIR] [--shot N]... [--warp N X Y]... "
                 "[--copy N SRC DST]... [--pad N X Y BUTTONS]... [--close] [--first-frame FILE] "
                 "SCRIPT\n",
                 why.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> shots;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto need = [&](int n) { return i + n < argc; };
        long n = 0, x = 0, y = 0;
        if (a == "--shots" && need(1)) {
            gSettings.shotsDir = argv[++i];
        } else if (a == "--shot" && need(1)) {
            if (!number(argv[++i], n) || n < 1) return usage("--shot needs a pass of 1 or more");
            shots.push_back(n);
        } else if (a == "--warp" && need(3)) {
            if (!number(argv[i + 1], n) || n < 1 || !number(argv[i + 2], x) ||
                !number(argv[i + 3], y) || x < 0 || y < 0 || x > 65535 || y > 65535)
                return usage("--warp needs a pass and a position");
            gSettings.warps.emplace(n, Warp{static_cast<int>(x), static_cast<int>(y)});
            i += 3;
        } else if (a == "--copy" && need(3)) {
            if (!number(argv[i + 1], n) || n < 1) return usage("--copy needs a pass");
            gSettings.copies.emplace(n, Copy{argv[i + 2], argv[i + 3]});
            i += 3;
        } else if (a == "--pad" && need(4)) {
            long buttons = 0;
            if (!number(argv[i + 1], n) || n < 1 || !number(argv[i + 2], x) ||
                !number(argv[i + 3], y) || !number(argv[i + 4], buttons) || x < -32768 ||
                x > 32767 || y < -32768 || y > 32767 || buttons < 0 || buttons > 63)
                return usage("--pad needs a pass, two axis values and a button mask");
            gSettings.pads.emplace(n,
                                   Pad{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                                       static_cast<unsigned>(buttons)});
            i += 4;
        } else if (a == "--close") {
            gSettings.close = true;
        } else if (a == "--first-frame" && need(1)) {
            gSettings.firstFrame = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown or incomplete option " + a);
        } else if (gSettings.script.empty()) {
            gSettings.script = a;
        } else {
            return usage("more than one script");
        }
    }
    if (gSettings.script.empty()) return usage("no script given");
    if (!shots.empty() && gSettings.shotsDir.empty()) return usage("--shot needs --shots DIR");
    for (long s : shots) gSettings.shots.emplace(s + 1, s);
    std::string error;
    if (!loadScript(gSettings.script, error)) {
        std::fprintf(stderr, "example harness: %s\n", error.c_str());
        return 2;
    }
    gStep = 0;
    gStepLeft = gSteps.empty() ? 0 : gSteps[0].passes;

    gTerminal = dup(2);
    algo::fps::setClock(algo::fps::steppedClock());
    algo::keyboard::setKeySource(&scriptKeys);
    if (!gSettings.pads.empty()) algo::joystick::setDevice(&kPad);
    return exampleMain();
}
