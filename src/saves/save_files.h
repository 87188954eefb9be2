// The saved games in the player's data folder: naming a new one, finding
// the most recent of a world, and the listing of --saves.
#pragma once

#include <string>
#include <vector>

#include "saves/save_format.h"

namespace rf {

struct SaveEntry {
    std::string path;
    bool readable = false;
    std::string error;  // when not readable
    SaveData data;
};

// Reads one save; the entry says why when it cannot be used.
SaveEntry ReadSaveFile(const std::string& path);
// Every save in the folder, the most recently saved first.
std::vector<SaveEntry> SavesIn(const std::string& folder);
// A fresh save file for a game begun at `seconds` (never an older game's
// name); empty when none can be made.
std::string NewSavePath(const std::string& folder, std::int64_t seconds);
// The recording beside a save for the session that begins now: the save's
// name with .rec, or .2.rec, .3.rec ... for later sessions of that game.
std::string RecordingPathFor(const std::string& savePath);
// The lines of --saves.
std::string SavesListing(const std::string& folder);

}  // namespace rf
