// The battle in words for a screen reader: its start, each exchange
// and each selection as it changes with what it does (the words are in console/spoken.h).
#pragma once

#include "core/game_state.h"

namespace rf {

void NarrateBattleStart(const EnemyStatus& enemy, int group);
// The command, target, ability or item now selected.
void NarrateCommand();
void NarrateTarget(const EnemyStatus& enemy);
void NarrateAbility();
void NarrateItem();
// After an exchange: the hero's HP and the target's, said whole.
void NarrateExchange(const EnemyStatus& enemy);
// The game waits for Enter.
void NarrateGoOn();

}  // namespace rf
