#pragma once
/// @file
/// Per-user places for a program's files: saves and settings, by the XDG base directories.
#include <filesystem>
#include <string>

namespace algo {

/// The directory where `program` keeps its user's data (saves, high scores):
/// $XDG_DATA_HOME/program, or ~/.local/share/program when XDG_DATA_HOME is unset, empty or
/// not an absolute path. Made on demand, with every missing parent (mode 0700 for new ones).
/// `program` is one plain name (no "/", not "." or ".."; else an assertion error); a
/// directory that cannot be made, or no home directory to put it under, is a
/// std::runtime_error naming it and the reason.
///
/// @code
/// std::filesystem::path best = algo::userDataDir("catch") / "best.txt";
/// std::ofstream(best) << score;  // kept for the next run, wherever it starts from
/// @endcode
std::filesystem::path userDataDir(const std::string& program);

/// The same for settings and preferences: $XDG_CONFIG_HOME/program, or ~/.config/program,
/// with the same rules and errors.
///
/// @code
/// algo::InitFile prefs;
/// prefs.load((algo::userConfigDir("starhop") / "editor.ini").string());
/// @endcode
std::filesystem::path userConfigDir(const std::string& program);

}  // namespace algo
