#pragma once
/// @file
/// Message file: named blocks of text lines, read through the resource reader.
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
    /// The lines of one block, in file order.
    using Lines = std::vector<std::string>;

    /// Frees the lines: references from get() end with the object.
    virtual ~MsgFile() = default;

    /// Writes each block as "[name]" and its lines as " [i] = line" to standard output (the
    /// log file while the engine runs, without time stamps).
    virtual void print() const;
    /// Adds the blocks of the file at `path` (plain or in an archive; see algo::read, whose
    /// errors it lets through). On failure nothing changes. Needs the engine running (an
    /// AssertError naming the file before algo::runProgram has started it).
    virtual void load(const std::string& path);
    /// The lines of a block; an absent name is std::out_of_range ("no message block " + name).
    virtual const Lines& get(const std::string& name) const;

    /// Adds the blocks of message text. Each line is taken without blanks, tabs, CR and LF at
    /// its ends; an empty line ends a block, the next line names a new one, and the lines
    /// after it are its text. A name met again adds its lines to the block's; a name with no
    /// lines makes no block. A UTF-8 byte-order mark at the start is skipped.
    void parse(std::istream& in);

    /// Every block by name.
    const std::map<std::string, Lines>& messages() const { return messages_; }

  private:
    std::map<std::string, Lines> messages_;
};

}  // namespace algo
