// The status files of the hero, the enemy kinds and the abilities, and the
// missing-file stop that ends the game when a map file is absent.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "game_state.h"
#include "world_file.h"

namespace rf {

// Joins directory and file names under dataRoot with the platform's separator.
std::string DataPath(std::initializer_list<std::string_view> parts);

int LoadHeroStatus();
int LoadEnemyStatus(EnemyStatus& record, const std::string& path);
int LoadAllEnemyStatus();
int LoadAbilityInfo(AbilityInfo& record, const std::string& path);
int LoadAllAbilities();

[[noreturn]] void StopForMissingFile();
// The same, and once the terminal is back, a line on standard error naming
// the file and why it could not be read.
[[noreturn]] void StopForMissingFile(const WorldFile& file);


}  // namespace rf
