#include "program/session.h"

#include <string_view>
#include <utility>

#include "console/spoken.h"
#include "core/game_state.h"
#include "core/save_keeping.h"
#include "core/setting_table.h"
#include "core/texts.h"
#include "core/world_folder.h"
#include "platform/cast.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/player_files.h"
#include "platform/recording.h"
#include "platform/streams.h"
#include "program/resume.h"
#include "program/startup.h"
#include "replay/recording_file.h"
#include "replay/state_digest.h"
#include "saves/autosave.h"
#include "saves/save_files.h"
#include "saves/world_digest.h"
#include "text/cp932.h"
#include "text/escape.h"

namespace rf {
namespace {

// One line on standard error, with whatever a file or path brought in made
// harmless; the status is 1 for a file that cannot be used, 2 for nothing to use.
int Refuse(const std::string& line, int status = 1) {
    platform::PrintError("ranks: " + Escaped(line) + "\n");
    return status;
}

// The end of a headless replay: the last screen, the records' digest and a
// digest of every screen on the way.
void PrintFinalScreen() {
    std::string out;
    for (const std::string& line : platform::HeadlessScreenLines()) out += line + "\n";
    out += "state: " + StateDigest() + "\n";
    out += "screens: " + platform::HeadlessScreensDigest() + "\n";
    platform::PrintOut(out);
}

// The end of a replay into an asciicast (--cast): its title names the
// world, the language and the hero's level at the end.
void WriteFinalCast() {
    // A world of the player's own by its folder's name: the path before it
    // is nobody else's business.
    std::string world = SavedWorldName();
    world.erase(0, world.find_last_of("/\\", world.size() - 2) + 1);
    const std::string title = "Ranks & Files: " + world + ", " + std::string(kLanguageCodes[language]) + ", level " +
                              std::to_string(hero.level);
    std::string problem;
    if (platform::WriteCast(title, problem)) return;
    Refuse("the cast was not written: " + problem);
    platform::Exit(1);
}

// The end of a replay kept as a new game of its own (--end-save): another
// player may go on from where the recording stops, in a copy that leaves
// the recorded game's own save alone.
void SaveReplayEnd() {
    std::string problem;
    const std::string folder = platform::UserDataDirectory(problem);
    platform::FileIdentity made;
    if (!folder.empty() && platform::PrepareUserDataDirectory(folder, problem) &&
        !WriteNewSave(folder, CurrentSave(), made, problem).empty()) {
        platform::LetGoOfFile(made);
        return;
    }
    platform::PrintError("ranks: the end of the replay was not kept: " + Escaped(problem) + "\n");
}

int Replay(const Options& options) {
    const std::string& world = options.world;
    std::string problem;
    const std::string file = InDataFolder(options.replayFile, platform::UserDataDirectory(problem));
    // Bounded and never waiting, whatever the path names: the header is read
    // first, the events a line at a time as the replay goes.
    const platform::DataFileBytes head = platform::ReadDataFile(file, kLongestRecordingHeader);
    if (head.problem != platform::FileProblem::kNone)
        return Refuse(file + ": cannot be read (" + std::string(platform::ProblemText(head.problem)) + ")");
    RecordingHeader header;
    std::size_t eventsAt = 0;
    std::string error;
    if (!ParseRecording(head.bytes, header, eventsAt, error)) return Refuse(file + ": cannot be replayed: " + error);
    if (world.empty() && platform::DirectoryExists(WorldFolderOf(header.world))) dataRoot = WorldFolderOf(header.world);
    if (WorldDigest() != header.worldDigest)
        return Refuse(file + ": recorded on another world (its files differ from " +
                      (dataRoot.empty() ? std::string(".") : dataRoot) + "); give that world with --world DIR");
    // Played as it was played, and drawn so unless the command line says
    // otherwise; the menu's changes stay in the replay.
    for (const SettingRow& row : AllSettings()) {
        const int played = row.get(header.played, header.language);
        if (row.recorded == Recorded::kNot || played < 0 || (row.replayMayDiffer && GivenValue(options, row.key) >= 0))
            continue;
        row.set(settings, language, played);
    }
    if (GivenValue(options, SettingKey::kLook) < 0) platform::UseConsoleLook(settings.consoleLook || settings.classic);
    const bool cast = !options.castFile.empty();
    if (const std::string why = cast ? platform::CastFileProblem(options.castFile) : ""; !why.empty())
        return Refuse("cannot cast to " + options.castFile + ": " + why, 2);
    if (!platform::StartReplay(file, eventsAt, options.speed, options.headless || cast, error))
        return Refuse(file + ": cannot be replayed: " + error);
    if (cast) platform::StartCast(options.castFile, options.speed);
    if (options.endSave) {
        // What a save of the game says of its world and its start.
        saveKeeping.world = header.world;
        saveKeeping.worldDigest = header.worldDigest;
        saveKeeping.startedAt = header.resumed ? header.save.startedAt : platform::WallClockSeconds();
    }
    if (cast) platform::SetBeforeExit(WriteFinalCast);
    else if (options.headless) platform::SetBeforeExit(PrintFinalScreen);
    else platform::Open();
    if (options.endSave) platform::SetBeforeExit(SaveReplayEnd);
    settings.edition = static_cast<std::uint8_t>(header.edition);
    settings.kept = SettingsKept::kNotInAReplay;
    if (header.resumed) ResumeGame(header.save);
    else StartUp({header.startMap, header.startX, header.startY, header.level});
    if (header.settingsGiven) journey.sessionStart = platform::ClockSeconds();
    MainLoop();
}

// The save to continue, or a refusal.
int FindSave(const Options& options, const std::string& folder, SaveEntry& entry) {
    if (!options.continueFile.empty()) {
        const std::string file = InDataFolder(options.continueFile, folder);
        entry = ReadSaveFile(file);
        if (!entry.readable) return Refuse(file + ": cannot be resumed: " + entry.error);
        return 0;
    }
    if (!folder.empty() && LatestSaveOf(folder, SavedWorldName(), entry)) return 0;
    return Refuse("no saved game of this world to continue" + (folder.empty() ? std::string() : " in " + folder), 2);
}

// The world a continued game plays: its own, unless --world names another
// folder holding the same files (a world that was moved).
int ChooseResumedWorld(const Options& options, const SaveEntry& resumed) {
    const std::string savedWorld = WorldFolderOf(resumed.data.world);
    if (options.world.empty()) {
        if (platform::DirectoryExists(savedWorld)) {
            if (!options.continueFile.empty()) dataRoot = savedWorld;
        } else if (resumed.data.world != SavedWorldName()) {
            // Never played on another world instead.
            return Refuse(resumed.path + " was saved on the world " + resumed.data.world +
                              ", which is not there: give that world with --world DIR",
                          2);
        }
        return 0;
    }
    if (SavedWorldName() == resumed.data.world || WorldDigest() == resumed.data.worldDigest) return 0;
    return Refuse(resumed.path + " was saved on the world " + resumed.data.world + ", whose files differ from " +
                      options.world + ": continue it without --world, or give that world",
                  2);
}

// Why the player's own file for --record may not be written: only a new
// file, an empty one or an earlier recording is, never a save (above all
// the one in play) or any other file of the player's.
std::string RecordFileProblem(const std::string& path) {
    std::string problem = platform::OutputFileProblem(path);
    const platform::DataFileBytes head = platform::ReadDataFile(path, 64);
    if (!problem.empty() || head.problem != platform::FileProblem::kNone || head.bytes.empty() ||
        LooksLikeRecording(head.bytes))
        return problem;
    return LooksLikeSave(head.bytes) ? "it is a saved game" : "it is not a recording, and would be overwritten";
}

// Refused at once, before anything is written.
int CheckRecordFile(const Options& options) {
    if (options.recordFile.empty()) return 0;
    const std::string problem = RecordFileProblem(options.recordFile);
    return problem.empty() ? 0 : Refuse("cannot record to " + options.recordFile + ": " + problem, 2);
}

// The recordings of this session, opened once the game has started: beside
// the save, and the player's own. A recording that cannot be made is said
// when the game ends.
void StartRecordings(const Options& options, const RecordingHeader& header) {
    std::vector<std::FILE*> files;
    std::string farewell;
    if (saveKeeping.enabled) {
        std::string beside;
        if (std::FILE* file = OpenRecordingBeside(saveKeeping.path, beside)) files.push_back(file);
    }
    if (!options.recordFile.empty()) {
        bool taken = false;
        // Again, for a file put there since the game began.
        std::string problem = RecordFileProblem(options.recordFile);
        if (std::FILE* file =
                problem.empty() ? platform::OpenOutputFile(options.recordFile, false, taken, problem) : nullptr)
            files.push_back(file);
        else
            farewell =
                "ranks: the game was not recorded to " + Escaped(options.recordFile) + ": " + Escaped(problem) + "\n";
    }
    platform::SetFarewell(farewell);
    platform::StartRecording(files, ComposeRecordingHeader(header));
}

// The lock of the save to continue, or a refusal; where no lock can be
// had the player is told, and the game goes on.
int HoldResumed(const std::string& path) {
    std::string said;
    switch (HoldSave(path, said)) {
        case platform::LockResult::kHeld: return 0;
        case platform::LockResult::kHeldElsewhere:
            return Refuse(
                path + " is being played in another window (" + said + "): quit that game first, or start a new one",
                2);
        case platform::LockResult::kNotALock:
            return Refuse(path + " cannot be locked: the name of its lock file beside it is taken (" + said +
                          "); remove that if no game is playing it");
        case platform::LockResult::kCannotLock:
            platform::PrintError("ranks: warning: " + Escaped(path) + " cannot be locked here (" + Escaped(said) +
                                 "): do not continue it in another window while this game runs\n");
            platform::Sleep(2000);
            return 0;
    }
    return 0;
}

// The save's own file held for this game: one game per file, whatever
// name or hard link reached it; or a refusal.
int HoldResumedFile(const std::string& path) {
    std::string said;
    if (platform::HoldFile(path, saveKeeping.file, said) == platform::LockResult::kHeldElsewhere) {
        ReleaseSave(path);
        return Refuse(
            path + " is being played in another window (" + said + "): quit that game first, or start a new one", 2);
    }
    if (!saveKeeping.file.known) platform::IdentifyFile(path, saveKeeping.file);
    return 0;
}

// In the words it was played in, unless --lang says otherwise; a language
// this game lacks is said once, and kept in the save as it was.
void ChooseResumedLanguage(const Options& options, const SaveEntry& resumed) {
    if (!options.language.empty() || resumed.data.language.empty()) return;
    if (const int known = LanguageIndex(resumed.data.language); known >= 0) {
        language = static_cast<std::int16_t>(known);
        return;
    }
    saveKeeping.unknownLanguage = resumed.data.language;
    saveKeeping.languageInstead = language;
    const std::string words =
        spoken::Say(TextId::kUnknownLanguage, {TextIn(language, TextId::kLanguageName), resumed.data.language});
    platform::PrintError("ranks: warning: " + Escaped(resumed.path) + " " + Cp932ToUtf8(words) + "\n");
    platform::Sleep(2000);
}

// The save to continue found, its world and language chosen, and its file
// held for this game's writes (or the player told it cannot be); or a
// refusal.
int PrepareResumed(const Options& options, const std::string& folder, SaveEntry& resumed) {
    if (int refused = FindSave(options, folder, resumed)) return refused;
    if (int refused = ChooseResumedWorld(options, resumed)) return refused;
    // The file itself, whatever name reached it: its lock, its writes and
    // its recordings belong there.
    resumed.path = platform::AbsolutePath(resumed.path);
    std::string problem;
    if (platform::CanWriteBeside(resumed.path, ComposeSave(resumed.data), problem)) {
        if (int refused = HoldResumed(resumed.path)) return refused;
        if (int refused = HoldResumedFile(resumed.path)) return refused;
        saveKeeping.path = resumed.path;
    } else {
        saveKeeping.unavailable = problem;
        platform::PrintError("ranks: this game will not be saved: " + Escaped(problem) + "\n");
        platform::Sleep(2000);
    }
    ChooseResumedLanguage(options, resumed);
    return 0;
}

int Play(const Options& options) {
    if (int refused = CheckRecordFile(options)) return refused;
    // Where the game is saved, or why it cannot be.
    std::string unavailable;
    std::string folder = platform::UserDataDirectory(unavailable);
    // A new game opens no save but its own: an interrupted game's leftovers
    // go when a game is continued.
    if (options.continueGame && !folder.empty() && platform::DirectoryExists(folder)) CleanLeftovers(folder);
    SaveEntry resumed;
    if (options.continueGame)
        if (int refused = PrepareResumed(options, folder, resumed)) return refused;
    if (!options.continueGame && !folder.empty() && !platform::PrepareUserDataDirectory(folder, unavailable))
        folder.clear();
    if (!options.continueGame && folder.empty()) {
        saveKeeping.unavailable = unavailable;
        platform::PrintError("ranks: this game will not be saved: " + Escaped(unavailable) + "\n");
        platform::Sleep(2000);
    }
    if (options.continueGame) {
        saveKeeping.worldDigest = WorldDigest();
        if (saveKeeping.worldDigest != resumed.data.worldDigest) {
            platform::PrintError("ranks: warning: the world's files have changed since this game was saved\n");
            platform::Sleep(2000);
        }
    }
    saveKeeping.world = SavedWorldName();
    saveKeeping.defaultWorld = saveKeeping.world == WorldFolderOf("default") || saveKeeping.world == "default";
    saveKeeping.startedAt = options.continueGame ? resumed.data.startedAt : platform::WallClockSeconds();

    // Start-up loads the world before the terminal is taken: a game that
    // cannot start (a missing map shows its notice, a console that is no
    // terminal) never writes a file. Nothing is drawn before the console is
    // taken: a Windows console would show it in the shell's own buffer.
    platform::SetBeforeExit(SaveOnQuit, SaveNow);
    std::string moved;
    const StartPlace place{options.startMap, options.startX, options.startY, options.level};
    if (options.continueGame) moved = LoadResumedGame(resumed.data);
    else LoadNewGame(place);
    if (!moved.empty()) {
        platform::PrintError("ranks: warning: " + Escaped(resumed.path) + " " + moved + "\n");
        platform::Sleep(2000);
    }
    platform::Open();
    if (options.continueGame) DrawResumedGame(resumed.data);
    else DrawNewGame(place);

    // The game has started: from now on it is saved and recorded.
    const bool writesNew = !options.continueGame && !folder.empty() && !options.noSave;
    if (writesNew) platform::AwaitPlayerFiles();
    // A new game's world is read for its digest only once its field is
    // drawn (and on the page shown, by the wait above): reading every file
    // twice before it would hold the field back.
    if (!options.continueGame) saveKeeping.worldDigest = WorldDigest();
    if (writesNew) {
        saveKeeping.path = WriteNewSave(folder, CurrentSave(), saveKeeping.file, unavailable);
        if (saveKeeping.path.empty()) saveKeeping.unavailable = unavailable;
    }
    saveKeeping.enabled = !saveKeeping.path.empty();
    RecordingHeader header{
        saveKeeping.world, saveKeeping.worldDigest, options.continueGame, resumed.data, true, settings, language};
    header.startMap = options.startMap, header.startX = options.startX, header.startY = options.startY;
    header.level = options.level;
    header.edition = kEdition;
    StartRecordings(options, header);
    settings.kept = options.noSave ? SettingsKept::kNotWithoutSaves : SettingsKept::kKept;
    // The time played counts from here, on the game's clock for the menu
    // (so a replay shows what was shown) and the wall clock for the save.
    journey.sessionStart = platform::ClockSeconds();
    saveKeeping.sessionWallStart = platform::WallClockSeconds();
    WriteSave();
    MainLoop();
}

}  // namespace

int RunSession(const Options& options) {
    if (options.listSaves) {
        std::string problem;
        const std::string folder = platform::UserDataDirectory(problem);
        if (folder.empty()) return Refuse("no folder for saved games: " + problem);
        // Listing makes no folder: one that is not there holds no games.
        platform::PrintOut(platform::DirectoryExists(folder) ? SavesListing(folder)
                                                             : "No saved games in " + Escaped(folder) + "\n");
        return 0;
    }
    if (!options.replayFile.empty()) return Replay(options);
    return Play(options);
}

}  // namespace rf
