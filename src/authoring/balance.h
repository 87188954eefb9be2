// `ranks balance`: real battles on the headless session with the game's
// own rules. For each map, its enemy groups and the lowest hero level that
// wins nine battles in ten there; for each enemy kind and group size, the
// win rate at a few levels; and an estimate of the play time.
#pragma once

#include <string>
#include <vector>

#include "authoring/report.h"
#include "core/game_state.h"

namespace rf::authoring {

inline constexpr int kDefaultBattles = 200;

struct BalanceRequest {
    std::string dir;
    int battles = kDefaultBattles;
    // Empty: every level up to the last ability's for the maps; 1, 5 and each
    // level that opens an ability for the rows.
    std::vector<int> levels;
    ReportFormat format = ReportFormat::kText;
};

// Prints the report for the world in `dir`; returns the exit status.
int RunBalance(const BalanceRequest& request);

}  // namespace rf::authoring
