// Using the items of the item table (core/item_table.h), and their timed effects.
#pragma once

#include "battle/attack.h"
#include "core/game_state.h"

namespace rf {

BattleResult ItemCommand(EnemyStatus& enemy);
// The item of the table at `index`; nothing for an index outside it.
void UseItem(int index);
void StartProteinEffect();
void StartBucklerEffect();
void EndProteinEffect();
void EndBucklerEffect();
void AgeProteinEffects();
void AgeBucklerEffects();
void AgeItemEffects();

}  // namespace rf
