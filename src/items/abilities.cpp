#include "items/abilities.h"

#include "battle/attack.h"
#include "battle/battle_narration.h"
#include "console/console.h"
#include "items/items.h"
#include "items/menus.h"

namespace rf {

int AvailableAbilities(int level) {
    int n = 2;
    for (int a = 2; a < 5; ++a)
        if (level >= kAbilityUnlockLevels[a]) n = a + 1;
    return n;
}

BattleResult AbilityCommand(EnemyStatus& enemy) {
    battle.abilityCursor = 0;
    OpenAbilityMenu();
    for (;;) {
        NarrateAbility();
        if (!KeyWaiting()) continue;
        int code = ReadKey();
        if (code == kKeyUp) {
            MoveAbilitySelection(-1);
        } else if (code == kKeyDown) {
            MoveAbilitySelection(1);
        } else if (code == kKeySpace) {
            CloseMenu(MenuKind::Ability);
            return kBackToCommands;
        } else if (code == kKeyLeft) {
            CloseMenu(MenuKind::Ability);
            return kBackToTargets;
        } else if (code == kKeyEnter || code == kKeyRight) {
            const BattleResult r = HeroBlow(enemy);
            if (r == kEnemyFell) {
                // The turn ends with the fall: only the protein effects age.
                AgeItemEffect(kProtein);
                return kEnemyFell;
            }
            if (r == kVictory) return kVictory;
            AgeItemEffects();
            if (EnemiesTurn(enemy) == kHeroFell) return kHeroFell;
            AgeItemEffects();
        }
    }
}

}  // namespace rf
