#include "platform/model/terminal_requirements.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "text/escape.h"

namespace rf::platform {
namespace {

// Places of the capabilities read, among the booleans, numbers and strings.
constexpr int kBackColorErase = 28;
constexpr int kMaxColors = 13;
constexpr int kCursorAddress = 10;

// Where the width question writes its glyph (1-based, as the terminal counts).
constexpr int kQuestionRow = 5;
constexpr int kQuestionColumn = 10;

int Short(std::string_view data, std::size_t at) {
    auto lo = static_cast<unsigned char>(data[at]), hi = static_cast<unsigned char>(data[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
}

bool IsUtf8(std::string_view name) {
    std::string folded;
    for (char c : name)
        if (c != '-' && c != '_') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded == "utf8" || folded.ends_with(".utf8") || folded.find(".utf8@") != std::string::npos;
}

}  // namespace

std::optional<TermInfoAbilities> ReadTermInfo(std::string_view entry) {
    if (entry.size() < 12) return std::nullopt;
    const int magic = Short(entry, 0);
    if (magic != 0432 && magic != 01036) return std::nullopt;
    const int numberSize = magic == 0432 ? 2 : 4;
    const int names = Short(entry, 2), booleans = Short(entry, 4), numbers = Short(entry, 6), strings = Short(entry, 8);
    if (names < 0 || booleans < 0 || numbers < 0 || strings < 0) return std::nullopt;
    TermInfoAbilities found;
    std::size_t at = 12 + static_cast<std::size_t>(names);
    if (booleans > kBackColorErase && at + kBackColorErase < entry.size())
        found.backgroundColourErase = entry[at + kBackColorErase] == 1;
    at += static_cast<std::size_t>(booleans);
    at += at % 2;  // the numbers start on an even byte
    if (numbers > kMaxColors) {
        const std::size_t n = at + static_cast<std::size_t>(kMaxColors) * numberSize;
        if (n + numberSize > entry.size()) return std::nullopt;
        const long colours =
            numberSize == 2
                ? Short(entry, n)
                : static_cast<long>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(Short(entry, n)) |
                                                               static_cast<std::uint16_t>(Short(entry, n + 2)) << 16));
        found.directColour = colours >= 1L << 24;
    }
    at += static_cast<std::size_t>(numbers) * numberSize;
    if (strings > kCursorAddress) {
        at += 2 * kCursorAddress;
        if (at + 2 > entry.size()) return std::nullopt;
        found.cursorAddressing = Short(entry, at) >= 0;  // -1 absent, -2 cancelled
    }
    return found;
}

std::vector<std::string> TermInfoPaths(std::string_view term, const char* terminfo, const char* home,
                                       const char* terminfoDirs) {
    std::vector<std::string> folders;
    const std::vector<std::string> system = {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo",
                                             "/usr/lib/terminfo", "/usr/share/lib/terminfo"};
    if (terminfo && *terminfo) folders.push_back(terminfo);
    if (home && *home) folders.push_back(std::string(home) + "/.terminfo");
    if (terminfoDirs && *terminfoDirs) {
        std::string_view rest = terminfoDirs;
        for (;;) {
            std::size_t colon = rest.find(':');
            std::string_view part = rest.substr(0, colon);
            if (part.empty()) folders.insert(folders.end(), system.begin(), system.end());
            else folders.emplace_back(part);
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    } else {
        folders.insert(folders.end(), system.begin(), system.end());
    }
    std::vector<std::string> paths;
    // A name with a slash would leave the folder.
    if (term.empty() || term.find('/') != std::string_view::npos) return paths;
    static constexpr char kHex[] = "0123456789abcdef";
    auto first = static_cast<unsigned char>(term[0]);
    for (const std::string& folder : folders) {
        paths.push_back(folder + "/" + term[0] + "/" + std::string(term));
        paths.push_back(folder + "/" + kHex[first >> 4] + kHex[first & 15] + "/" + std::string(term));
    }
    return paths;
}

std::string TerminalRefusal(const TerminalFacts& facts) {
    const std::string emulator = "; run it in a terminal emulator such as xterm, with TERM set to its type";
    if (!facts.term || facts.term->empty())
        return "ranks: TERM is not set, so the terminal's abilities are unknown; set it to the terminal's type, "
               "for example TERM=xterm-256color";
    if (*facts.term == "dumb" || facts.cursorAddressing == false)
        return "ranks: the terminal TERM=" + Escaped(*facts.term) + " cannot place the cursor, which the game needs" +
               emulator;
    // A locale that is not installed is judged by its name.
    const bool utf8 = facts.codeset.empty() ? IsUtf8(facts.localeValue) : IsUtf8(facts.codeset);
    if (!utf8) {
        const std::string variable = facts.localeVariable.empty() ? "LANG" : facts.localeVariable;
        const std::string now = facts.localeVariable.empty() ? "no LANG, LC_CTYPE or LC_ALL is set"
                                                             : facts.localeVariable + "=" + Escaped(facts.localeValue);
        const std::string set = facts.codeset.empty() ? "" : Escaped(facts.codeset) + ", ";
        return "ranks: the locale's character set is " + set + "not UTF-8 (" + now +
               "); the game's Japanese texts need UTF-8: set " + variable + "=C.UTF-8 or another UTF-8 locale";
    }
    return "";
}

std::string AmbiguousWidthQuery() {
    return "\x1b[" + std::to_string(kQuestionRow) + ";" + std::to_string(kQuestionColumn) +
           "H\xe2\x96\xa0\x1b[6n\r\x1b[K";  // U+25A0
}

std::optional<int> AmbiguousWidthAnswer(int row, int column) {
    if (row != kQuestionRow) return std::nullopt;
    const int width = column - kQuestionColumn;
    return width == 1 || width == 2 ? width : 0;
}

bool KeepsMovedBlanks(int kind) { return kind == 41 || kind == 65; }

int AmbiguousWidthWithoutAnswer(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    return language == "ja" || language == "zh" || language == "ko" ? 0 : 1;
}

}  // namespace rf::platform
