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
        if (EndsWith(name, kExtension)) saves.push_back(ReadSaveFile(Join(folder, name)));
    std::stable_sort(saves.begin(), saves.end(), [](const SaveEntry& a, const SaveEntry& b) {
        if (a.readable != b.readable) return a.readable;
        return a.data.savedAt > b.data.savedAt || (a.data.savedAt == b.data.savedAt && a.path > b.path);
    });
    return saves;
}

std::string NewSavePath(const std::string& folder, std::int64_t seconds) {
    // game-2026-12-07-031704.save; games begun in the same second get -2, -3 ...
    std::string stamp = UtcText(seconds).substr(0, 19);
    std::replace(stamp.begin(), stamp.end(), ' ', '-');
    stamp.erase(std::remove(stamp.begin(), stamp.end(), ':'), stamp.end());
    for (int n = 1; n < 1000; ++n) {
        std::string path = Join(folder, "game-" + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(kExtension));
        if (platform::CreateNewFile(path)) return path;
    }
    return "";
}

std::string RecordingPathFor(const std::string& savePath) {
    std::string stem = savePath.substr(0, savePath.size() - (EndsWith(savePath, kExtension) ? kExtension.size() : 0));
    for (int n = 1; n < 100000; ++n) {
        std::string path = stem + (n == 1 ? "" : "." + std::to_string(n)) + ".rec";
        if (platform::CreateNewFile(path)) return path;
    }
    return "";
}

std::string SavesListing(const std::string& folder) {
    std::vector<SaveEntry> saves = SavesIn(folder);
    const std::string shown = Escaped(folder);
    if (saves.empty()) return "No saved games in " + shown + "\n";
    std::string out = "Saved games in " + shown + " (the most recent first):\n";
    for (const SaveEntry& s : saves) {
        std::string name = Escaped(s.path.substr(s.path.find_last_of("/\\") + 1));
        if (!s.readable) {
            out += "  " + name + "  cannot be resumed: " + Escaped(s.error) + "\n";
            continue;
        }
        out += "  " + name + "  level " + std::to_string(s.data.hero.level) + ", map " +
               std::to_string(s.data.hero.mapNumber) + ", saved " + UtcText(s.data.savedAt) + ", world " +
               Escaped(s.data.world) + "\n";
    }
    return out;
}

}  // namespace rf
