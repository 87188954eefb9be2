#include "battle/command_loop.h"

#include "battle/attack.h"
#include "battle/battle_narration.h"
#include "battle/formulas.h"
#include "battle/target_selection.h"
#include "console/battle_screen.h"
#include "console/compose.h"
#include "console/console.h"
#include "console/message_window.h"
#include "core/texts.h"
#include "items/items.h"
#include "items/menus.h"

namespace rf {
namespace {

std::int16_t Doubled(int value) { return static_cast<std::int16_t>(value * 2); }

// The doubling is undone from the value before the turn rather than by
// halving, so neither a buckler ending inside the turn (its 5 would come
// off the doubled figure) nor a 16-bit wrap of the doubling leaves a trace.
// A buckler that ends in the first aging step also stops counting for the
// enemies' blows: they meet the doubled defence without it.
BattleResult Defend(EnemyStatus& enemy) {
    SetTextAttribute(kPlain);
    SlideTargetBanner();
    SlideInBanner(BannerKind::EnemyAttack);
    const std::int16_t before = hero.defence;
    const int riseBefore = RunningRise(ItemEffect::kRaiseDefence);
    hero.defence = Doubled(before);
    ++battle.actionCount;
    AgeItemEffects();
    auto undoubled = [&] {
        return static_cast<std::int16_t>(before - (riseBefore - RunningRise(ItemEffect::kRaiseDefence)));
    };
    hero.defence = Doubled(undoubled());
    if (EnemiesTurn(enemy) == kHeroFell) {
        hero.defence = undoubled();
        return kHeroFell;
    }
    AgeItemEffects();
    hero.defence = undoubled();
    return kContinue;
}

BattleResult Flee(EnemyStatus& enemy) {
    SetTextAttribute(kPlain);
    ClearAllMessageLines();
    ShowMessage(Say(TextId::kFleeing));
    std::int16_t weight = FleeWeight(enemy, battle.remaining);
    if (FleeCheck(hero.speed, weight, hero.level)) {
        ShowMessage(Say(TextId::kFleeWorked));
        return kFled;
    }
    const Message failed = Say(TextId::kFleeFailed);
    ShowMessage(failed);
    ++battle.actionCount;
    AgeItemEffects();
    if (EnemiesTurn(enemy) == kHeroFell) return kHeroFell;
    AgeItemEffects();
    NarrateGoOn();
    // The enemies' turn left the window empty: this last wait says what it
    // waits for, and the commands are marked behind it, not as having the keys.
    if (!settings.classic) DrawNewestAtOnce(failed.text);
    MarkCommandBox(false);
    WaitForAcknowledge();
    ClearAllMessageLines();
    MarkCommandBox(true);
    return kContinue;
}

void MoveCommand(int delta) {
    SetTextAttribute(kPlain);
    DrawCommandBox(battle.commandCursor + 1);
    battle.commandCursor = static_cast<std::int16_t>(battle.commandCursor + delta);
    Highlight();
    DrawCommandBox(battle.commandCursor + 1);
}

}  // namespace

BattleResult BattleCommandLoop(EnemyStatus& enemy) {
    for (;;) {
        // Said again when the command boxes have the keys again.
        NarrateCommand();
        if (!KeyWaiting()) continue;
        int code = ReadKey();
        if (code == kKeyUp) {
            if (battle.commandCursor != 0) MoveCommand(-1);
        } else if (code == kKeyDown) {
            if (battle.commandCursor != 3) MoveCommand(1);
        } else if (code == kKeyEnter || code == kKeyRight) {
            switch (battle.commandCursor) {
                case 0: {
                    SetTextAttribute(kPlain);
                    MarkCommandBox(false);
                    const BattleResult r = SelectTarget(enemy);
                    if (r == kVictory || r == kHeroFell) return r;
                    MarkCommandBox(true);
                    break;
                }
                case 1:
                    if (Defend(enemy) == kHeroFell) return kHeroFell;
                    break;
                case 2:
                    SetTextAttribute(kPlain);
                    SlideTargetBanner();
                    SlideInBanner(BannerKind::HeroName);
                    MarkCommandBox(false);
                    if (ItemCommand(enemy) == kHeroFell) return kHeroFell;
                    MarkCommandBox(true);
                    break;
                case 3: {
                    const BattleResult r = Flee(enemy);
                    if (r != kContinue) return r;
                    break;
                }
                default: break;
            }
        }
    }
}

}  // namespace rf
