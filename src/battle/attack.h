// Blows: the hero's on the target, one enemy's on the hero, the enemies' turn.
#pragma once

#include "core/game_state.h"

namespace rf {

enum BattleResult : int { kContinue = 0, kEnemyFell = 2, kVictory = 3, kHeroFell = 4 };

int HeroBlow(EnemyStatus& enemy);
// The level-ups that the experience reaches: a level, its growth and the
// next threshold each, until the experience falls short again.
void GainLevels(HeroStatus& h);
int EnemyBlow(EnemyStatus& enemy);
int EnemiesTurn(EnemyStatus& enemy);

}  // namespace rf
