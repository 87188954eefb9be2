#include "field/hero_movement.h"

#include <algorithm>
#include <cstdlib>

#include "console/console.h"
#include "core/game_state.h"
#include "field/field_menu.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "saves/autosave.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

// Cell (x, y) of the current map; off its edges it reaches into the
// neighbours, and beyond the world it is a wall.
bool Wall(int x, int y) { return GridCell(OriginColumn(hero.mapNumber) + x, OriginRow(hero.mapNumber) + y) != ' '; }

// The hero stands on the King's mark (its two cells) for the first time.
bool ReachesTheKing() {
    const PieceMark& king = worldInfo.kingMark;
    return JourneyLinesShown() && journey.kingReachedAt < 0 && hero.mapNumber == king.map &&
           king.map != worldInfo.queenMark.map && hero.fieldY == king.y - 1 &&
           std::abs(hero.fieldX - (king.x - 1)) <= 1;
}

}  // namespace

int TestStep(int key, int x, int y) {
    switch (key) {
        case kKeyUp:
            if (Wall(x, y - 1) || Wall(x + 1, y - 1)) return kStepBlocked;
            return y == 0 ? kStepLeavesMap : kStepFull;
        case kKeyDown:
            if (Wall(x, y + 1) || Wall(x + 1, y + 1)) return kStepBlocked;
            return y == kLastHeroRow ? kStepLeavesMap : kStepFull;
        case kKeyLeft:
            if (Wall(x - 1, y)) return kStepBlocked;
            if (Wall(x - 2, y)) return kStepShort;
            if (x == 1) return kStepShort;
            if (x == 0) return kStepLeavesMap;
            return kStepFull;
        case kKeyRight:
            if (Wall(x + 2, y)) return kStepBlocked;
            if (Wall(x + 3, y)) return kStepShort;
            if (x == kRightExitColumn - 1) return kStepShort;
            if (x == kRightExitColumn) return kStepLeavesMap;
            return kStepFull;
        default: return kStepFull;
    }
}

void MoveHero(int key) {
    const int r = TestStep(key, hero.fieldX, hero.fieldY);
    if (r == kStepBlocked) {
        NarrateBump(key);
        return;
    }
    int x = hero.fieldX;
    int y = hero.fieldY;
    if (r != kStepLeavesMap) {
        if (key == kKeyUp) y -= 1;
        if (key == kKeyDown) y += 1;
        if (key == kKeyLeft) x -= r == kStepShort ? 1 : 2;
        if (key == kKeyRight) x += r == kStepShort ? 1 : 2;
        // The hero leaves a map only by passing to its neighbour.
        if (x < 0 || x > kLastHeroColumn || y < 0 || y >= kMapRows) return;
    }
    if (r == kStepLeavesMap && (key == kKeyUp || key == kKeyDown || key == kKeyLeft || key == kKeyRight)) {
        MoveTo(hero.fieldX, hero.fieldY);
        WriteLine("  ");
        EnterNeighbourMap(key);
        return;
    }
    const int oldX = hero.fieldX;
    const int oldY = hero.fieldY;
    hero.fieldX = static_cast<std::int16_t>(x);
    hero.fieldY = static_cast<std::int16_t>(y);
    // What the hero stood on (an enemy, a piece mark) shows again.
    RestoreFieldCells(oldX, oldY);
    MoveTo(hero.fieldX, hero.fieldY);
    WriteLine("●"_sj);
    FocusOnHero();
    if (x != oldX || y != oldY) NarrateStep();
}

void PollHeroKey() {
    if (!KeyWaiting()) return;
    const int code = ReadKey();
    // As the original played, Space and Esc do nothing on a classic field.
    if ((code == kKeySpace || code == kKeyEscape) && !settings.classic) {
        RunFieldMenu();
        return;
    }
    // Said, not walked: the hero stays and nothing is drawn.
    if (code == kKeyWhere || code == kKeyWhereCapital) {
        NarrateWhere();
        return;
    }
    MoveHero(code);
    SaveIfMapChanged();
    if (ReachesTheKing()) RunJourneyEnd();
}

void EnterNeighbourMap(int direction) {
    const bool sideways = direction == kKeyLeft || direction == kKeyRight;
    int delta = 0;
    int firstShift = 0;
    if (direction == kKeyRight) delta = 1, firstShift = -(kMapColumns - 1);
    if (direction == kKeyLeft) delta = -1, firstShift = kMapColumns - 1;
    if (direction == kKeyDown) delta = kMapsAcross, firstShift = -(kMapRows - 1);
    if (direction == kKeyUp) delta = -kMapsAcross, firstShift = kMapRows - 1;
    NoteMapChange();
    if (JourneyLinesShown()) ClearFieldLine();
    hero.mapNumber = static_cast<std::int16_t>(hero.mapNumber + delta);
    LoadMapEnemies(worldNumber);
    DrawMiniMap();
    DrawMiniMapMark();
    MoveTo(0, 0);
    const int step = firstShift < 0 ? 1 : -1;
    for (int s = firstShift;; s += step) {
        if (sideways) DrawScrollColumns(s);
        else DrawScrollRows(s);
        MoveTo(0, 0);
        Pause(sideways ? kScrollColumnFrameMs : kScrollRowFrameMs);
        if (s == 0) break;
    }
    if (direction == kKeyRight) hero.fieldX = 0;
    if (direction == kKeyLeft) hero.fieldX = kRightExitColumn;
    if (direction == kKeyDown) hero.fieldY = 0;
    if (direction == kKeyUp) hero.fieldY = kLastHeroRow;
    NoteMapChanged();
    MoveTo(hero.fieldX, hero.fieldY);
    WriteLine("●"_sj);
    DrawFieldEnemies();
    DrawCurrentPieceMark();
    NarrateField();
}

bool StandsFree(int map, int x, int y) {
    return GridCell(OriginColumn(map) + x, OriginRow(map) + y) == ' ' &&
           GridCell(OriginColumn(map) + x + 1, OriginRow(map) + y) == ' ';
}

bool NearestFreeCell(int map, int& x, int& y) {
    const int fromX = x, fromY = y;
    int best = -1;
    for (int cy = 0; cy < kMapRows; ++cy)
        for (int cx = 0; cx <= kLastHeroColumn; ++cx) {
            const int distance = std::abs(cx - fromX) + std::abs(cy - fromY);
            if (StandsFree(map, cx, cy) && (best < 0 || distance < best)) best = distance, x = cx, y = cy;
        }
    return best >= 0;
}

void ClampHeroCell() {
    hero.fieldX = std::clamp<std::int16_t>(hero.fieldX, 0, kLastHeroColumn);
    hero.fieldY = std::clamp<std::int16_t>(hero.fieldY, 0, kMapRows - 1);
}

}  // namespace rf
