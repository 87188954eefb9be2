#pragma once

#include "battle/attack.h"
#include "core/game_state.h"

namespace rf {

BattleResult BattleCommandLoop(EnemyStatus& enemy);

}  // namespace rf
