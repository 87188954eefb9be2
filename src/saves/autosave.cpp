#include "saves/autosave.h"

#include "core/save_keeping.h"
#include "core/texts.h"
#include "core/world_about.h"
#include "platform/player_files.h"
#include "platform/streams.h"
#include "saves/save_files.h"
#include "text/cp932.h"
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
    // Only a name that a save's line carries exactly.
    if (std::string name; Cp932ToUtf8Exactly(worldAbout.name, name)) save.worldName = name;
    save.worldDigest = saveKeeping.worldDigest;
    save.startedAt = saveKeeping.startedAt;
    save.savedAt = platform::WallClockSeconds();
    save.hero = saveKeeping.inBattle      ? saveKeeping.heroBeforeBattle
                : saveKeeping.changingMap ? saveKeeping.heroBeforeMapChange
                                          : hero;
    save.effects = saveKeeping.inBattle ? saveKeeping.effectsBeforeBattle : itemEffects;
    save.queenMarkShown = saveKeeping.queenMarkShown;
    save.kingMarkShown = saveKeeping.kingMarkShown;
    save.markOnScreen = saveKeeping.inBattle      ? saveKeeping.markOnScreenBeforeBattle
                        : saveKeeping.changingMap ? saveKeeping.markOnScreenBeforeMapChange
                                                  : pieceMarkOnScreen;
    save.journey = journey;
    save.language = !saveKeeping.unknownLanguage.empty() && language == saveKeeping.languageInstead
                        ? saveKeeping.unknownLanguage
                        : std::string(kLanguageCodes[language]);
    if (saveKeeping.sessionWallStart > 0 && save.savedAt > saveKeeping.sessionWallStart)
        save.journey.secondsBefore += static_cast<std::uint32_t>(save.savedAt - saveKeeping.sessionWallStart);
    return save;
}

bool WriteSave() {
    if (!saveKeeping.enabled || saveKeeping.stopped) return true;
    saveKeeping.loadsAtSave = fieldEnemies.loads;
    saveKeeping.lastProblem.clear();
    const SaveData save = CurrentSave();
    bool changed = false;
    if (platform::WriteFileAtomically(saveKeeping.path, ComposeSave(save), saveKeeping.file, changed,
                                      saveKeeping.lastProblem))
        return true;
    if (!changed) return false;
    // Someone else's file now stands under the save's name: it is left
    // alone, and the game goes on under a new name beside it.
    const std::string replaced = saveKeeping.path;
    const platform::FileIdentity old = saveKeeping.file;
    const std::size_t slash = replaced.find_last_of("/\\");
    std::string problem;
    const std::string path =
        WriteNewSave(slash == std::string::npos ? "" : replaced.substr(0, slash), save, saveKeeping.file, problem);
    if (path.empty()) {
        saveKeeping.file = old;
        saveKeeping.lastProblem = "its name holds another file now, and no new one could be made: " + problem;
        return false;
    }
    platform::LetGoOfFile(old);
    ReleaseSave(replaced);
    if (saveKeeping.replacedName.empty()) saveKeeping.replacedName = replaced;
    saveKeeping.path = path;
    return true;
}

void NoteMapChange() {
    saveKeeping.heroBeforeMapChange = hero;
    saveKeeping.markOnScreenBeforeMapChange = pieceMarkOnScreen;
    saveKeeping.changingMap = true;
}

void NoteMapChanged() { saveKeeping.changingMap = false; }

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
    const bool saved = WriteSave();
    // Also when the game never started (a missing map's notice): the lock of a continued save goes.
    if (!saveKeeping.path.empty()) ReleaseSave(saveKeeping.path);
    platform::LetGoOfFile(saveKeeping.file);
    if (!saveKeeping.unavailable.empty())
        return "ranks: this game was not saved: " + Escaped(saveKeeping.unavailable) + "\n";
    if (!saveKeeping.enabled) return "";
    const std::string where = Escaped(saveKeeping.path);
    if (!saved)
        return "ranks: the game could not be saved to " + where + ": " + Escaped(saveKeeping.lastProblem) + "\n";
    std::string words;
    if (!saveKeeping.replacedName.empty())
        words += "ranks: " + Escaped(saveKeeping.replacedName) +
                 " was replaced by another file during the game: that file is left as it is\n";
    // A save outside the data folder is resumed by its whole path.
    std::string problem;
    const std::string folder = platform::UserDataDirectory(problem);
    const std::string& path = saveKeeping.path;
    const bool inDataFolder = !folder.empty() && path.size() > FileName(path).size() &&
                              platform::AbsolutePath(path.substr(0, path.size() - FileName(path).size() - 1)) ==
                                  platform::AbsolutePath(folder);
    const std::string how =
        Escaped(inDataFolder ? platform::HowToResume(saveKeeping.command, FileName(path), saveKeeping.defaultWorld)
                             : platform::HowToResume(saveKeeping.command, path, false));
    return words + "ranks: the game is saved" + std::string(saveKeeping.stopped ? " as it was before that map" : "") +
           " (" + where + "); " + how + " resumes it\n";
}

void SaveOnQuit() {
    if (const std::string words = SaveForQuitting(); !words.empty()) platform::PrintError(words);
}

}  // namespace rf
