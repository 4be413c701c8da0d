// Archive images of any shape: parsing and expanding every member must end in bytes or an
// SReadException, never a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>

#include "algo/file/logger.hpp"
#include "algo/file/private/archive.hpp"
#include "algo/file/strongread.hpp"

namespace sr = algo::strongread;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    algo::logger::enabled = false;
    sr::moduleStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = "fuzz.zip";
    sr::clearCache();
    try {
        sr::loadArchiveImage(path, algo::Bytes(data, data + size), "member");
    } catch (const algo::SReadException&) {
        if (sr::isCached(path)) __builtin_trap();  // a failed parse must cache nothing
        return 0;
    }
    for (const std::string& name : sr::memberNames(path)) {
        try {
            algo::Bytes bytes = sr::extractMember(path, name);
            if (bytes.size() > sr::kMaxMemberSize) __builtin_trap();
        } catch (const algo::SReadException&) {
        }
    }
    sr::clearCache();
    return 0;
}
