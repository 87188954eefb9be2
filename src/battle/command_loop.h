#pragma once

#include "core/game_state.h"

namespace rf {

int BattleCommandLoop(EnemyStatus& enemy);

}  // namespace rf
