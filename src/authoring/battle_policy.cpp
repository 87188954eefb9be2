#include "authoring/battle_policy.h"

#include "console/console.h"
#include "console/message_window.h"
#include "core/game_state.h"
#include "items/abilities.h"
#include "platform/headless/headless.h"

namespace rf::authoring {

int StrongestAbility(int level) {
    int best = 0;
    for (int a = 1; a < AvailableAbilities(level) && a < 5; ++a)
        if (abilityTable.abilities[a].power >= abilityTable.abilities[best].power) best = a;
    return best;
}

void BattlePolicy::Supply() {
    // A message waits for its acknowledgement when the cursor stands at
    // the end of the newest text of the window's first line.
    const auto& screen = headless::Screen();
    const bool message = screen.CursorY() == kMessageTop &&
                         screen.CursorX() == battleLeft + 2 + static_cast<int>(messageWindow.history[0].size());
    if (message || battle.remaining == 0 || hero.hp <= 0) return Press(kKeyEnter);
    if (battle.defeatedCount != defeatedSeen_) {
        // A fall ends the turn and leads back to the commands.
        defeatedSeen_ = battle.defeatedCount;
        where_ = Where::kCommands;
    }
    const bool potion = hero.hp * 3 < hero.maxHp && hero.items[kPotion].count > 0;
    switch (where_) {
        case Where::kUnknown:
            Press(kKeySpace);  // back to the commands from any menu, ignored there
            where_ = Where::kCommands;
            return;
        case Where::kCommands: {
            const int want = potion ? 2 : 0;
            for (int c = battle.commandCursor; c > want; --c) Press(kKeyUp);
            for (int c = battle.commandCursor; c < want; ++c) Press(kKeyDown);
            Press(kKeyEnter);
            where_ = potion ? Where::kItems : Where::kTargets;
            return;
        }
        case Where::kTargets:
            Press(kKeyEnter);  // the target the game offers
            where_ = Where::kAbilities;
            return;
        case Where::kAbilities:
            if (potion) {
                Press(kKeySpace);
                where_ = Where::kCommands;
                return;
            }
            for (int c = battle.abilityCursor; c < ability_; ++c) Press(kKeyDown);
            for (int c = battle.abilityCursor; c > ability_; --c) Press(kKeyUp);
            Press(kKeyEnter);
            ++actions;
            return;  // still in the menu unless an enemy falls
        case Where::kItems:
            for (int c = battle.itemCursor; c > kPotion; --c) Press(kKeyUp);
            Press(kKeyEnter);
            ++actions;
            where_ = Where::kUnknown;  // the item menu stays open
            return;
    }
}

void BattlePolicy::Press(int code) {
    headless::Key(code);
    ++keys;
    enters += code == kKeyEnter ? 1 : 0;
}

}  // namespace rf::authoring
