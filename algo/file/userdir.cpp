#include "algo/file/userdir.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "basic/assert.hpp"

namespace algo {
namespace {

namespace fs = std::filesystem;

fs::path home() {
    const char* h = std::getenv("HOME");
    if (h && *h == '/') return h;
    // No usable HOME (a service, a scrubbed environment): the account's own home.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
        return pw->pw_dir;
    throw std::runtime_error("no home directory: HOME is not set to an absolute path");
}

// The base directory: the variable when it holds an absolute path (the XDG base directory rules
// say relative ones are ignored), else the default under the home directory.
fs::path base(const char* variable, const char* fallback) {
    const char* v = std::getenv(variable);
    if (v && *v == '/') return v;
    return home() / fallback;
}

// Makes `dir` and its missing parents, new ones readable by the user alone.
void makeDirectories(const fs::path& dir) {
    fs::path built;
    for (const fs::path& part : dir) {
        built /= part;
        if (::mkdir(built.c_str(), 0700) == 0 || errno == EEXIST) continue;
        throw std::runtime_error(built.string() + ": cannot make the directory (" +
                                 std::strerror(errno) + ")");
    }
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw std::runtime_error(dir.string() + ": is not a directory");
}

fs::path place(const char* variable, const char* fallback, const std::string& program) {
    BASIC_ASSERT(!program.empty() && program != "." && program != ".." &&
                     program.find('/') == std::string::npos &&
                     program.find('\0') == std::string::npos,
                 "a program's directory needs a plain name, not \"" + program + "\"");
    fs::path dir = base(variable, fallback) / program;
    makeDirectories(dir);
    return dir;
}

}  // namespace

fs::path userDataDir(const std::string& program) {
    return place("XDG_DATA_HOME", ".local/share", program);
}

fs::path userConfigDir(const std::string& program) {
    return place("XDG_CONFIG_HOME", ".config", program);
}

}  // namespace algo
