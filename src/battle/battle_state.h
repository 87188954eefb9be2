#pragma once

namespace rf {

void ResetBattleState();
// The formation size of the running battle.
int GroupSize();

}  // namespace rf
