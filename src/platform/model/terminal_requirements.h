// What a terminal must offer before the game takes it over: a known type
// that can place the cursor, and a UTF-8 character set. Decided from plain
// facts, so the refusals are tested without a terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// What a compiled terminfo entry (either of the two formats) says the game
// needs to know: whether it can place the cursor anywhere (cursor_address),
// whether erasing fills with the current background colour
// (back_color_erase) and whether it takes 24-bit colours (max_colors of
// 2^24 or more). Nothing when the data is not such an entry.
struct TermInfoAbilities {
    bool cursorAddressing = false;
    bool backgroundColourErase = false;
    bool directColour = false;
};
std::optional<TermInfoAbilities> ReadTermInfo(std::string_view entry);

// Where the compiled entry of a terminal type may be, in the order curses
// looks: $TERMINFO, ~/.terminfo, $TERMINFO_DIRS (an empty part standing for
// the system's folders), the system's folders; each under both the
// first-letter and the hexadecimal sub-folder.
std::vector<std::string> TermInfoPaths(std::string_view term, const char* terminfo, const char* home,
                                       const char* terminfoDirs);

struct TerminalFacts {
    std::optional<std::string> term;       // $TERM
    std::string localeVariable;            // LC_ALL, LC_CTYPE or LANG: the one that decides; empty if none
    std::string localeValue;               // its value
    std::string codeset;                   // the locale's character set; empty when the locale is not installed
    std::optional<bool> cursorAddressing;  // from terminfo; nothing when the type has no entry
    bool backgroundColourErase = true;     // from terminfo; as xterm when the type has no entry
    bool directColour = false;
};

// One line (without its newline) saying what is wrong and what to set;
// empty when the game can use the terminal.
std::string TerminalRefusal(const TerminalFacts& facts);

// How many cells the terminal gives a glyph of ambiguous East Asian width
// (one in most Western set-ups, two in CJK ones) is learned by writing one
// and asking where the cursor went. The question, at a place whose answer
// no key sequence looks like (row 5: F3 with a modifier reports row 1);
// the glyph is erased at once, not left in sight until the first frame.
std::string AmbiguousWidthQuery();
// What the answer (where the cursor went) says: 1 or 2, or 0 for an answer
// that fits neither; nothing for a report of another row, not this
// question's.
std::optional<int> AmbiguousWidthAnswer(int row, int column);

// The width taken when no answer comes: one cell, as the C library measures
// these glyphs and curses programs draw them; but under a Chinese, Japanese
// or Korean locale, where terminals often draw them in two, 0: the form
// right for both stays.
int AmbiguousWidthWithoutAnswer(std::string_view locale);

// Which terminal this is, asked by the secondary device attributes
// question; its answer's first number names the terminal's kind.
inline constexpr std::string_view kTerminalKindQuery = "\x1b[>c";
// Whether a terminal of that kind fills the cells that inserting, deleting
// and scrolling bring in with the current background: xterm (41) and VTE
// since 0.54 (65) do; Konsole, kitty and qterminal answer 0 or 1 (as older
// VTE does) and fill them with their own colours. A multiplexer (tmux 84,
// GNU screen 83) answers for itself, not for the terminal that shows its
// cells: tmux keeps the background in its own grid, but shifts and
// scrolls the terminal outside with sequences of its own, which Konsole,
// kitty and qterminal fill with their colours all the same.
bool KeepsMovedBlanks(int kind);

// The question over time. The answer may come late (a slow link): until it
// does, the form right for both; once it has not come in kPatienceMs, the
// width taken without an answer. An answer, however late, decides.
class AmbiguousWidthQuestion {
public:
    static constexpr std::int64_t kPatienceMs = 2000;
    void Asked(std::int64_t nowMs, int withoutAnswer) {
        askedMs_ = nowMs;
        withoutAnswer_ = withoutAnswer;
    }
    void Answered(int width) { answer_ = width; }
    bool HasAnswer() const { return answer_.has_value(); }
    // Whether the width may still change without an answer.
    bool Waiting() const { return !answer_ && withoutAnswer_ != 0; }
    // 1 or 2, or 0 for the form right for both.
    int Width(std::int64_t nowMs) const {
        if (answer_) return *answer_;
        return nowMs - askedMs_ >= kPatienceMs ? withoutAnswer_ : 0;
    }

private:
    std::int64_t askedMs_ = 0;
    int withoutAnswer_ = 0;
    std::optional<int> answer_;
};

}  // namespace rf::platform
