#include "saves/save_files.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/player_files.h"
#include "text/escape.h"

namespace rf {
namespace {

constexpr std::string_view kExtension = ".save";

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + platform::PathSeparator() + name;
}

bool EndsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

// A hidden file beside the save (the game resolves a continued save's
// links first, so the lock is the file's own): .game-….save.lock
std::string LockPathFor(const std::string& savePath) {
    const std::size_t at = NameStart(savePath);
    return savePath.substr(0, at) + "." + savePath.substr(at) + ".lock";
}

std::string WhoAmI() { return platform::ThisProcess() + ", since " + UtcText(platform::WallClockSeconds()); }

}  // namespace

SaveEntry ReadSaveFile(const std::string& path) {
    SaveEntry entry;
    entry.path = path;
    // Bounded and never waiting, whatever the path names; a save is far smaller.
    platform::DataFileBytes file = platform::ReadDataFile(path, 1 << 16);
    if (file.problem != platform::FileProblem::kNone) entry.error = "cannot be read";
    else if (file.cut) entry.error = "too large to be a saved game";
    else entry.readable = ParseSave(file.bytes, entry.data, entry.error);
    return entry;
}

std::vector<SaveEntry> SavesIn(const std::string& folder) {
    std::vector<SaveEntry> saves;
    std::vector<std::string> names = platform::FilesIn(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        if (EndsWith(name, kExtension) && !name.starts_with(".")) saves.push_back(ReadSaveFile(Join(folder, name)));
    const std::int64_t now = platform::WallClockSeconds();
    std::stable_sort(saves.begin(), saves.end(), [now](const SaveEntry& a, const SaveEntry& b) {
        if (a.readable != b.readable) return a.readable;
        if ((a.data.savedAt > now) != (b.data.savedAt > now)) return b.data.savedAt > now;
        return a.data.savedAt > b.data.savedAt || (a.data.savedAt == b.data.savedAt && a.path > b.path);
    });
    return saves;
}

std::string InDataFolder(const std::string& name, const std::string& folder) {
    if (folder.empty() || NameStart(name) != 0 ||
        platform::ReadDataFile(name, 0).problem != platform::FileProblem::kMissing)
        return name;
    const std::string there = Join(folder, name);
    return platform::ReadDataFile(there, 0).problem == platform::FileProblem::kMissing ? name : there;
}

std::string WriteNewSave(const std::string& folder, const SaveData& save, platform::FileIdentity& made,
                         std::string& problem) {
    // game-2026-12-07-031704.save (the year whole, however long); games
    // begun in the same second get -2, -3 ...
    std::string stamp = UtcText(save.startedAt);
    stamp.erase(stamp.size() - 4);  // " UTC"
    std::replace(stamp.begin(), stamp.end(), ' ', '-');
    stamp.erase(std::remove(stamp.begin(), stamp.end(), ':'), stamp.end());
    const std::string bytes = ComposeSave(save);
    for (int n = 1; n < 1000; ++n) {
        std::string path =
            Join(folder, "game-" + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(kExtension));
        // Locked first, so no --continue takes the game between its writing and its lock.
        std::string said;
        if (HoldSave(path, said) == platform::LockResult::kHeldElsewhere) continue;
        bool taken = false;
        if (platform::WriteNewFileAtomically(path, bytes, taken, made, problem)) return path;
        ReleaseSave(path);
        if (!taken) return "";
    }
    problem = "no free name for a new game";
    return "";
}

std::FILE* OpenRecordingBeside(const std::string& savePath, std::string& path) {
    std::string stem = savePath.substr(0, savePath.size() - (EndsWith(savePath, kExtension) ? kExtension.size() : 0));
    for (int n = 1; n < 100000; ++n) {
        path = stem + (n == 1 ? "" : "." + std::to_string(n)) + ".rec";
        bool taken = false;
        std::string problem;
        if (std::FILE* file = platform::OpenOutputFile(path, true, taken, problem)) return file;
        if (!taken) break;
    }
    path.clear();
    return nullptr;
}

platform::LockResult HoldSave(const std::string& savePath, std::string& said) {
    return platform::HoldLock(LockPathFor(savePath), WhoAmI(), said);
}

void ReleaseSave(const std::string& savePath) { platform::ReleaseLock(LockPathFor(savePath)); }

void CleanLeftovers(const std::string& folder) {
    std::string where;
    // The save a leftover belongs to, while a game may still be writing it.
    auto inPlay = [&](const std::string& save) { return platform::LockHeld(LockPathFor(Join(folder, save)), where); };
    for (const std::string& name : platform::FilesIn(folder)) {
        const std::string path = Join(folder, name);
        if (name.starts_with(".") && EndsWith(name, std::string(kExtension) + ".lock")) {
            platform::RemoveStaleLock(path);
            continue;
        }
        // game-….save.1a2b3c4d.tmp: a save's write cut short.
        const std::size_t save = name.rfind(std::string(kExtension) + ".");
        if (EndsWith(name, ".tmp") && save != std::string::npos && name.size() == save + kExtension.size() + 13) {
            if (!inPlay(name.substr(0, save + kExtension.size()))) platform::RemoveFile(path);
            continue;
        }
        const platform::DataFileBytes head = platform::ReadDataFile(path, 1);
        if (head.problem != platform::FileProblem::kNone || !head.bytes.empty() || name.starts_with(".")) continue;
        // An empty save (its name claimed, never filled) or recording (a full disk).
        if (EndsWith(name, kExtension) && !inPlay(name)) platform::RemoveFile(path);
        if (EndsWith(name, ".rec")) {
            std::string stem = name.substr(0, name.size() - 4);
            if (const std::size_t dot = stem.find_last_of('.');
                dot != std::string::npos && stem.find_first_not_of("0123456789", dot + 1) == std::string::npos)
                stem.erase(dot);  // game-….2.rec
            if (!inPlay(stem + std::string(kExtension))) platform::RemoveFile(path);
        }
    }
}

std::string SavesListing(const std::string& folder) {
    std::vector<SaveEntry> saves = SavesIn(folder);
    const std::string shown = Escaped(folder);
    if (saves.empty()) return "No saved games in " + shown + "\n";
    std::string out = "Saved games in " + shown + " (the most recent first):\n";
    for (const SaveEntry& s : saves) {
        std::string name = Escaped(s.path.substr(NameStart(s.path)));
        if (!s.readable) {
            out += "  " + name + "  cannot be resumed: " + Escaped(s.error) + "\n";
            continue;
        }
        out += "  " + name + "  level " + std::to_string(s.data.hero.level) + ", map " +
               std::to_string(s.data.hero.mapNumber) + ", saved " + UtcText(s.data.savedAt) + ", world " +
               Escaped(s.data.world);
        if (std::string where; platform::LockHeld(LockPathFor(platform::AbsolutePath(s.path)), where))
            out += ", being played now (" + Escaped(where) + ")";
        out += "\n";
    }
    return out;
}

}  // namespace rf
