// Using the items of the item table (core/item_table.h), and their timed effects.
#pragma once

#include "battle/attack.h"
#include "core/game_state.h"

namespace rf {

BattleResult ItemCommand(EnemyStatus& enemy);
// The item of the table at `index`; nothing for an index outside it.
void UseItem(int index);
// The running effects of the item at `index` age by one; those that run out
// end, and the battle says so.
void AgeItemEffect(int index);
// Every running effect ages, in the table's order.
void AgeItemEffects();
// What the running effects of this kind add to the hero's stat.
int RunningRise(ItemEffect effect);

}  // namespace rf
