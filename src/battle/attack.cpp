#include "battle/attack.h"

#include <cstring>
#include <string_view>

#include "battle/battle_narration.h"
#include "battle/battle_state.h"
#include "battle/formulas.h"
#include "battle/level_up_screen.h"
#include "console/battle_screen.h"
#include "console/compose.h"
#include "console/console.h"
#include "console/message_window.h"
#include "console/status_display.h"
#include "core/fixed_text.h"
#include "core/texts.h"

namespace rf {
namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

void Victory(const EnemyStatus& enemy) {
    hero.attack = hero.savedAttack;
    hero.defence = hero.savedDefence;
    heroSnapshot = hero;
    ShowMessage(Say(TextId::kFightWon));
    std::uint16_t gained = VictoryExperience(KillExperience(enemy), battle);
    hero.exp += gained;
    ShowMessage(Say(TextId::kExperienceGained, static_cast<std::int32_t>(gained)));
    if (hero.exp < hero.nextExp) {
        WaitForAcknowledge();
        HideCursor();
        return;
    }
    heroSnapshot.exp = gained;
    GainLevels(hero);
    ShowMessage(Say(TextId::kLevelUp));
    hero.hp = hero.maxHp;
    DrawLevel();
    DrawHpGauge();
    ClearLevelUpPanel();
    DrawLevelUpFrame();
    ShowLevelUpIncreases();
    ShowLevelUpValues();
}

}  // namespace

const AbilityInfo& EnemyAbility(const EnemyStatus& enemy) {
    int i = enemy.ability >= 0 && enemy.ability <= 4 ? enemy.ability : 0;
    return abilityTable.abilities[i];
}

std::int16_t AtLeastZero(std::int16_t d) { return d < 0 ? std::int16_t{0} : d; }

void GainLevels(HeroStatus& h) {
    while (h.exp >= h.nextExp) {
        ++h.level;
        std::uint32_t beyond = h.exp - h.nextExp;
        LevelUpGrowth(h);
        NextExpThreshold(h);
        h.exp = beyond;
    }
}

bool GrowHero(HeroStatus& h, int level) {
    // Any fixed seed: the growth's draws are the battle generator's own.
    constexpr std::uint32_t kGrowthSeed = 20240601;
    if (level < h.level || level > kHighestLevel) return false;
    SeedBattleRandom(kGrowthSeed);
    while (h.level < level) {
        const int before = h.level;
        h.exp = h.nextExp;
        GainLevels(h);
        if (h.level <= before) return false;  // wrapped around
    }
    h.exp = 0;
    return h.level == level;
}

BattleResult HeroBlow(EnemyStatus& enemy) {
    ++battle.actionCount;
    ClearAllMessageLines();
    const AbilityInfo& ability = abilityTable.abilities[Clamp(battle.abilityCursor, 0, 4)];
    if (EvadeCheck(enemy.speed, hero.speed, ability.accuracy)) {
        ShowMessage(Say(TextId::kHeroMissed));
    } else {
        std::int16_t damage = AtLeastZero(HeroDamage(hero, enemy, ability));
        ShowMessage(Say(TextId::kDamageDealt, damage));
        // target stays within the seven slots whatever the record held.
        int slot = Clamp(enemy.target, 1, 7) - 1;
        enemy.hpSlots[slot] = static_cast<std::int16_t>(enemy.hpSlots[slot] - damage);
        if (enemy.hpSlots[slot] <= 0) {
            ShowMessage(Say(TextId::kEnemyFell));
            --battle.remaining;
            ++battle.defeatedCount;
            battle.defeated[slot] = 1;
            battle.abilityCursor = 0;
            EraseTarget(enemy, GroupSize());
            if (battle.remaining != 0) return kEnemyFell;
            Victory(enemy);
            return kVictory;
        }
    }
    WaitForAcknowledge();
    ClearAllMessageLines();
    return kContinue;
}

BattleResult EnemyBlow(EnemyStatus& enemy) {
    ++battle.actionCount;
    ClearAllMessageLines();
    ShowMessage(Say(TextId::kEnemyAttacks, FixedText(enemy.name)));
    const AbilityInfo& ability = EnemyAbility(enemy);
    if (EvadeCheck(hero.speed, enemy.speed, ability.accuracy)) {
        ShowMessage(Say(TextId::kHeroDodged));
    } else {
        std::int16_t damage = AtLeastZero(EnemyDamage(hero, enemy, ability));
        CountDownHp(damage);
        ShowMessage(Say(TextId::kDamageTaken, damage));
        if (hero.hp <= 0) {
            ShowMessage(Say(TextId::kHeroFell));
            ShowMessage("GAME OVER");
            WaitForAcknowledge();
            HideCursor();
            return kHeroFell;
        }
    }
    WaitForAcknowledge();
    HideCursor();
    ClearAllMessageLines();
    return kContinue;
}

BattleResult EnemiesTurn(EnemyStatus& enemy) {
    for (int i = 0; i < battle.remaining; ++i) {
        if (EnemyBlow(enemy) == kHeroFell) return kHeroFell;
    }
    NarrateExchange(enemy);
    return kContinue;
}

}  // namespace rf
