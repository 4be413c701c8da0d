// starhop-levels: the level-pack maker's tool. Checks a pack (the level rules, a route found by
// the solver, the makers' proofs replayed), builds a pack archive from level sources, and
// writes a found route as a replay script. Runs the real game code headless, in-process.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/system/engine.hpp"
#include "basic/error.hpp"
#include "game/headless.hpp"
#include "game/main.hpp"
#include "game/scenegame.hpp"
#include "tools/levels/check.hpp"
#include "tools/levels/packer.hpp"
#include "tools/levels/terminal.hpp"

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage: starhop-levels check [--time-limit S] PATH\n"
    "       starhop-levels pack DIR -o FILE.zip\n"
    "       starhop-levels solve N PATH -o SCRIPT [--time-limit S]\n"
    "PATH is a level pack: a folder or a .zip archive holding map1.bmp, map2.bmp, ...\n";

constexpr double kDefaultTimeLimit = 30;

struct Command {
    std::string name;
    std::vector<std::string> operands;
    std::string out;  // -o
    double timeLimit = kDefaultTimeLimit;
    std::string line;  // as typed, for a script's header
};

int usage(const std::string& why) {
    std::fprintf(stderr, "starhop-levels: %s\n%s", why.c_str(), kUsage);
    return 2;
}

bool data(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir / "data", ec) || fs::is_regular_file(dir / "data.zip", ec);
}

// The game's own pictures and sounds come from data/ or data.zip in the working directory. A
// maker works in the pack's folder: the tool then goes where the game's data is, beside it.
void goToTheGamesData(Command& c) {
    std::error_code ec;
    if (data(fs::current_path(ec))) return;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec || !data(here)) return;  // the engine says what it misses
    for (std::string* p : {&c.out})
        if (!p->empty()) *p = fs::absolute(*p).string();
    for (std::string& p : c.operands) p = fs::absolute(p).string();
    if (::chdir(here.c_str()) != 0)
        std::fprintf(stderr, "starhop-levels: %s: cannot go there (%s)\n", here.c_str(),
                     std::strerror(errno));
}

// The solver's and the proofs' work, on the first pass of the headless game, whose start
// opened the pack.
struct Job : game::PassObserver {
    const Command& command;
    levels::Terminal& terminal;
    int status = 0;

    Job(const Command& c, levels::Terminal& t) : command(c), terminal(t) {}

    bool beforePass() override {
        const game::LevelPack& pack = *game::SceneGame_::instance().pack();
        if (command.name == "check")
            status = levels::checkPack(pack, command.timeLimit, terminal);
        else
            status = levels::solveLevel(pack, std::stoi(command.operands[0]), command.timeLimit,
                                        command.out, command.line, terminal);
        return false;
    }
    void afterPass(bool) override {}
};

int run(Command& c) {
    goToTheGamesData(c);
    // Nothing of it is ever shown or heard; a user's own choice of drivers still stands.
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    levels::Terminal terminal;
    if (c.name == "pack") {
        return algo::runProgram([&] {
            try {
                levels::buildPack(c.operands[0], c.out, terminal);
                return 0;
            } catch (const std::exception& e) {
                // As the game's entry reports its errors: the log and the terminal.
                const std::string line = basic::describe(e);
                algo::log(line);
                algo::logger::toTerminal(line);
                return 1;
            }
        });
    }
    Job job(c, terminal);
    const int status = game::runHeadless(job, 0, c.operands.back());
    return status != 0 ? status : job.status;
}

}  // namespace

int main(int argc, char** argv) {
    Command c;
    c.line = "starhop-levels";
    for (int i = 1; i < argc; ++i) c.line += std::string(" ") + argv[i];
    if (argc < 2) return usage("no command given");
    c.name = argv[1];
    if (c.name == "-h" || c.name == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (c.name != "check" && c.name != "pack" && c.name != "solve")
        return usage("unknown command " + c.name);
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-o") {
            if (i + 1 >= argc || !*argv[i + 1]) return usage("-o needs a file name");
            c.out = argv[++i];
        } else if (a == "--time-limit") {
            char* end = nullptr;
            const double v = i + 1 < argc ? std::strtod(argv[i + 1], &end) : 0;
            if (i + 1 >= argc || *end || !(v >= 1 && v <= 86400))
                return usage("--time-limit needs seconds from 1 to 86400");
            c.timeLimit = v;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage("unknown option " + a);
        } else {
            c.operands.push_back(a);
        }
    }
    const std::size_t want = c.name == "solve" ? 2 : 1;
    if (c.operands.size() != want)
        return usage(c.name + " takes " + (want == 2 ? "a level number and a pack" : "one path") +
                     ", not " + std::to_string(c.operands.size()));
    if (c.name == "check" && !c.out.empty()) return usage("check writes no file: no -o");
    if (c.name != "check" && c.out.empty()) return usage(c.name + " needs -o FILE");
    if (c.name == "pack" && (c.out.size() < 5 || c.out.compare(c.out.size() - 4, 4, ".zip") != 0))
        return usage("pack writes a .zip archive: -o FILE.zip, not " + c.out);
    if (c.name == "pack" && c.timeLimit != kDefaultTimeLimit)
        return usage("pack searches nothing: no --time-limit");
    if (c.name == "solve") {
        const std::string& n = c.operands[0];
        if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(n) < 1)
            return usage("solve takes a level number from 1 to 999, not '" + n + "'");
    }
    return run(c);
}
