// The only door from the game to the operating system: the effects of the
// legacy console (cursor, attribute, write, cursor visibility), sleeping,
// the keyboard and the clock. The native backend is chosen when the program
// is linked: the terminal or Windows console for the game, headless for
// tests; the console session can be switched to the headless one at run
// time (platform/backend.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// Takes over the console for the game (raw keys, hidden cursor, the
// alternate screen on a terminal). Every way out restores it.
void Open();

// Console output. Bytes are code page 932.
void SetCursorPosition(int x, int y);
void SetAttribute(std::uint16_t attribute);
void Write(std::string_view bytes);
void SetCursorVisible(bool visible);
bool CursorVisible();

// Pauses.
void Sleep(std::uint32_t milliseconds);

// Keyboard: a test that never blocks, and an unechoed read of one key code
// (an extended key arrives as a prefix 0 or 224 and then its scan code).
bool KeyWaiting();
int ReadKey();

// Wall-clock time in whole seconds since the epoch.
std::int64_t ClockSeconds();

// Ends the process with the terminal restored.
[[noreturn]] void Exit(int status);
// A line for standard error that Exit prints once the terminal is back
// (why the game had to stop); empty for none.
void SetFarewell(std::string_view text);

// What the console shows, as text a screen reader can speak: the message
// window's newest message (code page 932), and on the field the map, level
// and the HP the hero will fight with. Only the web page mirrors it (in a live region); elsewhere nothing
// happens, and the screen, recordings and replays never depend on it.
void NarrateMessage(std::string_view text);
void NarrateField(int map, int level, int hp);

// Plain UTF-8 text on standard output or standard error, for the command
// line (used before the console is taken over).
void PrintOut(std::string_view text);
void PrintError(std::string_view text);

// Text from outside (an argument, an environment variable) as it may be
// echoed: control characters and bytes that are not UTF-8 written as \xHH
// (C1 characters as \u00HH), so that it cannot steer the terminal.
std::string Escaped(std::string_view text);

// Files: the separator between directory and file names, the directory
// holding the executable, and whether a directory exists.
char PathSeparator();
std::string ExecutableDirectory();
bool DirectoryExists(const std::string& path);

// The files the game keeps for the player (saved games, recordings), one
// implementation per operating system.
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
bool FileExists(const std::string& path);
std::string AbsolutePath(const std::string& path);
// The wall clock for dates on files; unlike ClockSeconds it is not part of
// what the game sees, so reading it changes no recording.
std::int64_t WallClockSeconds();
// For the tests: the next atomic write ends the process abruptly at a
// stage (1: halfway through the temporary file, 2: flushed, not yet renamed).
void InjectWriteFault(int stage);

// Quitting. Ctrl+C, a request to end (SIGTERM, a hang-up, the console
// window closing) and the end of a replay run this hook once, on the game's
// own thread, at the backend's next call, and then the process ends as it
// would have without it. The platform calls back here, against the flow of
// the game, because only the backend knows that the process is about to end.
void SetBeforeExit(void (*hook)());

// Recording: from now on every answer the console session gives the game
// (each key test, key read and clock reading) is appended to each file
// after `header`. False when a file cannot be made.
bool StartRecording(const std::vector<std::string>& paths, std::string_view header);

// Replay: `events` (a recording's event part) answer the game's key tests,
// key reads and clock readings. On screen the pace is the recording's own,
// `speed` times faster (0: no pauses at all); Space pauses, Ctrl+C quits.
// Headless, the game runs in virtual time without a terminal. When the
// events are used up the before-exit hook runs and the process ends with
// status 0. False (with the reason) when the events cannot be read.
bool StartReplay(std::string_view events, int speed, bool headless, std::string& error);
// The headless session's screen as 25 lines of UTF-8, trailing blanks cut.
std::vector<std::string> HeadlessScreenLines();
// Why a data file could not be read.
enum class FileProblem { kNone, kMissing, kDirectory, kNotRegular, kNoPermission, kUnreadable };

struct DataFileBytes {
    FileProblem problem = FileProblem::kNone;
    std::string bytes;
    bool cut = false;  // the file holds more than `limit` bytes
};

// The first `limit` bytes of a regular file. Never blocks and never reads
// more, whatever the path names (a FIFO, a device, a directory).
DataFileBytes ReadDataFile(const std::string& path, std::size_t limit);

}  // namespace rf::platform
