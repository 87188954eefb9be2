// `ranks check`: loads a world as the game does, with the load log on, and
// reports what an author should know, one line each in the compiler
// convention (path:line:column: error|warning|note: message).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "authoring/report.h"
#include "core/game_state.h"
#include "core/load_log.h"
#include "core/world_file.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"

namespace rf::authoring {

// Runs a loader on the headless session, where the missing-file stop is an
// exception; false when that stop came (its farewell taken), so a tool goes
// on without the file.
template <typename F>
bool Survives(F load) {
    try {
        load();
        return true;
    } catch (const headless::ExitCalled&) {
        platform::TakeFarewell();
        return false;
    }
}

struct CheckResult {
    std::vector<LoadRemark> remarks;
    int errors = 0, warnings = 0, notes = 0;
};

// Checks the world in `dir` (which must hold a world), the `unsaved` files
// standing for theirs on disk. Runs on the headless session; leaves the
// game records as the load left them.
CheckResult CheckWorld(const std::string& dir, const std::vector<HeldFile>& unsaved = {});

// Map `map` of the world as the game reads it, after CheckWorld(dir): its
// cells in UTF-8, those the hero can reach from the world's start marked,
// the enemies where they stand, the piece marks, and the passages to the
// neighbouring maps on the frame.
std::string ShowMap(int map);

// The report as printed: one line per remark, its path as `dir` was given
// (so it opens from the working directory), then the summary; or one JSON
// document, or a SARIF 2.1.0 log. Notes only when asked for. `found` says
// how the world was found when none was named ("" when it was).
// `version` is the checker's, for SARIF.
std::string FormatCheck(const CheckResult& result, const std::string& dir, ReportFormat format = ReportFormat::kText,
                        bool notes = true, const std::string& found = "", std::string_view version = "");

// What JSON and SARIF print when `dir` holds no world: one document all the same, with the problem
// (text prints nothing: the problem goes to standard error).
std::string FormatNoWorld(const std::string& problem, const std::string& dir, ReportFormat format,
                          std::string_view version = "");

}  // namespace rf::authoring
