// Settings text of any shape: what is read, written and read again is the same map; a key
// and value that set takes are written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "algo/file/initfile.hpp"
#include "algo/file/logger.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    algo::logger::enabled = false;  // the unsaved files' destructors log
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    algo::InitFile first;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    first.parse(in);
    const std::string written = first.format();
    algo::InitFile second;
    std::istringstream again(written);
    second.parse(again);
    if (second.lines() != first.lines()) __builtin_trap();
    if (second.format() != written) __builtin_trap();

    // The input as a key, up to its first NUL, and a value after it: whatever set takes comes
    // back from the written form.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\0');
    algo::InitFile third;
    try {
        third.set(cut == std::string::npos ? "" : text.substr(cut + 1), text.substr(0, cut));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    std::istringstream back(third.format());
    algo::InitFile fourth;
    fourth.parse(back);
    if (fourth.lines() != third.lines()) __builtin_trap();
    return 0;
}
