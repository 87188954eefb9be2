// The battle in words for a screen reader: its start, and each selection
// as it changes with what it does (the words are in console/spoken.h).
#pragma once

#include "core/game_state.h"

namespace rf {

void NarrateBattleStart(const EnemyStatus& enemy, int group);
// The command, target, ability or item now selected.
void NarrateCommand();
void NarrateTarget(const EnemyStatus& enemy);
void NarrateAbility();
void NarrateItem();
// The game waits for Enter.
void NarrateGoOn();

}  // namespace rf
