// A digest of the game records, printed at the end of a headless replay:
// two runs that end in the same state print the same digest.
#pragma once

#include <string>

namespace rf {

std::string StateDigest();

}  // namespace rf
