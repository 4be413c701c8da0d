#include "tools/assetgen/source.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace assetgen {

SourceError::SourceError(const std::string& file, int line, const std::string& problem)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + problem) {}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SourceError(path, 0, std::string("cannot read: ") + std::strerror(errno));
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw SourceError(path, 0, std::string("cannot write: ") + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw SourceError(path, 0, "write failed");
}

std::string directoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool splitWords(const std::string& text, std::vector<std::string>& words) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '"') {
            auto end = text.find('"', i + 1);
            if (end == std::string::npos) return false;
            words.push_back(text.substr(i, end - i + 1));  // keeps the quotes: marks it as text
            i = end + 1;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' &&
               text[i] != ';')
            ++i;
        words.push_back(text.substr(start, i - start));
    }
    return true;
}

Source::Source(const std::string& path) : path_(path) {
    std::string text = readFile(path);
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        Line line;
        line.number = ++number;
        line.raw = text.substr(pos, end - pos);
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
        for (unsigned char c : line.raw)
            if (c < 0x20 && c != '\t') fail(line.number, "control character in the text");
        if (!splitWords(line.raw, line.words)) fail(line.number, "unclosed quote");
        lines_.push_back(std::move(line));
        pos = end + 1;
    }
}

void Source::fail(int line, const std::string& problem) const {
    throw SourceError(path_, line, problem);
}

double Source::real(const Line& line, const std::string& word) const {
    const char* s = word.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s, &end);
    if (word.empty() || *end != '\0' || errno != 0 || !std::isfinite(v))
        fail(line, "'" + word + "' is not a number");
    return v;
}

int Source::integer(const Line& line, const std::string& word) const {
    const char* s = word.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || v < -1000000 || v > 1000000)
        fail(line, "'" + word + "' is not a whole number");
    return static_cast<int>(v);
}

Options::Options(const Source& src, const Line& line, std::size_t first) : src_(src), line_(line) {
    for (std::size_t i = first; i < line.words.size(); ++i) {
        const std::string& w = line.words[i];
        auto eq = w.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == w.size())
            src.fail(line, "expected key=value, found '" + w + "'");
        std::string key = w.substr(0, eq);
        if (values_.count(key)) src.fail(line, "'" + key + "' given twice");
        values_[key] = w.substr(eq + 1);
    }
}

double Options::real(const std::string& key, double fallback) const {
    auto it = values_.find(key);
    if (it == values_.end()) return fallback;
    used_[key] = true;
    return src_.real(line_, it->second);
}

std::string Options::text(const std::string& key, const std::string& fallback) const {
    auto it = values_.find(key);
    if (it == values_.end()) return fallback;
    used_[key] = true;
    return it->second;
}

void Options::finish() const {
    for (const auto& [key, value] : values_)
        if (!used_.count(key)) src_.fail(line_, "unknown option '" + key + "'");
}

void put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>((v >> 8) & 0xff));
}
void put32(std::string& s, unsigned v) {
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

}  // namespace assetgen
