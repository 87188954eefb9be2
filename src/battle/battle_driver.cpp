#include "battle/battle_driver.h"

#include "battle/attack.h"
#include "battle/battle_narration.h"
#include "battle/battle_state.h"
#include "battle/command_loop.h"
#include "battle/formulas.h"
#include "console/battle_screen.h"
#include "console/compose.h"
#include "console/console.h"
#include "console/message_window.h"
#include "console/status_display.h"
#include "core/texts.h"
#include "platform/console_session.h"

namespace rf {
namespace {

std::uint32_t ClockSeed() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(platform::ClockSeconds()) & 0xFFFFFFFFu);
}

}  // namespace

int RunBattle(EnemyStatus& enemy, std::int16_t size) {
    // The formation, the hit points and the fallen flags hold seven at most,
    // and a group of none would have nobody to fight.
    const std::int16_t group = size < 1 ? std::int16_t{1} : size > 7 ? std::int16_t{7} : size;
    SetTextAttribute(kPlain);
    hero.hp = hero.maxHp;
    hero.savedAttack = hero.attack;
    hero.savedDefence = hero.defence;
    SeedBattleRandom(ClockSeed());
    enemy.target = 1;
    battle.remaining = group;
    for (std::int16_t& slot : enemy.hpSlots) slot = enemy.maxHp;

    SlideInCommandBoxes();
    DrawCommandLabels();
    DrawEnemyView();
    DrawFormation(enemy, group);
    DrawMessageFrame();
    DrawHpGauge();
    DrawLevel();
    DrawEffectFrames();
    // Only keys pressed once the screen stands act: those typed on the field
    // or during the wipes and the opening were meant for walking.
    DiscardWaitingKeys();
    NarrateBattleStart(enemy, group);

    const BattleResult outcome = BattleCommandLoop(enemy);
    if (outcome == kVictory) ++journey.battlesWon;
    else if (outcome == kHeroFell) ++journey.battlesLost;
    else ++journey.battlesFled;

    ClearAllMessageLines();
    PushMessage();
    if (outcome == kVictory) ShowMessageAndWait(Say(TextId::kBattleWon));
    else if (outcome == kHeroFell) ShowMessageAndWait(Say(TextId::kBattleLost));
    else ShowMessageAndWait(Say(TextId::kBattleFled));
    ResetBattleState();
    return 0;
}

}  // namespace rf
