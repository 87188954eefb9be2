#include "battle/battle_state.h"

#include "core/game_state.h"

namespace rf {

void ResetBattleState() { battle = {}; }

int GroupSize() { return battle.remaining + battle.defeatedCount; }

}  // namespace rf
