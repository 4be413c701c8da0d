// Level pack archives of any bytes: opening one as the game does ends in a checked pack or a
// PackError naming the file, never a crash, a hang or an unbounded allocation; every level of
// a pack that opens holds codes 0 to 15 only.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "algo/file/logger.hpp"
#include "algo/file/private/archive.hpp"
#include "algo/file/strongread.hpp"
#include "game/levelpack.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/starhop-packfuzz-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
    algo::logger::enabled = false;  // the engine is not started: nothing to log to
    algo::strongread::moduleStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen("pack.zip", "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    algo::strongread::clearCache();  // the same path holds another archive each time
    try {
        const game::LevelPack pack = game::LevelPack::open("pack.zip");
        if (pack.count() < 1 || pack.count() > game::kMaxPackLevels) __builtin_trap();
        for (std::int32_t n = 1; n <= pack.count(); ++n)
            for (const auto& column : pack.level(n))
                for (std::uint8_t code : column)
                    if (code > 15) __builtin_trap();
        for (std::int32_t n = 1; n <= pack.count(); ++n) {
            const auto proof = pack.proof(n);
            if (proof && proof->size() > game::kMaxProofBytes) __builtin_trap();
        }
    } catch (const game::PackError&) {
        // The expected answer to most inputs.
    }
    return 0;
}
