#include "algo/file/msgfile.hpp"

#include <cstdio>
#include <string_view>

#include "algo/file/initfile.hpp"
#include "algo/file/logger.hpp"
#include "algo/file/strongread.hpp"
#include "basic/assert.hpp"

namespace algo {

void MsgFile::print() const {
    for (const auto& [name, lines] : messages_) {
        std::string text = "[" + name + "]\n";
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += " [" + std::to_string(i) + "] = " + lines[i] + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

void MsgFile::load(const std::string& path) {
    BASIC_ASSERT(logger::running(), "MsgFile.load(" + path +
                                        ") before algo::runProgram started the engine: load "
                                        "messages inside the program's body");
    std::istringstream in = openStream(path);
    parse(in);
}

void MsgFile::parse(std::istream& in) {
    skipByteOrderMark(in);  // else it would be part of the first block's name
    std::string line;
    std::string block;
    while (readLine(in, line)) {
        std::string_view text = trimBlank(line);
        if (text.empty())
            block.clear();
        else if (block.empty())
            block = text;
        else
            messages_[block].emplace_back(text);
    }
}

const MsgFile::Lines& MsgFile::get(const std::string& name) const {
    auto it = messages_.find(name);
    if (it == messages_.end()) BASIC_INDEX_ERROR("no message block " + name);
    return it->second;
}

}  // namespace algo
