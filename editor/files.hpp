#pragma once
// Where a level's files go: the bitmap the game reads, the text grid beside it and the proof.
#include <string>
#include <vector>

#include "game/level.hpp"

namespace editor {

/// True for a path ending in .bmp or .txt, the two forms of a level.
bool isLevelPath(const std::string& path);

/// `path` with its .bmp or .txt ending replaced by `extension` (".bmp", ".txt", ".proof").
std::string sibling(const std::string& path, const std::string& extension);

/// A path given by the user made absolute: relative ones are taken from `base` (the
/// directory the user started in), not from the editor's working directory.
std::string resolvePath(const std::string& path, const std::string& base);

/// Writes the level beside `path` as name.bmp and name.txt, then `proof` (when not empty)
/// as name.proof, each through a temporary file renamed over the old one: a failure leaves
/// the old file whole. Returns the files written, in that order; throws std::runtime_error
/// naming the file that could not be written, after the ones before it are written.
std::vector<std::string> saveLevel(const std::string& path, const game::Grid& grid,
                                   const std::string& proof);

}  // namespace editor
