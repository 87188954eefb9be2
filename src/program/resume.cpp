#include "program/resume.h"

#include "console/console.h"
#include "core/data_files.h"
#include "core/save_keeping.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "program/startup.h"

namespace rf {
namespace {

// A hand-edited save may stand the hero on a wall, where no step can take
// him away: he starts on the nearest free cell instead.
std::string FreeTheHero() {
    int x = hero.fieldX, y = hero.fieldY;
    if (StandsFree(hero.mapNumber, x, y) || !NearestFreeCell(hero.mapNumber, x, y)) return "";
    const std::string from = "(" + std::to_string(hero.fieldX) + ", " + std::to_string(hero.fieldY) + ")";
    hero.fieldX = static_cast<std::int16_t>(x);
    hero.fieldY = static_cast<std::int16_t>(y);
    return "puts the hero on a wall at " + from + " of map " + std::to_string(hero.mapNumber) + ": he starts at (" +
           std::to_string(x) + ", " + std::to_string(y) + ")";
}

}  // namespace

std::string ResumeGame(const SaveData& save) {
    std::string moved = LoadResumedGame(save);
    DrawResumedGame(save);
    return moved;
}

std::string LoadResumedGame(const SaveData& save) {
    LoadAllEnemyStatus();
    LoadAllAbilities();
    LoadMapForms(worldNumber);
    hero = save.hero;
    itemEffects = save.effects;
    journey = save.journey;
    saveKeeping.queenMarkShown = save.queenMarkShown;
    saveKeeping.kingMarkShown = save.kingMarkShown;
    if (save.queenMarkShown || save.kingMarkShown) OpenStrip();
    std::string moved = FreeTheHero();
    LoadMapEnemies(worldNumber);
    return moved;
}

void DrawResumedGame(const SaveData& save) {
    SetTextAttribute(kPlain);
    HideCursor();
    DrawFirstFieldScreen();
    // The mark as it was on the screen when the game was saved.
    if (save.markOnScreen) {
        DrawCurrentPieceMark();
        if (hero.mapNumber == worldInfo.queenMark.map) saveKeeping.queenMarkShown = true;
        else if (hero.mapNumber == worldInfo.kingMark.map) saveKeeping.kingMarkShown = true;
    }
}

}  // namespace rf
