#include "saves/autosave.h"

#include "core/save_keeping.h"
#include "platform/streams.h"
#include "platform/player_files.h"
#include "text/escape.h"

namespace rf {

SaveData CurrentSave() {
    SaveData save;
    save.world = saveKeeping.world;
    save.worldDigest = saveKeeping.worldDigest;
    save.startedAt = saveKeeping.startedAt;
    save.savedAt = platform::WallClockSeconds();
    save.hero = saveKeeping.inBattle ? saveKeeping.heroBeforeBattle : hero;
    save.effects = saveKeeping.inBattle ? saveKeeping.effectsBeforeBattle : itemEffects;
    save.queenMarkShown = saveKeeping.queenMarkShown;
    save.kingMarkShown = saveKeeping.kingMarkShown;
    return save;
}

bool WriteSave() {
    if (!saveKeeping.enabled) return true;
    saveKeeping.loadsAtSave = fieldEnemies.loads;
    return platform::WriteFileAtomically(saveKeeping.path, ComposeSave(CurrentSave()));
}

void SaveIfMapChanged() {
    if (!saveKeeping.enabled || fieldEnemies.loads == saveKeeping.loadsAtSave) return;
    // The marks of the map just entered have been drawn, and their strip opened.
    if (hero.mapNumber == worldInfo.queenMark.map) saveKeeping.queenMarkShown = true;
    else if (hero.mapNumber == worldInfo.kingMark.map) saveKeeping.kingMarkShown = true;
    WriteSave();
}

void NoteEncounter() {
    saveKeeping.heroBeforeBattle = hero;
    saveKeeping.effectsBeforeBattle = itemEffects;
    saveKeeping.inBattle = true;
}

void SaveAfterBattle() {
    saveKeeping.inBattle = false;
    WriteSave();
}

void SaveOnQuit() {
    if (!WriteSave()) platform::PrintError("ranks: the game could not be saved to " + Escaped(saveKeeping.path) + "\n");
}

}  // namespace rf
