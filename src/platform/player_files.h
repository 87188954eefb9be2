// The files the game keeps for the player (saved games, recordings) in the
// player's data folder, one implementation per operating system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// The per-user data folder of the game, made when missing; empty when the
// system offers none.
std::string UserDataDirectory();
// Replaces `path` with `bytes` so that a crash or a power loss at any moment
// leaves either the old file or the new one whole: a temporary file in the
// same folder, flushed to disk, renamed over the old one.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Creates `path` only when nothing has that name yet (a new game never
// takes an older one's name).
bool CreateNewFile(const std::string& path);
bool ReadWholeFile(const std::string& path, std::string& bytes);
// The names of the plain files in a folder.
std::vector<std::string> FilesIn(const std::string& directory);
std::string AbsolutePath(const std::string& path);
// The wall clock for dates on files; unlike ClockSeconds it is not part of
// what the game sees, so reading it changes no recording.
std::int64_t WallClockSeconds();
// For the tests: the next atomic write ends the process abruptly at a
// stage (1: halfway through the temporary file, 2: flushed, not yet renamed).
void InjectWriteFault(int stage);

}  // namespace rf::platform
