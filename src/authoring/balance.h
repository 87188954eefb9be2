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
// The highest level the tools grow the hero to.
inline constexpr int kHighestLevel = 99;

struct BalanceRequest {
    std::string dir;
    int battles = kDefaultBattles;
    std::vector<int> levels;  // empty: every level from 1 to 25 for the maps, 1, 5, 12, 18, 25 for the rows
    ReportFormat format = ReportFormat::kText;
};

// Prints the report for the world in `dir`; returns the exit status.
int RunBalance(const BalanceRequest& request);

// The hero of the loaded hero file grown to `level` as the balance tool
// grows him: the game's own level-ups, each reached with exactly the
// experience it asks, from a fixed seed. False (the hero as the file gave
// him) when the level lies below the file's or the growth passes over it.
bool GrowHero(HeroStatus& h, int level);

}  // namespace rf::authoring
