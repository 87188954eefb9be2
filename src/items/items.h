// The three items and their timed effects.
#pragma once

#include "core/game_state.h"

namespace rf {

enum ItemKind : int { kItemPotion = 1, kItemProtein = 2, kItemBuckler = 3 };

int ItemCommand(EnemyStatus& enemy);
void UseItem(int kind);
void StartProteinEffect();
void StartBucklerEffect();
void EndProteinEffect();
void EndBucklerEffect();
void AgeProteinEffects();
void AgeBucklerEffects();
void AgeItemEffects();

}  // namespace rf
