#pragma once
// Replay scripts: one step per line, "<passes> <keys>", keys held for that many passes.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace game {

struct ReplayStep {
    std::int64_t passes = 0;
    std::vector<std::uint32_t> keys;  // SDL key codes
    int line = 0;
};

class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The keys a script may name, in the order the error message lists them.
struct ScriptKey {
    const char* name;
    std::uint32_t code;
};
extern const ScriptKey kScriptKeys[11];

// Most passes one step may ask for; keeps a typo from meaning hours of play.
inline constexpr std::int64_t kMaxStepPasses = 10'000'000;

// Parses script text; errors are "<name>:<line>: <problem>".
std::vector<ReplayStep> parseScript(const std::string& text, const std::string& name);
// Reads and parses a script file; a missing or unreadable file is a ScriptError too.
std::vector<ReplayStep> loadScript(const std::string& path);

// Walks the steps pass by pass.
class ScriptCursor {
  public:
    explicit ScriptCursor(const std::vector<ReplayStep>& steps) : steps_(steps) {}
    // The step for the next pass, or nullptr once the script is over.
    const ReplayStep* next();

  private:
    const std::vector<ReplayStep>& steps_;
    std::size_t step_ = 0;
    std::int64_t used_ = 0;
};

}  // namespace game
