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
    std::size_t at = path.size();
    while (at > 0 && path[at - 1] != '/' && path[at - 1] != '\\') --at;
    return at;
}

// A hidden file beside the save (the game resolves a continued save's
// links first, so the lock is the file's own): .game-….save.lock
std::string LockPathFor(const std::string& savePath) {
    const std::size_t at = NameStart(savePath);
    return savePath.substr(0, at) + "." + savePath.substr(at) + ".lock";
}

std::string WhoAmI() { return platform::ThisProcess() + ", since " + UtcText(platform::WallClockSeconds()); }

constexpr std::size_t kLargestSave = 1 << 16;  // bounded, whatever the path names; a save is far smaller

void EntryOf(std::string path, const platform::DataFileBytes& file, SaveEntry& entry) {
    entry.path = std::move(path);
    entry.readable = false;
    entry.error.clear();
    entry.empty = file.problem == platform::FileProblem::kNone && file.bytes.empty();
    if (file.problem == platform::FileProblem::kNone && !file.cut) {
        entry.readable = ParseSave(file.bytes, entry.data, entry.error);
        return;
    }
    entry.data = SaveData{};
    entry.error = file.cut ? "too large to be a saved game" : "cannot be read";
}

}  // namespace

SaveEntry ReadSaveFile(const std::string& path) {
    SaveEntry entry;
    EntryOf(path, platform::ReadDataFile(path, kLargestSave), entry);
    return entry;
}

namespace {

// Whether a game holds the save's lock now, asked only of saves with a
// lock file beside them (`names`, the folder's, sorted).
bool InPlay(const std::string& folder, const std::vector<std::string>& names, const std::string& save,
            std::string& where) {
    const std::string lock = LockPathFor(save);
    return std::binary_search(names.begin(), names.end(), lock) &&
           platform::LockHeld(LockPathFor(Join(folder, save)), where);
}

// Every save of the folder, each read once into `entry` and handed to
// `take` (which may move it away) in the order of their names, with its
// place in that order; an empty one (its name claimed, never filled) that
// no game plays is removed on the way. `names` gets the folder's names,
// sorted.
// `room`, when given, is made room in for them all.
template <typename Take>
void ReadSaves(const std::string& folder, std::vector<std::string>& names, Take take,
               std::vector<SaveEntry>* room = nullptr) {
    names = platform::FilesIn(folder);
    std::sort(names.begin(), names.end());
    std::vector<std::string> saveNames;
    for (const std::string& name : names)
        if (EndsWith(name, kExtension) && !name.starts_with(".")) saveNames.push_back(name);
    if (room != nullptr) room->reserve(saveNames.size());
    std::string where;
    std::size_t at = 0;
    SaveEntry entry;
    // A few at a time, so their bytes are never all held at once.
    constexpr std::size_t kBatch = 64;
    std::vector<std::string> batch;
    for (std::size_t first = 0; first < saveNames.size(); first += kBatch) {
        const std::size_t end = std::min(saveNames.size(), first + kBatch);
        batch.assign(saveNames.begin() + static_cast<std::ptrdiff_t>(first),
                     saveNames.begin() + static_cast<std::ptrdiff_t>(end));
        const std::vector<platform::DataFileBytes> files = platform::ReadDataFilesIn(folder, batch, kLargestSave);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            EntryOf(Join(folder, batch[i]), files[i], entry);
            if (entry.empty && !InPlay(folder, names, batch[i], where) && platform::RemoveFile(entry.path)) continue;
            take(entry, at++);
        }
    }
}

// What orders the saves, beside each one's place among their names (which
// orders two saved in the same second).
struct Order {
    bool unreadable, future;
    std::int64_t savedAt;
    std::size_t at;
};

Order OrderOf(const SaveEntry& s, std::size_t at, std::int64_t now) {
    return {!s.readable, s.data.savedAt > now, s.data.savedAt, at};
}

bool ComesFirst(const Order& a, const Order& b) {
    if (a.unreadable != b.unreadable) return b.unreadable;
    if (a.future != b.future) return b.future;
    return a.savedAt > b.savedAt || (a.savedAt == b.savedAt && a.at > b.at);
}

}  // namespace

std::vector<SaveEntry> SavesIn(const std::string& folder, std::vector<std::string>* names) {
    std::vector<std::string> listed;
    const std::int64_t now = platform::WallClockSeconds();
    std::vector<SaveEntry> saves;
    std::vector<Order> order;
    ReadSaves(
        folder, names ? *names : listed,
        [&](SaveEntry& entry, std::size_t at) {
            order.push_back(OrderOf(entry, at, now));
            saves.push_back(std::move(entry));
        },
        &saves);
    // Only what orders them is sorted; each entry is then moved once, along
    // the cycles of the order (thousands of entries are not copied twice).
    std::sort(order.begin(), order.end(), ComesFirst);
    std::vector<bool> placed(saves.size());
    for (std::size_t start = 0; start < saves.size(); ++start) {
        if (placed[start]) continue;
        SaveEntry held = std::move(saves[start]);
        std::size_t to = start;
        for (;;) {
            placed[to] = true;
            const std::size_t from = order[to].at;
            if (from == start) break;
            saves[to] = std::move(saves[from]);
            to = from;
        }
        saves[to] = std::move(held);
    }
    return saves;
}

bool LatestSaveOf(const std::string& folder, const std::string& world, SaveEntry& latest) {
    std::vector<std::string> names;
    const std::int64_t now = platform::WallClockSeconds();
    bool found = false;
    Order best{};
    ReadSaves(folder, names, [&](SaveEntry& entry, std::size_t at) {
        if (!entry.readable || entry.data.world != world) return;
        const Order order = OrderOf(entry, at, now);
        if (found && !ComesFirst(order, best)) return;
        found = true;
        best = order;
        std::swap(latest, entry);
    });
    return found;
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
    // game-2026-12-07-031704.save, from the stamp the save holds (a wrong
    // clock's within 1970 to 9999); games begun in the same second get -2, -3 ...
    std::string stamp = UtcText(StampWithinFormat(save.startedAt));
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
        if (platform::WriteNewFileAtomically(path, bytes, taken, made, problem, true)) return path;
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
        // An empty one of this save, left by a full disk: the save is this
        // game's, so is the name.
        const platform::DataFileBytes head = platform::ReadDataFile(path, 1);
        if (head.problem == platform::FileProblem::kNone && head.bytes.empty() && platform::RemoveFile(path)) --n;
    }
    path.clear();
    return nullptr;
}

platform::LockResult HoldSave(const std::string& savePath, std::string& said) {
    return platform::HoldLock(LockPathFor(savePath), WhoAmI(), said);
}

void ReleaseSave(const std::string& savePath) { platform::ReleaseLock(LockPathFor(savePath)); }

void CleanLeftovers(const std::string& folder) {
    // Known by their names alone: no save is opened here.
    std::vector<std::string> names = platform::FilesIn(folder);
    std::sort(names.begin(), names.end());
    std::string where;
    for (const std::string& name : names) {
        if (name.starts_with(".") && EndsWith(name, std::string(kExtension) + ".lock")) {
            platform::RemoveStaleLock(Join(folder, name));
            continue;
        }
        // game-….save.1a2b3c4d.tmp: a save's write cut short, unless its game still writes.
        const std::size_t save = name.rfind(std::string(kExtension) + ".");
        if (EndsWith(name, ".tmp") && save != std::string::npos && name.size() == save + kExtension.size() + 13 &&
            !InPlay(folder, names, name.substr(0, save + kExtension.size()), where))
            platform::RemoveFile(Join(folder, name));
    }
}

std::string SavesListing(const std::string& folder) {
    std::vector<std::string> names;
    std::vector<SaveEntry> saves = SavesIn(folder, &names);
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
               (s.data.worldName.empty() ? Escaped(s.data.world)
                                         : Escaped(s.data.worldName) + " (" + Escaped(s.data.world) + ")");
        if (std::string where; InPlay(folder, names, s.path.substr(NameStart(s.path)), where))
            out += ", being played now (" + Escaped(where) + ")";
        out += "\n";
    }
    return out;
}

}  // namespace rf
