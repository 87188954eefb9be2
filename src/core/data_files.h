// The status files of the hero, the enemy kinds and the abilities.
#pragma once

#include <string>

#include "core/game_state.h"
#include "core/world_file.h"

namespace rf {

int LoadHeroStatus();
int LoadEnemyStatus(EnemyStatus& record, const std::string& path);
int LoadAllEnemyStatus();
int LoadAbilityInfo(AbilityInfo& record, const std::string& path);
int LoadAllAbilities();

}  // namespace rf
