#pragma once

#include <string>
#include <vector>

namespace kestro {

// Where ShowReport looks for the viewer program, in this order: beside
// the running executable (a build tree), then where the packages install it,
// found from the executable's real location so that an installed tree works
// wherever it was put. The first place that holds a file is used.
std::vector<std::string> ViewerProgramCandidates();

}  // namespace kestro
