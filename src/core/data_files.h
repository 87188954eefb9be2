// The status files of the hero, the enemy kinds and the abilities.
#pragma once

#include <string>
#include <string_view>

#include "core/game_state.h"
#include "core/world_file.h"

namespace rf {

// The fields of each status file in their order, as the tools name them.
inline constexpr std::string_view kHeroFields[] = {"name",
                                                   "max HP",
                                                   "attack",
                                                   "defence",
                                                   "magic attack",
                                                   "magic defence",
                                                   "speed",
                                                   "next level's experience",
                                                   "experience",
                                                   "level",
                                                   "reserved number",
                                                   "reserved number",
                                                   "reserved number",
                                                   "reserved number",
                                                   "potion's item number",
                                                   "potion count",
                                                   "protein's item number",
                                                   "protein count",
                                                   "buckler's item number",
                                                   "buckler count",
                                                   "start column",
                                                   "start row"};
enum HeroField : int {
    kHeroMaxHp = 1,
    kHeroAttack,
    kHeroDefence,
    kHeroMagicAttack,
    kHeroMagicDefence,
    kHeroSpeed,
    kHeroNextExp,
    kHeroExp,
    kHeroLevel,
    kHeroStartColumn = 20,
    kHeroStartRow
};
inline constexpr std::string_view kEnemyFields[] = {"name",         "kind number",   "symbol", "reserved number",
                                                    "target",       "max HP",        "attack", "defence",
                                                    "magic attack", "magic defence", "speed",  "ability"};
enum EnemyField : int {
    kEnemySymbol = 2,
    kEnemyMaxHp = 5,
    kEnemyAttack,
    kEnemyDefence,
    kEnemyMagicAttack,
    kEnemyMagicDefence,
    kEnemySpeed,
    kEnemyAbility
};
inline constexpr std::string_view kAbilityFields[] = {"name", "reserved number", "power", "accuracy"};
// The world info file's numbers (map_info/map1.txt) and an enemy list's line after its count.
inline constexpr std::string_view kWorldInfoFields[] = {
    "Queen's map", "Queen's column", "Queen's row",    "King's map",    "King's column",
    "King's row",  "strip's map",    "strip's column", "unused number", "start map"};
inline constexpr std::string_view kEnemyListFields[] = {"kind", "group size", "column", "row"};

int LoadHeroStatus();
int LoadEnemyStatus(EnemyStatus& record, const std::string& path);
int LoadAllEnemyStatus();
int LoadAbilityInfo(AbilityInfo& record, const std::string& path);
int LoadAllAbilities();

}  // namespace rf
