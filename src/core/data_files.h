// The status files of the hero, the enemy kinds and the abilities.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/game_state.h"
#include "core/world_file.h"

namespace rf {

// The fields of each status file in their order, as the tools name them.
// The hero's: the name, nine numbers, four reserved, the number and the
// count of each item of the item table, and the start cell.
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
    kHeroFirstItem = kHeroLevel + 5,
    kHeroStartColumn = kHeroFirstItem + 2 * kItemKinds,
    kHeroStartRow
};

namespace detail {
// "potion's item number" and "potion count" for each item, made from the
// table when compiling.
struct ItemFieldNames {
    char text[2 * kItemKinds][40] = {};
    std::size_t size[2 * kItemKinds] = {};
};
constexpr ItemFieldNames MakeItemFieldNames() {
    ItemFieldNames names;
    for (int k = 0; k < 2 * kItemKinds; ++k) {
        const std::string_view parts[2] = {
            kItems[k / 2].saveName, k % 2 == 0 ? std::string_view("'s item number") : std::string_view(" count")};
        for (std::string_view part : parts)
            for (char c : part) names.text[k][names.size[k]++] = c;
    }
    return names;
}
inline constexpr ItemFieldNames kItemFieldNames = MakeItemFieldNames();
}  // namespace detail

namespace detail {
constexpr std::array<std::string_view, kHeroStartRow + 1> MakeHeroFields() {
    std::array<std::string_view, kHeroStartRow + 1> fields{};
    constexpr std::string_view kBefore[kHeroFirstItem] = {"name",
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
                                                          "reserved number"};
    for (int k = 0; k < kHeroFirstItem; ++k) fields[k] = kBefore[k];
    for (int k = 0; k < 2 * kItemKinds; ++k)
        fields[kHeroFirstItem + k] = std::string_view(detail::kItemFieldNames.text[k], detail::kItemFieldNames.size[k]);
    fields[kHeroStartColumn] = "start column";
    fields[kHeroStartRow] = "start row";
    return fields;
}
}  // namespace detail
inline constexpr auto kHeroFields = detail::MakeHeroFields();
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
