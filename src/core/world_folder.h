// Where the world's files are: the folder the game plays, how it is chosen,
// and the paths of the world's files in it.
#pragma once

#include <string>
#include <string_view>

#include "core/world_manifest.h"

namespace rf {

// The folder that holds the data folders (empty: the working directory).
extern std::string dataRoot;

// A path under dataRoot; `relative` separates folders with '/'.
std::string DataPath(std::string_view relative);
// A file of the world in dataRoot.
std::string WorldFilePath(WorldFileId file, int world = 1);

// Picks the folder holding the data: `requested` when given, else the
// working directory when it holds the game's data folders, else the default
// world the build placed beside the executable.
std::string ChooseDataRoot(const std::string& requested);
// The default world installed with the program (empty when there is none).
std::string InstalledWorld();
// The world the authors' tools check when none is named: the working
// directory or the nearest folder above it that holds the data folders
// ("..", "../.."...), else the installed world; `how` says which.
std::string FindWorldFromHere(std::string& how);
// Why `dir` cannot be a world (not a folder, or none of the six data
// folders in it); empty when it can.
std::string WorldFolderProblem(const std::string& dir);

}  // namespace rf
