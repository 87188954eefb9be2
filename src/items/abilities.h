#pragma once

#include "battle/attack.h"
#include "core/game_state.h"

namespace rf {

// The level from which each ability is offered, in the table's order
// (SwordCut and Flame always).
inline constexpr int kAbilityUnlockLevels[5] = {0, 0, 12, 18, 25};

// How many abilities the hero's level allows (2 to 5): the ability menu's rows.
int AvailableAbilities(int level);
// The ability menu: kBackToCommands (Space), kBackToTargets (Left), or how
// the blow ended (kEnemyFell, kVictory, kHeroFell).
BattleResult AbilityCommand(EnemyStatus& enemy);

}  // namespace rf
