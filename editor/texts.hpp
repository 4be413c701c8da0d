#pragma once
// The editor's words, in English and Japanese, from its message file.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "algo/file/msgfile.hpp"

namespace editor {

/// The texts of the editor from a message file whose blocks are named "en.<key>" and
/// "ja.<key>". Loading checks that every block the editor uses is there in both languages
/// with its lines, so a damaged file stops the start with its name and the block, never a
/// missing text later.
///
/// @code
/// editor::Texts texts;
/// texts.load("edit/messages.txt");
/// texts.setLanguage("ja");
/// std::string line = texts.format("stars", {{"n", "3"}});
/// @endcode
class Texts {
  public:
    /// Every block and its number of lines, as the editor uses them.
    static const std::vector<std::pair<const char*, std::size_t>>& blocks();

    /// Reads the file through the resource reader; throws std::runtime_error naming the file
    /// and the first block that is missing or short (and the reader's errors).
    void load(const std::string& path);

    /// "en" or "ja".
    void setLanguage(const std::string& language) { language_ = language; }
    const std::string& language() const { return language_; }

    /// Line `line` of block `key` in the current language.
    const std::string& get(const std::string& key, std::size_t line = 0) const;
    const std::vector<std::string>& lines(const std::string& key) const;
    /// The line with each "{name}" replaced by its value.
    std::string format(const std::string& key,
                       std::initializer_list<std::pair<const char*, std::string>> values,
                       std::size_t line = 0) const;

  private:
    algo::MsgFile file_;
    std::string language_ = "en";
};

/// "{name}" in `text` replaced by `value`, everywhere.
std::string fill(std::string text, const std::string& name, const std::string& value);

}  // namespace editor
