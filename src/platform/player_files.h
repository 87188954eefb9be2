// The files the game keeps for the player (saved games, recordings) in the
// player's data folder, one implementation per operating system. Nothing
// here writes anything but a regular file of the game's own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// The game's folder in the player's data folder, whether or not it exists
// yet; empty, with the reason, when the system's settings name none (HOME
// unset, empty or relative; a relative XDG_DATA_HOME counts as unset).
std::string UserDataDirectory(std::string& problem);
// The game's folder in the player's config folder, for the settings file
// ($XDG_CONFIG_HOME or ~/.config on Linux; the data folder elsewhere);
// empty, with the reason, as above.
std::string UserConfigDirectory(std::string& problem);
// Makes the folder (and those above it) when missing, and checks that the
// game can make files in it; false, with the reason, when it cannot.
bool PrepareUserDataDirectory(const std::string& folder, std::string& problem);

// Which file a name holds, as the system tells files apart (device and
// inode); unknown where the system gives none, and then never compared.
struct FileIdentity {
    std::uint64_t device = 0, file = 0;
    bool known = false;
    bool operator==(const FileIdentity&) const = default;
};
// The regular file `path` names itself (not through a link); false when it
// names none.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// Whether a lock, or a file held for one game, could be had.
enum class LockResult {
    kHeld,
    kHeldElsewhere,  // another process holds it; `said` is what it wrote
    kNotALock,       // the name holds something else (a folder, a link...): `said` why
    kCannotLock,     // this file system or folder cannot lock: `said` why
};
// Holds the regular file `path` names (not through a link) for as long as
// the game plays it, locked for this process whatever name or link reached
// it: its identity then cannot pass to a file put at its name later.
// kHeldElsewhere when another process holds it, kNotALock when the name
// holds no regular file (`said` why). Where the system can do neither, the
// file is only identified.
LockResult HoldFile(const std::string& path, FileIdentity& identity, std::string& said);
// Lets go of a held file (the atomic writes below pass the hold on to the
// file they put in place of a held one).
void LetGoOfFile(const FileIdentity& identity);

// Replaces the file at `path` with `bytes` so that a crash or a power loss
// at any moment leaves either the old file or the new one whole: a
// temporary file of a new name in the same folder, flushed to disk, renamed
// over the old one. The name is replaced, never what a link there points
// to. With `kept` known, only while the name still holds that file
// (`changed` when it holds another, a link or anything else: nothing is
// written); a name that holds nothing any more is made again. `kept` then
// identifies the new file. A held file written into in place by another
// since the game wrote it counts as changed too. False, with the reason,
// when it failed (the old file is then as it was).
bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileIdentity& kept, bool& changed,
                         std::string& problem);
// The same for a file that must not exist yet (a new game never takes an
// older one's name): `taken` when the name was. With `hold`, the new file
// is held as by HoldFile.
bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, bool& taken, FileIdentity& made,
                            std::string& problem, bool hold = false);
// Whether a file of `bytes` could be written beside `path` now (the folder
// writable, room on the disk); nothing stays behind.
bool CanWriteBeside(const std::string& path, std::string_view bytes, std::string& problem);
// Removes a plain file (a leftover of the game's own); false when it could not.
bool RemoveFile(const std::string& path);

// A file to write a recording into, from its beginning: with `fresh` a new
// file (`taken` when the name exists), otherwise a new file or a regular
// file replaced. A symbolic link, a FIFO, a device or a folder is never
// opened for writing: null, with the reason.
std::FILE* OpenOutputFile(const std::string& path, bool fresh, bool& taken, std::string& problem);
// Why OpenOutputFile(path, false) would refuse; empty when it would not.
// Creates and changes nothing.
std::string OutputFileProblem(const std::string& path);

// One game, one writer: a lock held on `lockPath` until it is released or
// the process ends (its file removed then, unless the process is killed),
// with `whoAmI` written into it.
LockResult HoldLock(const std::string& lockPath, std::string_view whoAmI, std::string& said);
// Lets go of a lock this process holds, removing its file first.
void ReleaseLock(const std::string& lockPath);
// Whether another process holds the lock, without taking it.
bool LockHeld(const std::string& lockPath, std::string& holder);
// Removes a lock file that no process holds (one left by a game that was
// killed); nothing else.
void RemoveStaleLock(const std::string& lockPath);
// This process, for another window to be told where the game is played:
// "process 1234 on /dev/pts/3".
std::string ThisProcess();

// How the player resumes the saved game `saveName` on this system, for the
// farewell: "ranks --continue" (the world's most recent game) or with the
// name, the game named as `command` started it (argv[0]: a path as typed, a
// bare name as the shell found it); in the page, its Continue button.
std::string HowToResume(const std::string& command, const std::string& saveName, bool mostRecentOfTheWorld);

// Returns once the player's files are all in their folder. A page copies
// them in from its store while a new game starts and draws: the game waits
// here before it first writes there, so that its save never takes the
// name of one not yet copied. Elsewhere they always are.
void AwaitPlayerFiles();

// The names of the plain files in a folder.
std::vector<std::string> FilesIn(const std::string& directory);
// The absolute path, every symbolic link on the way resolved: a save's own
// file, whatever name reached it.
std::string AbsolutePath(const std::string& path);
// A new folder of the game's own in the system's temporary folder (where a
// play-test's copy of a world is put); empty, with the reason, when none
// could be made.
std::string MakeTemporaryFolder(std::string& problem);
// Removes a folder MakeTemporaryFolder made, with all it holds; any other
// path is left alone.
void RemoveTemporaryFolder(const std::string& path);
// The wall clock for dates on files; unlike ClockSeconds it is not part of
// what the game sees, so reading it changes no recording.
std::int64_t WallClockSeconds();
// For the tests: the next atomic write ends the process abruptly at a
// stage (1: halfway through the temporary file, 2: flushed, not yet renamed).
void InjectWriteFault(int stage);

}  // namespace rf::platform
