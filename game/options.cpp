#include "game/options.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>

namespace game {

namespace {

// One command-line option. A new one is a field in Options and an entry in kOptions: the
// parsing, the usage line and the --help text all come from the table. README.md and
// docs/starhop.6 list the options too.
struct OptionSpec {
    const char* name;   // "--scale"
    const char* alias;  // another spelling ("-h"), or nullptr
    // The value's name in --help ("N"), or nullptr for a switch. A value comes as the next
    // argument or after '=' ("--scale 2", "--scale=2").
    const char* value;
    // What a value must be, for the complaint: "takes <wants>[, not '<value>']".
    const char* wants;
    // What --help says; each '\n' continues under the first line.
    const char* help;
    // Shown with the next entry as one choice in the usage line: [--a | --b].
    bool orNext;
    // Applies the option; false (options with a value only): the value is not one `wants`
    // allows.
    bool (*apply)(Options& options, const std::string& value);
};

// A whole number from 1 to kMaxScale, nothing else.
bool parseScale(Options& options, const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kMaxScale) return false;
    options.scale = text[0] - '0';
    return true;
}

static_assert(kMaxScale == 4, "--scale's entry below says 1 to 4");

const OptionSpec kOptions[] = {
    {"--window", nullptr, nullptr, nullptr, "start in a window without asking", true,
     [](Options& o, const std::string&) {
         o.screen = Screen::Window;
         return true;
     }},
    {"--fullscreen", nullptr, nullptr, nullptr, "start full screen without asking", false,
     [](Options& o, const std::string&) {
         o.screen = Screen::FullScreen;
         return true;
     }},
    {"--scale", nullptr, "N", "a whole number from 1 to 4",
     "show the window N times as large, N from 1 to 4 (default: the\n"
     "largest that fits in 90 % of the desktop)",
     false, parseScale},
    {"--levels", nullptr, "PATH", "a folder or a .zip archive of levels",
     "play the levels of the pack PATH, a folder or a .zip archive\n"
     "holding map1.bmp, map2.bmp, ... (and its own jump.ogg and\n"
     "jump2.ogg, if any), instead of the game's own",
     false,
     [](Options& o, const std::string& path) {
         o.levels = path;
         return !path.empty();
     }},
    {"--help", "-h", nullptr, nullptr, "print this and quit", false,
     [](Options& o, const std::string&) {
         o.help = true;
         return true;
     }},
};

// After the options in --help.
const char kNotes[] =
    "Without --window or --fullscreen the game asks on the terminal.\n"
    "Keys: Left/Right walk, X jumps, Up/Down and Z choose, P pauses, M mutes, Escape quits.\n"
    "Game pads: the left stick walks, A confirms, B jumps, Start pauses.\n";

// "--scale N"
std::string synopsis(const OptionSpec& o) {
    return o.value ? std::string(o.name) + " " + o.value : std::string(o.name);
}

}  // namespace

Options parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 0; i < args.size() && !options.help; ++i) {
        const std::string& a = args[i];
        const OptionSpec* found = nullptr;
        bool joined = false;  // "--scale=2"
        for (const OptionSpec& o : kOptions) {
            const std::string name = o.name;
            if (a == name || (o.alias && a == o.alias)) {
                found = &o;
            } else if (o.value && a.rfind(name + "=", 0) == 0) {
                found = &o;
                joined = true;
            }
            if (found) break;
        }
        if (!found) {
            error = "unknown option: " + a + " (see --help)";
            return options;
        }
        std::string value;
        if (joined) {
            value = a.substr(a.find('=') + 1);
        } else if (found->value) {
            if (i + 1 == args.size()) {
                error = std::string(found->name) + " takes " + found->wants;
                return options;
            }
            value = args[++i];
        }
        if (!found->apply(options, value)) {
            error = std::string(found->name) + " takes " + found->wants + ", not '" + value + "'";
            return options;
        }
    }
    return options;
}

std::string helpText() {
    std::string usage = "usage: starhop";
    std::size_t width = 0;
    bool inChoice = false;
    for (const OptionSpec& o : kOptions) {
        usage += inChoice ? " | " : " [";
        usage += synopsis(o);
        if (!o.orNext) usage += "]";
        inChoice = o.orNext;
        width = std::max(width, synopsis(o).size());
    }
    // Two blanks between the longest option and its text; continued lines under the text.
    width += 2;
    const std::string indent(2 + width, ' ');
    std::string text = usage + "\n\n";
    for (const OptionSpec& o : kOptions) {
        std::string entry = synopsis(o);
        entry.resize(width, ' ');
        text += "  " + entry;
        for (const char* c = o.help; *c; ++c) {
            text += *c;
            if (*c == '\n') text += indent;
        }
        text += "\n";
    }
    return text + "\n" + kNotes;
}

bool askFullScreen() {
    // On the terminal itself: standard output may be a file (the log, or the user's).
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

}  // namespace game
