#include "program/session.h"

#include <string_view>
#include <utility>

#include "core/game_state.h"
#include "core/save_keeping.h"
#include "core/world_folder.h"
#include "platform/console.h"
#include "platform/streams.h"
#include "platform/files.h"
#include "platform/player_files.h"
#include "platform/recording.h"
#include "replay/recording_file.h"
#include "replay/state_digest.h"
#include "saves/autosave.h"
#include "program/resume.h"
#include "saves/save_files.h"
#include "saves/world_digest.h"
#include "program/startup.h"
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

int Replay(const Options& options) {
    const std::string& world = options.world;
    const std::string& file = options.replayFile;
    std::string text, error;
    std::string_view events;
    RecordingHeader header;
    // Bounded and never waiting, whatever the path names; the room grows with
    // the recording (ten hours of play fit in the first).
    platform::DataFileBytes read;
    for (std::size_t room = std::size_t{1} << 20; room <= std::size_t{1} << 30; room <<= 4) {
        read = platform::ReadDataFile(file, room);
        if (read.problem != platform::FileProblem::kNone || !read.cut) break;
    }
    if (read.problem != platform::FileProblem::kNone) return Refuse(file + ": cannot be read");
    text = std::move(read.bytes);
    if (!ParseRecording(text, header, events, error)) return Refuse(file + ": cannot be replayed: " + error);
    if (world.empty() && platform::DirectoryExists(WorldFolderOf(header.world))) dataRoot = WorldFolderOf(header.world);
    if (WorldDigest() != header.worldDigest)
        return Refuse(file + ": recorded on another world (its files differ from " +
                      (dataRoot.empty() ? std::string(".") : dataRoot) + "); give that world with --world DIR");
    if (!platform::StartReplay(events, options.speed, options.headless, error))
        return Refuse(file + ": cannot be replayed: " + error);
    if (options.headless) platform::SetBeforeExit(PrintFinalScreen);
    else platform::Open();
    if (header.resumed) ResumeGame(header.save);
    else StartUp();
    MainLoop();
}

// The save to continue, or a refusal.
int FindSave(const Options& options, const std::string& folder, SaveEntry& entry) {
    if (!options.continueFile.empty()) {
        entry = ReadSaveFile(options.continueFile);
        if (!entry.readable) return Refuse(options.continueFile + ": cannot be resumed: " + entry.error);
        return 0;
    }
    const std::string world = SavedWorldName();
    for (const SaveEntry& s : folder.empty() ? std::vector<SaveEntry>{} : SavesIn(folder)) {
        if (!s.readable || s.data.world != world) continue;
        entry = s;
        return 0;
    }
    return Refuse("no saved game of this world to continue" + (folder.empty() ? std::string() : " in " + folder), 2);
}

int Play(const Options& options) {
    const std::string& world = options.world;
    const std::string folder = platform::UserDataDirectory();
    SaveEntry resumed;
    if (options.continueGame) {
        if (int refused = FindSave(options, folder, resumed)) return refused;
        const std::string savedWorld = WorldFolderOf(resumed.data.world);
        if (world.empty() && !options.continueFile.empty() && platform::DirectoryExists(savedWorld)) dataRoot = savedWorld;
    }
    const std::string digest = WorldDigest();
    if (options.continueGame && digest != resumed.data.worldDigest) {
        platform::PrintError("ranks: warning: the world's files have changed since this game was saved\n");
        platform::Sleep(2000);
    }
    if (!options.recordFile.empty() && !platform::WriteFileAtomically(options.recordFile, ""))
        return Refuse("cannot write the recording " + options.recordFile);
    // The terminal first: when it cannot be used, no file is left behind.
    platform::Open();
    saveKeeping.world = SavedWorldName();
    saveKeeping.worldDigest = digest;
    saveKeeping.startedAt = options.continueGame ? resumed.data.startedAt : platform::WallClockSeconds();
    saveKeeping.path = options.continueGame ? resumed.path : folder.empty() ? "" : NewSavePath(folder, saveKeeping.startedAt);
    saveKeeping.enabled = !saveKeeping.path.empty();

    RecordingHeader header{saveKeeping.world, digest, options.continueGame, resumed.data};
    std::vector<std::string> recordings;
    if (!options.recordFile.empty()) recordings.push_back(options.recordFile);
    if (saveKeeping.enabled) {
        std::string beside = RecordingPathFor(saveKeeping.path);
        if (!beside.empty()) recordings.push_back(beside);
    }
    platform::SetBeforeExit(SaveOnQuit);
    platform::StartRecording(recordings, ComposeRecordingHeader(header));
    if (options.continueGame) ResumeGame(resumed.data);
    else StartUp();
    WriteSave();
    MainLoop();
}

}  // namespace

int RunSession(const Options& options) {
    if (options.listSaves) {
        std::string folder = platform::UserDataDirectory();
        if (folder.empty()) return Refuse("no folder for saved games on this system");
        platform::PrintOut(SavesListing(folder));
        return 0;
    }
    if (!options.replayFile.empty()) return Replay(options);
    return Play(options);
}

}  // namespace rf
