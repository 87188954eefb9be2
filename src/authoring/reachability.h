// Where the hero and the enemies of a loaded world can go, found with the
// game's own passability test and map passage.
#pragma once

#include <array>
#include <bitset>

#include "core/game_state.h"

namespace rf::authoring {

// Cells of one map that a two-cell mark can stand on.
inline constexpr int kMarkColumns = kLastHeroColumn + 1;
using CellSet = std::bitset<kMarkColumns * kMapRows>;
inline std::size_t CellIndex(int x, int y) { return static_cast<std::size_t>(y * kMarkColumns + x); }

struct HeroReach {
    std::array<CellSet, kMaps + 1> cells;  // by map number; [0] unused
    bool stripOpened = false;
};

// Flood fill from the hero's start (map `hero.mapNumber`, cell fieldX,
// fieldY) over every step the keys allow, through every map passage; the
// strip opens (in worldGrid, as in the game) once a map that shows a mark
// is entered. Changes hero.mapNumber while it works and restores it.
HeroReach FloodHero();

// Whether an enemy starting at (x, y) of map `map` can ever come into
// contact with the hero somewhere the hero can stand.
bool EnemyCanReach(int map, int x, int y, const CellSet& heroCells);

}  // namespace rf::authoring
