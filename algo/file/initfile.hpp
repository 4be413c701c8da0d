#pragma once
// Settings file: "key = value" lines kept as a map, written back sorted by key.
#include <istream>
#include <map>
#include <string>
#include <string_view>

namespace algo {

// Drops blanks, tabs, CR and LF from both ends.
std::string_view trimBlank(std::string_view text);

// Reads one line ending at LF, CR or CR LF (the ending is not kept). False at end of input
// when nothing was read.
bool readLine(std::istream& in, std::string& line);

// Steps over a UTF-8 byte-order mark at the stream's position, which editors put at the
// start of a file; anything else is left to be read.
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
    using Map = std::map<std::string, std::string>;  // std::string orders keys byte by byte

    InitFile() = default;
    InitFile(const InitFile&) = delete;
    InitFile& operator=(const InitFile&) = delete;
    // Saves; a failure is logged, never thrown.
    virtual ~InitFile();

    virtual void print() const;
    // Remembers the name; reads the file into the map when it exists (a missing file is fine).
    virtual void load(const std::string& filename);
    // Writes the map to the last loaded name through a temporary file renamed over it.
    virtual void save();
    virtual std::string get(const std::string& key) const;
    // set and setDefault refuse, with std::invalid_argument naming the key, what the file
    // cannot hold: a key with "=", a key or value with CR or LF or with a blank or tab at
    // either end. Everything else is saved and loaded back exactly.
    virtual void setDefault(const std::string& key, const std::string& value);
    virtual void remove(const std::string& key);
    // Value first, key second, as in lines_[key] = value.
    virtual void set(const std::string& value, const std::string& key);

    // Adds the entries of settings text to the map (a UTF-8 byte-order mark before the first
    // line is not part of its key).
    void parse(std::istream& in);
    // The map in its written form.
    std::string format() const;

    const Map& lines() const { return lines_; }
    const std::string& filename() const { return filename_; }

  private:
    void checkStorable(const std::string& key, const std::string& value) const;

    Map lines_;
    std::string filename_;
};

}  // namespace algo
