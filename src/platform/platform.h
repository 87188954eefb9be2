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
