// The saved games in the player's data folder: naming and writing a new
// one, its lock while it is played, finding the most recent of a world, the
// recordings beside it, and the listing of --saves.
#pragma once

#include <cstdio>
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
// A save or recording named as the player gave it: the path itself, or a
// bare file name of the data folder when no such file is here.
std::string InDataFolder(const std::string& name, const std::string& folder);

// Writes `save` as a new game begun at `seconds`, under a name no older
// game has; the path, or empty with the reason.
std::string WriteNewSave(const std::string& folder, const SaveData& save, std::string& problem);
// The recording beside a save for the session that begins now (the save's
// name with .rec, or .2.rec, .3.rec ... for later sessions of that game),
// opened for writing; null when none can be made. `path` gets its name.
std::FILE* OpenRecordingBeside(const std::string& savePath, std::string& path);

// The lock that keeps a save to one running game: false, with where the
// game is being played, when another game holds it.
bool HoldSave(const std::string& savePath, std::string& where);

// The lines of --saves.
std::string SavesListing(const std::string& folder);

}  // namespace rf
