// Every number rule of a battle: the generator, damage, hit and flight
// tests, experience, the next threshold and the growth of a level-up.
#pragma once

#include <cstdint>

#include "core/game_state.h"

namespace rf {

void SeedBattleRandom(std::uint32_t seed);
int DrawBattleRandom();  // 0..32767

int SpreadTerm(int m);
std::int16_t HeroDamage(const HeroStatus& h, const EnemyStatus& e, const AbilityInfo& a);
std::int16_t EnemyDamage(const HeroStatus& h, const EnemyStatus& e, const AbilityInfo& a);
int EvadeCheck(int defenderSpeed, int attackerSpeed, int accuracy);
std::int16_t FleeWeight(const EnemyStatus& e, int remaining);
int FleeCheck(int heroSpeed, int fleeWeight, int level);
std::int16_t KillExperience(const EnemyStatus& e);
// Never below 0: items cannot cost more than the battle brought.
std::uint16_t VictoryExperience(std::int16_t killExperience, const BattleState& b);
void NextExpThreshold(HeroStatus& h);
void LevelUpGrowth(HeroStatus& h);

}  // namespace rf
