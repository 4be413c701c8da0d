// Message text of any shape: every block is named, holds lines, and every stored text is a
// non-empty trimmed single line.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "algo/file/initfile.hpp"
#include "algo/file/msgfile.hpp"

namespace {
bool clean(const std::string& s) {
    return !s.empty() && algo::trimBlank(s).size() == s.size() &&
           s.find_first_of("\r\n") == std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    algo::MsgFile m;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    m.parse(in);
    for (const auto& [name, lines] : m.messages()) {
        if (!clean(name) || lines.empty()) __builtin_trap();
        for (const std::string& line : lines)
            if (!clean(line)) __builtin_trap();
        if (&m.get(name) != &lines) __builtin_trap();
    }
    return 0;
}
