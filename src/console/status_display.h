// The hero's status area on the battle screen: level, HP gauge and the
// three effect rows, with their animations.
#pragma once

#include <cstdint>

namespace rf {

// Cells of the HP bar for the hero's current hp and maxHp (0..18).
int HpBarLength(int hp, int maxHp);
// Cells of an effect bar for t turns left.
int EffectBarLength(int turnsLeft);

void DrawLevel();
void DrawHpGauge();
void RedrawHpBar();
void CountDownHp(std::int16_t damage);
void CountUpHp(std::int16_t limit);
void DrawEffectFrames();
void DrawEffectGauge(std::int16_t turnsLeft, int row);

}  // namespace rf
