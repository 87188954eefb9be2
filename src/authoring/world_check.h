// `ranks check`: loads a world as the game does, with the load log on, and
// reports what an author should know, one line each in the compiler
// convention (path:line:column: error|warning|note: message).
#pragma once

#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/load_log.h"

namespace rf::authoring {

struct CheckResult {
    std::vector<LoadRemark> remarks;
    int errors = 0, warnings = 0, notes = 0;
};

// Checks the world in `dir` (which must hold a world). Runs on the headless
// session; leaves the game records as the load left them.
CheckResult CheckWorld(const std::string& dir);

// The report as printed: one line per remark, then the summary.
std::string FormatCheck(const CheckResult& result, const std::string& dir);

}  // namespace rf::authoring
