// What one run of the program plays: a new game (saved and recorded as it
// goes), a continued one, or a replay; or the list of saved games.
#pragma once

#include "program/options.h"

namespace rf {

// Runs the session of the options (dataRoot already chosen). Returns only
// for what ends at once (a listing, a refusal).
int RunSession(const Options& options);

}  // namespace rf
