// The missing-file stop: a map file that cannot be read ends the game with
// four lines of notice and, thirty seconds later, exit status -1.
#pragma once

#include "core/world_file.h"

namespace rf {

[[noreturn]] void StopForMissingFile();
// The same, and once the terminal is back, a line on standard error naming
// the file and why it could not be read.
[[noreturn]] void StopForMissingFile(const WorldFile& file);

}  // namespace rf
