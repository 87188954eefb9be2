#include "battle/battle_narration.h"

#include <algorithm>
#include <string>

#include "battle/battle_state.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "items/menus.h"
#include "platform/narration.h"

namespace rf {

void NarrateBattleStart(const EnemyStatus& enemy, int group) {
    if (!platform::Narrating()) return;
    platform::Narrate(spoken::Line(
        {spoken::kBattleStarts, FixedText(enemy.name), "  ", std::to_string(group), spoken::kGroupOf, spoken::kStop}));
}

void NarrateCommand() { platform::Narrate(spoken::kCommands[std::clamp<int>(battle.commandCursor, 0, 3)]); }

void NarrateTarget(const EnemyStatus& enemy) {
    if (!platform::Narrating()) return;
    const int slot = std::clamp<int>(enemy.target, 1, 7);
    platform::Narrate(
        spoken::Line({spoken::kTarget, FixedText(enemy.name), "  ", std::to_string(slot), spoken::kNumber, spoken::kHp,
                      " ", std::to_string(enemy.hpSlots[slot - 1]), "/", std::to_string(enemy.maxHp), spoken::kStop}));
}

void NarrateAbility() {
    if (!platform::Narrating()) return;
    const AbilityInfo& ability = abilityTable.abilities[std::clamp<int>(battle.abilityCursor, 0, 4)];
    platform::Narrate(spoken::Line({FixedText(ability.name), spoken::kPower, std::to_string(ability.power),
                                    spoken::kAccuracy, std::to_string(ability.accuracy), spoken::kStop}));
}

void NarrateItem() {
    if (!platform::Narrating()) return;
    const int row = std::clamp<int>(battle.itemCursor, 0, 2);
    platform::Narrate(spoken::Line({ItemName(row + 1), spoken::kItemsDo[row], spoken::kHeld,
                                    std::to_string(std::max<int>(0, hero.items[row].count)), spoken::kStop}));
}

void NarrateGoOn() { platform::Narrate(spoken::kGoOn); }

}  // namespace rf
