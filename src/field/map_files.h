// The world's files: the nine map pictures, the world info, the enemy list
// of the current map and the mini-map picture, and where each map lies in
// the world grid.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/game_state.h"
#include "core/load_log.h"
#include "core/map_geometry.h"

namespace rf {

// Map n lies in map row (n - 1) / 3 and map column (n - 1) % 3 of the world.
int MapRowOf(int map);
int MapColumnOf(int map);
// Grid origin of map n.
int OriginRow(int map);
int OriginColumn(int map);
bool IsMapNumber(int map);

// A grid cell; anything beyond the world reads as a wall.
unsigned char GridCell(int gridX, int gridY);
// The cell as the field draws it: the world's translation over the picture.
unsigned char DrawnCell(int gridX, int gridY);

void LoadMapForms(std::int16_t world);
// Draws in language `lang` from now on: the catalogue's texts and the
// world's translation into it (the field is drawn again by the caller).
void UseLanguage(std::int16_t lang);
// One map picture of LoadMapForms.
void LoadMapForm(std::int16_t world, int n);
void LoadWorldInfo(const std::string& path);
// For the world checker: where in map n's file (at `path`) the game takes
// the map's cell (x, y) from. A row shifted by a longer or shorter line
// takes it from another line than the row's own.
LoadToken MapCellSource(const std::string& path, int x, int y);
void LoadMapEnemies(std::int16_t world);
void LoadMiniMap(std::int16_t world);

EnemyStatus& EnemyRecordOf(std::int32_t kind);
std::string_view EnemySymbolOf(std::int32_t kind);

// An entry at (0, 0) stands for nobody.
bool IsEmptyEntry(const FieldEnemy& entry);

}  // namespace rf
