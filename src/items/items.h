// The three items and their timed effects.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/game_state.h"
#include "text/sj_literal.h"

namespace rf {

enum ItemKind : int { kItemPotion = 1, kItemProtein = 2, kItemBuckler = 3 };

// What the items are and do, in the hero's slot order.
inline constexpr std::string_view kItemNames[3] = {"ポーション"_sj, "プロテイン"_sj, "バックラー"_sj};
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
