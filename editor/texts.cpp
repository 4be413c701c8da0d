#include "editor/texts.hpp"

#include <stdexcept>

namespace editor {

const std::vector<std::pair<const char*, std::size_t>>& Texts::blocks() {
    static const std::vector<std::pair<const char*, std::size_t>> kBlocks = {
        {"caption", 1},   {"palette", 1},    {"tiles", 16},       {"cell", 1},
        {"stars", 1},     {"zoom", 1},       {"untitled", 1},     {"rulesOk", 1},
        {"more", 1},      {"rules", 6},      {"hints", 1},        {"help", 12},
        {"saved", 1},     {"savedProof", 1}, {"staleProof", 1},   {"notSaved", 1},
        {"notOpened", 1}, {"opened", 1},     {"newLevel", 1},     {"prefs", 1},
        {"undo", 3},      {"checkRules", 1}, {"fixRules", 1},     {"searching", 1},
        {"found", 1},     {"notFound", 2},   {"checkStopped", 2}, {"playing", 1},
        {"cleared", 3},   {"gameOver", 1},   {"playStopped", 1},  {"askSave", 4},
        {"askPath", 3},   {"grid", 2},
    };
    return kBlocks;
}

void Texts::load(const std::string& path) {
    file_.load(path);
    const auto& all = file_.messages();
    for (const char* language : {"en", "ja"}) {
        for (const auto& [key, count] : blocks()) {
            const std::string name = std::string(language) + "." + key;
            auto it = all.find(name);
            if (it == all.end())
                throw std::runtime_error(path + ": the block " + name + " is missing");
            if (it->second.size() != count)
                throw std::runtime_error(path + ": the block " + name + " has " +
                                         std::to_string(it->second.size()) + " line(s), not " +
                                         std::to_string(count));
        }
    }
}

const std::vector<std::string>& Texts::lines(const std::string& key) const {
    return file_.get(language_ + "." + key);
}

const std::string& Texts::get(const std::string& key, std::size_t line) const {
    return lines(key).at(line);
}

std::string fill(std::string text, const std::string& name, const std::string& value) {
    const std::string mark = "{" + name + "}";
    for (std::size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

std::string Texts::format(const std::string& key,
                          std::initializer_list<std::pair<const char*, std::string>> values,
                          std::size_t line) const {
    std::string text = get(key, line);
    for (const auto& [name, value] : values) text = fill(std::move(text), name, value);
    return text;
}

}  // namespace editor
