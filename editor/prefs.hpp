#pragma once
// The editor's preferences, kept for its user under $XDG_CONFIG_HOME/starhop/.
#include <string>

namespace algo {
class InitFile;
}

namespace editor {

/// What the editor remembers between runs.
struct PrefValues {
    std::string file;             ///< the level edited last (absolute), or empty
    int zoom = 1;                 ///< 1 to kMaxZoom
    std::string language = "en";  ///< "en" or "ja"
    bool grid = true;             ///< grid lines shown
    bool operator==(const PrefValues&) const = default;
};

inline constexpr int kMaxZoom = 4;

/// The preferences file: "file", "zoom", "language" and "grid" lines of an InitFile. A missing
/// file gives the defaults. A damaged one (not UTF-8 text, a line that is no setting, a value
/// out of range, unreadable) never stops the editor: it is moved aside as path + ".damaged",
/// so nothing the user wrote is lost, the defaults are written in its place, and problem()
/// says what happened. Each save replaces the file atomically.
///
/// @code
/// editor::Preferences prefs(editor::Preferences::defaultPath());
/// if (!prefs.problem().empty()) status(prefs.problem());
/// prefs.values.zoom = 2;
/// prefs.save();  // throws std::runtime_error naming the file when it cannot be written
/// @endcode
class Preferences {
  public:
    /// $XDG_CONFIG_HOME/starhop/editor.ini (~/.config/starhop/editor.ini), the directory
    /// made on demand; throws std::runtime_error when it cannot be made.
    static std::string defaultPath();

    /// Reads `path`; never throws. An empty path keeps the defaults and saves nothing.
    explicit Preferences(std::string path);
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    PrefValues values;

    /// Writes `values` atomically.
    void save();
    /// What went wrong while reading, for the status line; empty when nothing did.
    const std::string& problem() const { return problem_; }
    const std::string& path() const { return path_; }

  private:
    // Reads the values; what is wrong with them, or empty.
    std::string take(const algo::InitFile& file);
    // The damaged file moved aside; the text for problem().
    std::string moveAside(const std::string& damage);

    std::string path_;
    std::string problem_;
};

}  // namespace editor
