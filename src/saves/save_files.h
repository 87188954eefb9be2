// The saved games in the player's data folder: naming and writing a new
// one, its lock while it is played, finding the most recent of a world, the
// recordings beside it, and the listing of --saves.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/player_files.h"
#include "saves/save_format.h"

namespace rf {

struct SaveEntry {
    std::string path;
    bool readable = false;
    std::string error;   // when not readable
    bool empty = false;  // a file of no bytes (its name claimed, never filled)
    SaveData data;
};

// Reads one save; the entry says why when it cannot be used.
SaveEntry ReadSaveFile(const std::string& path);
// Every save in the folder, each read once, the most recently saved first;
// a save stamped later than the clock says now comes after those stamped
// before (its clock was wrong, and it must not hide the game just played).
// An empty save no game plays is removed. `names`, when given, gets the
// folder's names, sorted.
std::vector<SaveEntry> SavesIn(const std::string& folder, std::vector<std::string>* names = nullptr);
// The first readable save of `world` in the order of SavesIn, read the
// same way, into `latest`; the others are not kept. False when there is none.
bool LatestSaveOf(const std::string& folder, const std::string& world, SaveEntry& latest);
// A save or recording named as the player gave it: the path itself, or a
// bare file name of the data folder when no such file is here.
std::string InDataFolder(const std::string& name, const std::string& folder);

// Writes `save` as a new game, under a name no older game has, locked for
// this process before another can see it; the path (and `made`, the file
// written), or empty with the reason.
std::string WriteNewSave(const std::string& folder, const SaveData& save, platform::FileIdentity& made,
                         std::string& problem);
// The recording beside a save for the session that begins now (the save's
// name with .rec, or .2.rec, .3.rec ... for later sessions of that game;
// an empty one there is taken again), opened for writing; null when none
// can be made. `path` gets its name.
std::FILE* OpenRecordingBeside(const std::string& savePath, std::string& path);

// The lock that keeps a save to one running game, beside it (given the
// file's own path, every link resolved, it is one lock whatever name
// reached the file): `said` is where another game holds it, or why none
// can be had.
platform::LockResult HoldSave(const std::string& savePath, std::string& said);
// Lets go of it and removes its file, when the game ends.
void ReleaseSave(const std::string& savePath);
// What an interrupted game left in the folder, known by their names (no
// save is opened): temporary files of a save no running game is writing,
// and locks no game holds. Empty saves go when the folder's saves are read
// (SavesIn), an empty recording when its save is played again.
void CleanLeftovers(const std::string& folder);

// The lines of --saves.
std::string SavesListing(const std::string& folder);

}  // namespace rf
