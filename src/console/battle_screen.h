// The battle screen's fixed layout: slanted command boxes, the enemy view
// with its formation, banners sliding in, the message frame and title row.
#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace rf {

enum class BannerKind { EnemyAttack, HeroName, EnemyName };

struct FormationCell {
    int column;  // offset from battleLeft
    int row;
};

// Cell of enemy t (1..n) in a formation of n (1..7) enemies.
FormationCell FormationCellOf(int n, int t);

void DrawCommandBox(int n);
void EraseCommandBox(int n);
void SlideInCommandBoxes();
void DrawCommandLabels();
void DrawEnemyView();
void DrawFormation(const EnemyStatus& enemy, int n);
void HighlightTarget(const EnemyStatus& enemy, int n);
void PlainTarget(const EnemyStatus& enemy, int n);
void EraseTarget(const EnemyStatus& enemy, int n);
// Which menu has the keys, at a glance (the default look): its selection
// stays in the highlight, shown reversed; a selection behind it is drawn
// underlined instead. The console look keeps every one highlighted, as the
// original drew them.
void MarkCommandBox(bool active);
void MarkTarget(const EnemyStatus& enemy, int n, bool active);
void DrawMessageFrame();
// `enemy` names the kind for EnemyName banners; ignored otherwise.
void SlideInBanner(BannerKind kind, const EnemyStatus* enemy = nullptr);
void DrawBanner(BannerKind kind, const EnemyStatus* enemy, int origin);
void EraseBanner();
void ClearTitleRow();

}  // namespace rf
