// Replay scripts of any text: parsed into bounded steps or refused with a ScriptError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/replayscript.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        for (const game::ReplayStep& step : game::parseScript(text, "fuzz.txt")) {
            if (step.passes < 0 || step.passes > game::kMaxStepPasses || step.line < 1)
                __builtin_trap();
        }
    } catch (const game::ScriptError&) {
    }
    return 0;
}
