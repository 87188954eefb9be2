#include "console/battle_screen.h"

namespace rf {

FormationCell FormationCellOf(int, int) { return {0, 0}; }
void DrawCommandBox(int) {}
void EraseCommandBox(int) {}
void SlideInCommandBoxes() {}
void DrawCommandLabels() {}
void DrawEnemyView() {}
void DrawFormation(const EnemyStatus&, int) {}
void HighlightTarget(const EnemyStatus&, int) {}
void PlainTarget(const EnemyStatus&, int) {}
void EraseTarget(const EnemyStatus&, int) {}
void DrawMessageFrame() {}
void SlideInBanner(BannerKind, const EnemyStatus*) {}
void DrawBanner(BannerKind, const EnemyStatus*, int) {}
void EraseBanner() {}
void ClearTitleRow() {}

}  // namespace rf
