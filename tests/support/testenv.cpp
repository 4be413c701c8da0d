#include "tests/support/testenv.hpp"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testenv {

extern std::string gWorkDir;
extern FILE* gReport;

const std::string& workDir() {
    return gWorkDir;
}
std::string sourceDir() {
    return STARHOP_SOURCE_DIR;
}
std::string binaryDir() {
    return STARHOP_BINARY_DIR;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << bytes;
}

std::string logText() {
    std::fflush(stdout);
    return readFile(gWorkDir + "/stdout.txt");
}

void report(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(gReport, fmt, ap);
    va_end(ap);
    std::fflush(gReport);
}

}  // namespace testenv
