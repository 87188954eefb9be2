// The three items and their timed effects.
#pragma once

#include <cstdint>

#include "core/catalogue.h"
#include "core/game_state.h"

namespace rf {

enum ItemKind : int { kItemPotion = 1, kItemProtein = 2, kItemBuckler = 3 };

// What the items are and do, in the hero's slot order.
inline constexpr TextId kItemNames[3] = {TextId::kItemPotion, TextId::kItemProtein, TextId::kItemBuckler};
inline constexpr int kPotionHeal = 20;
// A protein or buckler adds this much for this many agings (two an exchange).
inline constexpr std::int16_t kEffectBonus = 5;
inline constexpr std::int16_t kEffectTurns = 11;

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
