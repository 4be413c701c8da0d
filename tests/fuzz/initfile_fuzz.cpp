// Settings text of any shape: what is read, written and read again is the same map.
#include <cstddef>
#include <cstdint>
#include <sstream>
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
    return 0;
}
