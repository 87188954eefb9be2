// Blows: the hero's on the target, one enemy's on the hero, the enemies' turn.
#pragma once

#include "core/game_state.h"

namespace rf {

enum BattleResult : int { kContinue = 0, kEnemyFell = 2, kVictory = 3, kHeroFell = 4 };

int HeroBlow(EnemyStatus& enemy);
// A broken file may give an ability outside the table; such an enemy
// strikes with the first one.
const AbilityInfo& EnemyAbility(const EnemyStatus& enemy);
// A blow never heals: a negative damage lands as 0.
std::int16_t AtLeastZero(std::int16_t damage);
// The level-ups that the experience reaches: a level, its growth and the
// next threshold each, until the experience falls short again.
void GainLevels(HeroStatus& h);
int EnemyBlow(EnemyStatus& enemy);
int EnemiesTurn(EnemyStatus& enemy);

}  // namespace rf
