// Blows: the hero's on the target, one enemy's on the hero, the enemies' turn.
#pragma once

#include "core/game_state.h"

namespace rf {

// What a blow, a turn, a command or a menu ended with: one set of codes, so
// none can be taken for another. The battle's are the game's 0, 2, 3, 4.
enum BattleResult : int {
    kContinue = 0,  // the battle goes on
    kFled = 1,
    kEnemyFell = 2,
    kVictory = 3,
    kHeroFell = 4,
    kBackToCommands = 5,  // from the ability menu (Space)
    kBackToTargets = 6,   // from the ability menu (Left)
};

BattleResult HeroBlow(EnemyStatus& enemy);
// A broken file may give an ability outside the table; such an enemy
// strikes with the first one.
const AbilityInfo& EnemyAbility(const EnemyStatus& enemy);
// A blow never heals: a negative damage lands as 0.
std::int16_t AtLeastZero(std::int16_t damage);
// The level-ups that the experience reaches: a level, its growth and the
// next threshold each, until the experience falls short again.
void GainLevels(HeroStatus& h);
// The highest level a hero is grown to by GrowHero.
inline constexpr int kHighestLevel = 99;
// The hero grown to `level` with the game's own level-ups, each reached
// with exactly the experience it asks, from a fixed seed (so a play-test at
// a level and the balance report meet the same hero). False (the hero as
// he was) when the level lies below his or the growth passes over it.
bool GrowHero(HeroStatus& h, int level);
BattleResult EnemyBlow(EnemyStatus& enemy);
BattleResult EnemiesTurn(EnemyStatus& enemy);

}  // namespace rf
