#pragma once
// Message file: named blocks of text lines, read through the resource reader.
#include <istream>
#include <map>
#include <string>
#include <vector>

namespace algo {

/// A message file: blocks of text lines, each block named by its first line and ended by an
/// empty line, read through the resource reader (a plain file or an archive member). The
/// object owns copies of the lines; get() hands out references that live as long as it does.
///
/// @code
/// algo::MsgFile messages;
/// messages.load("data/messages.txt");
/// for (const std::string& line : messages.get("greeting"))
///     screen.drawString(8, y += 10, line, 255, 255, 255, 255);
/// @endcode
class MsgFile {
  public:
    using Lines = std::vector<std::string>;

    virtual ~MsgFile() = default;

    virtual void print() const;
    // Adds the blocks of the file at `path` (plain or in an archive). On failure nothing changes.
    virtual void load(const std::string& path);
    // The lines of a block; an absent name is std::out_of_range.
    virtual const Lines& get(const std::string& name) const;

    // Adds the blocks of message text.
    void parse(std::istream& in);

    const std::map<std::string, Lines>& messages() const { return messages_; }

  private:
    std::map<std::string, Lines> messages_;
};

}  // namespace algo
