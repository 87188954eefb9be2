// The files a world is made of, named once: their folders and names (built
// from the world number, as the game has always named them), which the game
// cannot do without, and the order in which the world's digest takes them.
// The loaders, the world checker, the digest, start-up and the fuzz targets
// all go by this list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/map_geometry.h"

namespace rf {

enum class WorldFileKind {
    kHero,       // Hero_Info/Hero_Status_Info.txt
    kEnemy,      // Enemy_Info/<Kind>_Status_Info.txt, index 0 Pawn to 5 King
    kAbility,    // Abilities/<Name>.txt, index 0 SwordCut to 4 AbsoluteObedience
    kWorldInfo,  // map_info/map1.txt
    kMiniMap,    // mini_map/map1.txt
    kMapForm,    // map_form/map1/<n>.txt, index the map number 1 to 9
    kEnemyList,  // map_info/map1/<n>.txt, index the map number 1 to 9
};

struct WorldFileId {
    WorldFileKind kind;
    int index = 0;
    bool operator==(const WorldFileId&) const = default;
};

// The data folders a world folder holds.
inline constexpr std::string_view kDataFolders[] = {"Hero_Info", "Enemy_Info", "Abilities",
                                                    "map_form",  "map_info",   "mini_map"};

inline constexpr int kEnemyKinds = 6;
inline constexpr int kAbilities = 5;

// The kinds and the abilities as their files (and the tools) name them.
inline constexpr std::string_view kKindNames[kEnemyKinds] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};
inline constexpr std::string_view kAbilityNames[kAbilities] = {"SwordCut", "Flame", "BigRevolveSword", "HellFlame",
                                                               "AbsoluteObedience"};

// The file's path under the world folder, folders separated by '/'. The
// map files' names are built from the world number (always 1).
std::string WorldFileName(WorldFileId file, int world = 1);
// Every file of the world, in the digest's order: the hero, the six kinds,
// the five abilities, the world info, the mini-map, then for each map its
// picture and its enemy list.
std::vector<WorldFileId> WorldFiles();

}  // namespace rf
