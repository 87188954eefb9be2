#include "saves/autosave.h"

#include "core/save_keeping.h"
#include "platform/player_files.h"
#include "platform/streams.h"
#include "text/escape.h"

namespace rf {
namespace {

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

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
    save.markOnScreen = saveKeeping.inBattle ? saveKeeping.markOnScreenBeforeBattle : pieceMarkOnScreen;
    save.journey = journey;
    if (saveKeeping.sessionWallStart > 0 && save.savedAt > saveKeeping.sessionWallStart)
        save.journey.secondsBefore += static_cast<std::uint32_t>(save.savedAt - saveKeeping.sessionWallStart);
    return save;
}

bool WriteSave() {
    if (!saveKeeping.enabled || saveKeeping.stopped) return true;
    saveKeeping.loadsAtSave = fieldEnemies.loads;
    saveKeeping.lastProblem.clear();
    return platform::WriteFileAtomically(saveKeeping.path, ComposeSave(CurrentSave()), saveKeeping.lastProblem);
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
    saveKeeping.markOnScreenBeforeBattle = pieceMarkOnScreen;
    saveKeeping.inBattle = true;
}

void SaveAfterBattle() {
    saveKeeping.inBattle = false;
    WriteSave();
}

void NoteStop() { saveKeeping.stopped = true; }

void SaveNow() { WriteSave(); }

std::string SaveForQuitting() {
    if (!saveKeeping.unavailable.empty())
        return "ranks: this game was not saved: " + Escaped(saveKeeping.unavailable) + "\n";
    if (!saveKeeping.enabled) return "";
    const std::string where = Escaped(saveKeeping.path);
    if (!WriteSave())
        return "ranks: the game could not be saved to " + where + ": " + Escaped(saveKeeping.lastProblem) + "\n";
    const std::string how =
        Escaped(platform::HowToResume(saveKeeping.command, FileName(saveKeeping.path), saveKeeping.defaultWorld));
    return "ranks: the game is saved" + std::string(saveKeeping.stopped ? " as it was before that map" : "") + " (" +
           where + "); " + how + " resumes it\n";
}

void SaveOnQuit() {
    if (const std::string words = SaveForQuitting(); !words.empty()) platform::PrintError(words);
}

}  // namespace rf
