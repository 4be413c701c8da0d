#pragma once
// Reading the text sources under assets/: every complaint names the file and the line.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace assetgen {

// A fault in a source file; what() reads "file:line: problem".
class SourceError : public std::runtime_error {
  public:
    SourceError(const std::string& file, int line, const std::string& problem);
};

// One meaningful line of a source: its number and its words (quoted text is one word).
struct Line {
    int number = 0;
    std::string raw;                 // the line as written, without the newline
    std::vector<std::string> words;  // ';' starts a comment outside quotes
};

class Source {
  public:
    // Reads the whole file; a missing or unreadable file is a SourceError at line 0.
    explicit Source(const std::string& path);
    const std::string& path() const { return path_; }
    const std::vector<Line>& lines() const { return lines_; }  // every line, blank ones too

    [[noreturn]] void fail(int line, const std::string& problem) const;
    [[noreturn]] void fail(const Line& line, const std::string& problem) const {
        fail(line.number, problem);
    }

    // Number parsing that complains with the line's number.
    double real(const Line& line, const std::string& word) const;
    int integer(const Line& line, const std::string& word) const;

  private:
    std::string path_;
    std::vector<Line> lines_;
};

// Splits a line into words; ';' outside quotes ends it. Returns false on an open quote.
bool splitWords(const std::string& text, std::vector<std::string>& words);

// key=value options after the leading words of a line; plain words are refused.
class Options {
  public:
    Options(const Source& src, const Line& line, std::size_t first);
    bool has(const std::string& key) const { return values_.count(key) != 0; }
    double real(const std::string& key, double fallback) const;
    std::string text(const std::string& key, const std::string& fallback) const;
    // Every key must have been asked for by now: a typo is an error, not a silent default.
    void finish() const;

  private:
    const Source& src_;
    const Line& line_;
    std::map<std::string, std::string> values_;
    mutable std::map<std::string, bool> used_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
std::string directoryOf(const std::string& path);

// Little-endian fields of the BMP and WAV headers.
void put16(std::string& s, unsigned v);
void put32(std::string& s, unsigned v);

}  // namespace assetgen
