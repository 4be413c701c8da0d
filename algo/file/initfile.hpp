#pragma once
/// @file
/// Settings file: "key = value" lines kept as a map, written back sorted by key.
#include <istream>
#include <map>
#include <string>
#include <string_view>

namespace algo {

/// Drops blanks, tabs, CR and LF from both ends.
std::string_view trimBlank(std::string_view text);

/// Reads one line ending at LF, CR or CR LF (the ending is not kept). False at end of input
/// when nothing was read.
bool readLine(std::istream& in, std::string& line);

/// Steps over a UTF-8 byte-order mark at the stream's position, which editors put at the
/// start of a file; anything else is left to be read.
void skipByteOrderMark(std::istream& in);

/// A settings file of "key = value" lines, read into a map and written back sorted by key.
/// It is an ordinary file in the file system (relative to the working directory), never read
/// from an archive. The object owns the map only; it saves to the last loaded name when
/// destroyed, so a change is not lost (a failed save is logged).
///
/// @code
/// algo::InitFile settings;
/// settings.load("settings.txt");            // a missing file is fine: empty map
/// settings.setDefault("runs", "0");
/// int runs = std::stoi(settings.get("runs")) + 1;
/// settings.set(std::to_string(runs), "runs");  // value first, then key
/// settings.save();                          // also done by the destructor
/// @endcode
class InitFile {
  public:
    /// Key to value. std::string orders keys byte by byte, the order they are written in.
    using Map = std::map<std::string, std::string>;

    /// An empty map and no file name.
    InitFile() = default;
    /// Not copyable: two objects would save over each other.
    InitFile(const InitFile&) = delete;
    /// Not copyable: two objects would save over each other.
    InitFile& operator=(const InitFile&) = delete;
    /// Saves; a failure (a file that cannot be written, or no name because load was never
    /// called) is logged as "InitFile: settings not saved: " + the reason, never thrown.
    virtual ~InitFile();

    /// Writes each entry as `lines_["key"] = value` to standard output (the log file while
    /// the engine runs, without time stamps).
    virtual void print() const;
    /// Remembers the name and, when the file exists, adds its entries to the map (a key
    /// already there takes the file's value). A missing file is fine: the map stays as it is.
    /// A directory at the name, or a file that cannot be opened or read, is a
    /// std::runtime_error naming it; the map is then unchanged.
    virtual void load(const std::string& filename);
    /// Writes the map to the last loaded name through a temporary file (name + ".tmp")
    /// renamed over it, keeping the old file's permissions, so the old file stays whole until
    /// the new one is complete. std::runtime_error naming the file and the reason when there
    /// is no name yet or the file cannot be written.
    virtual void save();
    /// The value of `key`; an empty string when the key is absent.
    virtual std::string get(const std::string& key) const;
    /// Sets `key` to `value` only when its value is empty or absent. Like set, refuses with
    /// std::invalid_argument naming the key (and the file) what the file cannot hold: a key
    /// with "=", a key or value with CR or LF or with a blank or tab at either end. Everything
    /// else is saved and loaded back exactly.
    virtual void setDefault(const std::string& key, const std::string& value);
    /// Removes `key`; an absent key is fine.
    virtual void remove(const std::string& key);
    /// Value first, key second, as in lines_[key] = value. Refuses what the file cannot hold
    /// as setDefault does (std::invalid_argument).
    virtual void set(const std::string& value, const std::string& key);

    /// Adds the entries of settings text to the map: in each line that has an "=", the key is
    /// the text before the first "=" and the value the rest, both without blanks and tabs at
    /// their ends; other lines are skipped, and a later line wins over an earlier one of the
    /// same key. A UTF-8 byte-order mark before the first line is not part of its key.
    void parse(std::istream& in);
    /// The map in its written form: "key\t= value\r\n" per entry, sorted by key.
    std::string format() const;

    /// The map as it stands.
    const Map& lines() const { return lines_; }
    /// The name given to the last load; empty before it.
    const std::string& filename() const { return filename_; }

  private:
    void checkStorable(const std::string& key, const std::string& value) const;

    Map lines_;
    std::string filename_;
};

}  // namespace algo
