#pragma once
// The data archive: the staged files packed into one ZIP, members named by file name.
#include <string>
#include <vector>

namespace assetgen {

void packZip(const std::string& zipPath, const std::string& dir,
             const std::vector<std::string>& names);

}  // namespace assetgen
