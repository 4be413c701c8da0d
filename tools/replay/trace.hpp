#pragma once
// One JSON object per pass describing what the game shows and holds.
#include <string>
#include <vector>

namespace replay {

// The trace line (without newline) for the state after pass `pass`.
std::string traceLine(long pass, bool drawn, const std::vector<std::string>& sounds);

}  // namespace replay
