#include "program/resume.h"

#include "console/console.h"
#include "core/data_files.h"
#include "core/save_keeping.h"
#include "program/startup.h"
#include "field/field_view.h"
#include "field/map_files.h"

namespace rf {

void ResumeGame(const SaveData& save) {
    SetTextAttribute(kPlain);
    HideCursor();
    LoadAllEnemyStatus();
    LoadAllAbilities();
    LoadMapForms(worldNumber);
    hero = save.hero;
    itemEffects = save.effects;
    saveKeeping.queenMarkShown = save.queenMarkShown;
    saveKeeping.kingMarkShown = save.kingMarkShown;
    if (save.queenMarkShown || save.kingMarkShown) OpenStrip();
    LoadMapEnemies(worldNumber);
    DrawFirstFieldScreen();
    DrawCurrentPieceMark();
    if (hero.mapNumber == worldInfo.queenMark.map) saveKeeping.queenMarkShown = true;
    else if (hero.mapNumber == worldInfo.kingMark.map) saveKeeping.kingMarkShown = true;
}

}  // namespace rf
