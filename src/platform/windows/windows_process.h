// The parts of running another program in the Windows console that need no
// console: its command line, written so the program's C runtime reads back
// the very words it was given, and what its exit code says. Plain code,
// tested on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// The command line of `words`: the program first, quoted whole where it has
// a blank (Windows reads the program's name up to the next quote, with no
// escapes), then each argument as the C runtime and CommandLineToArgvW
// parse it: quoted where it has a blank or a quote or is empty, a quote
// escaped, and the backslashes before a quote or the closing one doubled.
std::wstring CommandLineOf(const std::vector<std::wstring>& words);

// The exit status a program's exit code makes, as the terminal's says it:
// the code itself; an interrupt (the console's Ctrl+C) 130, as a shell says
// it; an exception's code (its top bit set) 255, never the -1 of a program
// that could not be run.
int ExitStatusOf(std::uint32_t exitCode);

}  // namespace rf::platform
