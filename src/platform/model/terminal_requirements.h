// What a terminal must offer before the game takes it over: a known type
// that can place the cursor, and a UTF-8 character set. Decided from plain
// facts, so the refusals are tested without a terminal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// Whether a compiled terminfo entry (either of the two formats) can place
// the cursor anywhere (its cursor_address); nothing when the data is not
// such an entry.
std::optional<bool> TermInfoCanAddressCursor(std::string_view entry);

// Where the compiled entry of a terminal type may be, in the order curses
// looks: $TERMINFO, ~/.terminfo, $TERMINFO_DIRS (an empty part standing for
// the system's folders), the system's folders; each under both the
// first-letter and the hexadecimal sub-folder.
std::vector<std::string> TermInfoPaths(std::string_view term, const char* terminfo, const char* home,
                                       const char* terminfoDirs);

struct TerminalFacts {
    std::optional<std::string> term;         // $TERM
    std::string localeVariable;              // LC_ALL, LC_CTYPE or LANG: the one that decides; empty if none
    std::string localeValue;                 // its value
    std::string codeset;                     // the locale's character set; empty when the locale is not installed
    std::optional<bool> cursorAddressing;    // from terminfo; nothing when the type has no entry
};

// One line (without its newline) saying what is wrong and what to set;
// empty when the game can use the terminal.
std::string TerminalRefusal(const TerminalFacts& facts);

}  // namespace rf::platform
