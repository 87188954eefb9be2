#include "battle/target_selection.h"

#include "battle/attack.h"
#include "battle/battle_narration.h"
#include "battle/battle_state.h"
#include "console/battle_screen.h"
#include "console/console.h"
#include "items/abilities.h"
#include "items/menus.h"

namespace rf {
namespace {

bool Stands(int t) { return t >= 1 && t <= 7 && t <= GroupSize() && battle.defeated[t - 1] == 0; }

// Row moves of the formation: the enemy straight above or below, or 0.
int UpFrom(int n, int t) {
    switch (n) {
        case 3: return t == 3 ? 1 : 0;
        case 4: return t == 3 ? 1 : t == 4 ? 2 : 0;
        case 5: return t == 3 ? 1 : (t == 4 || t == 5) ? 3 : 0;
        case 6: return t >= 4 && t <= 6 ? t - 3 : 0;
        case 7: return t >= 5 && t <= 7 ? t - 4 : 0;
        default: return 0;
    }
}

int DownFrom(int n, int t) {
    switch (n) {
        case 3: return (t == 1 || t == 2) ? 3 : 0;
        case 4: return (t == 1 || t == 2) ? t + 2 : 0;
        case 5: return (t == 1 || t == 2) ? 3 : t == 3 ? 5 : 0;
        case 6: return t >= 1 && t <= 3 ? t + 3 : 0;
        case 7: return t >= 1 && t <= 3 ? t + 4 : 0;
        default: return 0;
    }
}

int MoveTargetTo(EnemyStatus& enemy, int destination) {
    if (destination == 0 || !Stands(destination)) return 0;
    PlainTarget(enemy, GroupSize());
    enemy.target = static_cast<std::int16_t>(destination);
    return 1;
}

void ShowTarget(EnemyStatus& enemy) {
    SlideInBanner(BannerKind::EnemyName, &enemy);
    HighlightTarget(enemy, GroupSize());
}

// Left and right step over the fallen in number order.
void StepTo(EnemyStatus& enemy, int first, int last, int step) {
    for (int t = first; step > 0 ? t <= last : t >= last; t += step) {
        if (Stands(t)) {
            PlainTarget(enemy, GroupSize());
            enemy.target = static_cast<std::int16_t>(t);
            ShowTarget(enemy);
            return;
        }
    }
}

BattleResult LeaveToCommands(EnemyStatus& enemy) {
    PlainTarget(enemy, GroupSize());
    enemy.target = 1;
    ClearTitleRow();
    EraseBanner();
    return kContinue;
}

}  // namespace

int MoveTargetUp(EnemyStatus& enemy) { return MoveTargetTo(enemy, UpFrom(GroupSize(), enemy.target)); }
int MoveTargetDown(EnemyStatus& enemy) { return MoveTargetTo(enemy, DownFrom(GroupSize(), enemy.target)); }

BattleResult SelectTarget(EnemyStatus& enemy) {
    const int n = GroupSize();
    SetTextAttribute(kPlain);
    SlideTargetBanner();
    SlideInBanner(BannerKind::EnemyName, &enemy);
    if (!Stands(enemy.target)) {
        for (int t = enemy.target + 1; t <= n; ++t) {
            if (Stands(t)) {
                enemy.target = static_cast<std::int16_t>(t);
                ShowTarget(enemy);
                break;
            }
        }
    } else {
        HighlightTarget(enemy, n);
    }
    for (;;) {
        NarrateTarget(enemy);
        if (!KeyWaiting()) continue;
        int code = ReadKey();
        if (code == kKeyEnter) {
            MarkTarget(enemy, n, false);
            const BattleResult r = AbilityCommand(enemy);
            if (r == kBackToTargets) MarkTarget(enemy, n, true);
            if (r == kBackToCommands) return LeaveToCommands(enemy);
            if (r == kEnemyFell) {
                for (int row = 0; row <= 5; ++row) EraseMenuRow(row);
                for (int t = 1; t <= n; ++t) {
                    if (Stands(t)) {
                        enemy.target = static_cast<std::int16_t>(t);
                        break;
                    }
                }
                ClearTitleRow();
                EraseBanner();
                NarrateExchange(enemy);
                return kContinue;
            }
            if (r == kVictory || r == kHeroFell) return r;
        } else if (code == kKeySpace) {
            return LeaveToCommands(enemy);
        } else if (code == kKeyUp) {
            if (MoveTargetUp(enemy)) ShowTarget(enemy);
        } else if (code == kKeyDown) {
            if (MoveTargetDown(enemy)) ShowTarget(enemy);
        } else if (code == kKeyLeft) {
            if (enemy.target != 1) StepTo(enemy, enemy.target - 1, 1, -1);
        } else if (code == kKeyRight) {
            if (enemy.target != n) StepTo(enemy, enemy.target + 1, n, 1);
        }
    }
}

}  // namespace rf
