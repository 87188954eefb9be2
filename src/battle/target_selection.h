#pragma once

#include "core/game_state.h"

namespace rf {

int SelectTarget(EnemyStatus& enemy);
int MoveTargetUp(EnemyStatus& enemy);
int MoveTargetDown(EnemyStatus& enemy);

}  // namespace rf
