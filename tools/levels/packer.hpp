#pragma once
// starhop-levels pack: a pack archive from a folder of level sources.
#include <string>

#include "tools/levels/terminal.hpp"

namespace levels {

// Builds FILE.zip (`out`) from the folder `dir`: each level from mapK.txt or mapK.bmp (both
// there must hold the same level), the proofs mapK.proof and the tunes jump.ogg and
// jump2.ogg. The archive is opened as starhop --levels opens it before it takes `out`'s place
// (atomically). Needs the engine started (the resource reader). Throws game::PackError, or
// the error of the file at fault, naming it.
void buildPack(const std::string& dir, const std::string& out, Terminal& terminal);

}  // namespace levels
