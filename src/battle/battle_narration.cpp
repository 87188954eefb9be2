#include "battle/battle_narration.h"

#include <algorithm>
#include <string>

#include "battle/battle_state.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "core/item_table.h"
#include "core/world_translation.h"
#include "items/menus.h"
#include "platform/narration.h"

namespace rf {

void NarrateBattleStart(const EnemyStatus& enemy, int group) {
    if (!platform::Narrating()) return;
    platform::Narrate(spoken::Say(TextId::kSaidBattleStarts, {WorldText(FixedText(enemy.name))}, {group}),
                      platform::Voice::kKept);
}

void NarrateCommand() {
    platform::Narrate(Text(spoken::CommandDoes(std::clamp<int>(battle.commandCursor, 0, spoken::kCommandCount - 1))));
}

void NarrateTarget(const EnemyStatus& enemy) {
    if (!platform::Narrating()) return;
    const int slot = std::clamp<int>(enemy.target, 1, 7);
    platform::Narrate(spoken::Say(TextId::kSaidTarget, {WorldText(FixedText(enemy.name))},
                                  {slot, enemy.hpSlots[slot - 1], enemy.maxHp}));
}

void NarrateExchange(const EnemyStatus& enemy) {
    if (!platform::Narrating() || battle.remaining <= 0) return;
    const int slot = std::clamp<int>(enemy.target, 1, 7);
    platform::NarrateAgain(spoken::Say(TextId::kSaidExchange, {WorldText(FixedText(enemy.name))},
                                       {hero.hp, hero.maxHp, slot, enemy.hpSlots[slot - 1], enemy.maxHp}),
                           platform::Voice::kKept);
}

void NarrateAbility() {
    if (!platform::Narrating()) return;
    const AbilityInfo& ability = abilityTable.abilities[std::clamp<int>(battle.abilityCursor, 0, 4)];
    platform::Narrate(
        spoken::Say(TextId::kSaidAbility, {WorldText(FixedText(ability.name))}, {ability.power, ability.accuracy}));
}

void NarrateItem() {
    if (!platform::Narrating()) return;
    const int row = std::clamp<int>(battle.itemCursor, 0, kItemKinds - 1);
    const ItemInfo& item = kItems[row];
    platform::Narrate(spoken::Say(spoken::ItemDoes(item.effect), {ItemName(row + 1)}, {item.amount, kEffectTurns}) +
                      spoken::Say(TextId::kSaidHeld, {}, {std::max<int>(0, hero.items[row].count)}));
}

void NarrateGoOn() { platform::Narrate(Text(TextId::kSaidGoOn)); }

}  // namespace rf
