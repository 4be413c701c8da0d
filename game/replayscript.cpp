#include "game/replayscript.hpp"

#include <cctype>
#include <fstream>
#include <sstream>

namespace game {

const ScriptKey kScriptKeys[11] = {
    {"up", 273}, {"right", 275}, {"down", 274}, {"left", 276}, {"z", 122},     {"x", 120},
    {"c", 99},   {"v", 118},     {"p", 112},    {"m", 109},    {"escape", 27},
};

namespace {

[[noreturn]] void fail(const std::string& name, int line, const std::string& problem) {
    throw ScriptError(name + ":" + std::to_string(line) + ": " + problem);
}

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::uint32_t keyCode(const std::string& word, const std::string& name, int line) {
    for (const auto& k : kScriptKeys)
        if (word == k.name) return k.code;
    fail(name, line,
         "unknown key '" + word +
             "' (keys are up, right, down, left, z, x, c, v, p, m, escape, or - for none)");
}

}  // namespace

std::vector<ReplayStep> parseScript(const std::string& text, const std::string& name) {
    std::vector<ReplayStep> steps;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (auto hash = raw.find('#'); hash != std::string::npos) raw.erase(hash);
        std::string body = trim(raw);
        if (body.empty()) continue;

        std::size_t i = 0;
        while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i;
        if (i == 0) fail(name, line, "expected a number of passes, found '" + body + "'");
        if (i > 9)
            fail(name, line, "too many passes (at most " + std::to_string(kMaxStepPasses) + ")");
        ReplayStep step;
        step.line = line;
        step.passes = std::stoll(body.substr(0, i));
        if (step.passes < 1) fail(name, line, "the number of passes must be at least 1");
        if (step.passes > kMaxStepPasses)
            fail(name, line, "too many passes (at most " + std::to_string(kMaxStepPasses) + ")");
        if (i == body.size() || !std::isspace(static_cast<unsigned char>(body[i])))
            fail(name, line, "expected a blank and the keys after the number of passes");
        std::string keys = trim(body.substr(i));
        if (keys.find_first_of(" \t") != std::string::npos)
            fail(name, line, "keys are one comma list without blanks, found '" + keys + "'");
        if (keys != "-") {
            std::size_t start = 0;
            for (;;) {
                std::size_t comma = keys.find(',', start);
                std::string word = keys.substr(
                    start, comma == std::string::npos ? std::string::npos : comma - start);
                if (word.empty()) fail(name, line, "empty key name in '" + keys + "'");
                step.keys.push_back(keyCode(word, name, line));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<ReplayStep> loadScript(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScriptError(path + ": cannot read the script");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ScriptError(path + ": cannot read the script");
    return parseScript(text.str(), path);
}

const ReplayStep* ScriptCursor::next() {
    while (step_ < steps_.size() && used_ >= steps_[step_].passes) {
        ++step_;
        used_ = 0;
    }
    if (step_ >= steps_.size()) return nullptr;
    ++used_;
    return &steps_[step_];
}

}  // namespace game
