#pragma once

#include "core/game_state.h"

namespace rf {

// How many abilities the hero's level allows (2 to 5).
int AvailableAbilities(int level);
int AbilityCommand(EnemyStatus& enemy);

}  // namespace rf
