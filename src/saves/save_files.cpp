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

// A hidden file beside the save: .game-….save.lock
std::string LockPathFor(const std::string& savePath) {
    const std::size_t at = NameStart(savePath);
    return savePath.substr(0, at) + "." + savePath.substr(at) + ".lock";
}

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
    std::stable_sort(saves.begin(), saves.end(), [](const SaveEntry& a, const SaveEntry& b) {
        if (a.readable != b.readable) return a.readable;
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

std::string WriteNewSave(const std::string& folder, const SaveData& save, std::string& problem) {
    // game-2026-12-07-031704.save; games begun in the same second get -2, -3 ...
    std::string stamp = UtcText(save.startedAt).substr(0, 19);
    std::replace(stamp.begin(), stamp.end(), ' ', '-');
    stamp.erase(std::remove(stamp.begin(), stamp.end(), ':'), stamp.end());
    const std::string bytes = ComposeSave(save);
    for (int n = 1; n < 1000; ++n) {
        std::string path =
            Join(folder, "game-" + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(kExtension));
        bool taken = false;
        if (platform::WriteNewFileAtomically(path, bytes, taken, problem)) return path;
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

bool HoldSave(const std::string& savePath, std::string& where) {
    return platform::HoldLock(LockPathFor(savePath),
                              platform::ThisProcess() + ", since " + UtcText(platform::WallClockSeconds()), where);
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
        if (std::string where; platform::LockHeld(LockPathFor(s.path), where))
            out += ", being played now (" + Escaped(where) + ")";
        out += "\n";
    }
    return out;
}

}  // namespace rf
