// The field screen: the current map with its enemies and the hero, the
// mini-map window, the key legend, the Queen and King marks and the
// frames of the scroll between maps.
#pragma once

#include "text/sj_literal.h"

#include <string_view>

#include "core/game_state.h"

namespace rf {

// The symbols the key legend shows for Pawn, Knight, Bishop, Rook, Queen
// and King (the field draws those of the enemy files).
inline constexpr std::string_view kLegendSymbols[] = {"◎"_sj, "△"_sj, "○"_sj, "□"_sj, "Ω"_sj, "Ψ"_sj};

void DrawField();
void DrawMiniMapFrame();
void DrawMiniMap();
void DrawMiniMapMark();
void DrawLegend();
// For a screen reader (the web page's live region): the map, level and HP,
// the ways out of the hero's cell, the map's signs and its enemies.
void NarrateField();
// Asked for on the field (kKeyWhere): where the hero stands, then the rest.
void NarrateWhere();
// After a step: the wall bumped with the direction key `key`; or what
// changed and matters (a way off the map in reach, a sign passed, an
// enemy nearer). After an enemy's step: the enemies nearer.
void NarrateBump(int key);
void NarrateStep();
void NarrateApproach();
// Tells a view that shows a part of the screen where the hero is.
void FocusOnHero();
void DrawSymbolAt(std::string_view text, int x, int y);
// Draws the mark highlighted and opens the strip.
void DrawPieceMark(std::string_view symbol, const PieceMark& mark);
void OpenStrip();
// One frame of the sideways scroll, shift -(kMapColumns - 1) to kMapColumns - 1,
// from the cursor at (0, 0).
void DrawScrollColumns(int shift);
// One frame of the up-and-down scroll, shift -(kMapRows - 1) to kMapRows - 1.
void DrawScrollRows(int shift);

// The enemies of the current list, drawn with their kinds' symbols.
void DrawFieldEnemies();
// The current map's Queen or King mark, as entering the map draws it (and
// opens the strip).
void DrawCurrentPieceMark();
// The journey's lines and closing scene are a plain game's: off in the
// original's look and in replays of games recorded before them.
inline bool JourneyLinesShown() { return !settings.classic && settings.edition >= 2; }
// The line under the map, blanked (the hero leaves the map).
void ClearFieldLine();
// Draws `width` cells from (x, y) as the field holds them now: the map's
// characters, the piece mark while it is on the screen, the enemies and the
// hero standing there. A mover erases its old cells with it, so nothing it
// passed over vanishes.
void RestoreFieldCells(int x, int y, int width = 2);

}  // namespace rf
