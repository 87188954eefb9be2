#include "console/status_display.h"

namespace rf {

int HpBarLength(int, int) { return 0; }
int EffectBarLength(int) { return 0; }
void DrawLevel() {}
void DrawHpGauge() {}
void RedrawHpBar() {}
void CountDownHp(std::int16_t) {}
void CountUpHp(std::int16_t) {}
void DrawEffectFrames() {}
void DrawEffectGauge(std::int16_t, int) {}

}  // namespace rf
