#pragma once

#include "battle/attack.h"
#include "core/game_state.h"

namespace rf {

BattleResult SelectTarget(EnemyStatus& enemy);
int MoveTargetUp(EnemyStatus& enemy);
int MoveTargetDown(EnemyStatus& enemy);

}  // namespace rf
