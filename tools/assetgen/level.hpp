#pragma once
// The game's levels as assetgen builds them: a text grid (game/levelfile) that also keeps the
// rules every shipped level follows.
#include <string>

#include "game/level.hpp"

namespace assetgen {

// Reads a text level and checks it: a closed solid border, exactly one start cell, a star.
game::Grid readLevel(const std::string& path);

}  // namespace assetgen
