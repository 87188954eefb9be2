// A digest of the world's files, so a saved game or a recording can tell
// whether the world it was made on has changed since.
#pragma once

#include <string>

namespace rf {

// Over every file the game reads from the world in dataRoot (a missing
// file counts as missing): 16 hexadecimal digits.
std::string WorldDigest();

// How saves and recordings name the world: "default" for the world
// installed beside the program, else the folder's absolute path.
std::string SavedWorldName();
// The folder a stored world name stands for.
std::string WorldFolderOf(const std::string& name);

}  // namespace rf
