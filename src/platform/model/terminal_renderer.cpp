#include "platform/model/terminal_renderer.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/console_session.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::platform {
namespace {

constexpr std::uint16_t kPlain = 7;
// The attribute of a blank the terminal made in its own colours.
constexpr std::uint16_t kForeign = 0xFFFF;
// Bits that change how a blank looks: the background, reverse and underline.
constexpr std::uint16_t kBlankLook = 0xC0F0;
// About the cells a scroll must save to pay for its sequences.
constexpr int kScrollWorth = 32;
// At most as many blanks written after a glyph of unknown width as a move
// to a column costs.
constexpr int kTrailingBlanks = 4;

// The glyph a double-byte cell shows; a code with no character shows as a
// full-width middle dot.
std::uint32_t DoubleGlyph(std::uint16_t code) {
    std::uint32_t cp = UnicodeOf(code);
    return cp != 0 ? cp : 0x30FB;
}

// The glyph a single-byte cell shows. Control bytes draw as blanks; bytes
// with no character draw as a one-cell middle dot.
std::uint32_t SingleGlyph(std::uint16_t code) {
    if (code < 0x20 || code == 0x7F) return ' ';
    std::uint32_t cp = UnicodeOf(code);
    return cp != 0 ? cp : 0xFF65;
}

constexpr std::uint16_t kIntensity = 0x08;
constexpr std::uint16_t kReverse = 0x4000;
constexpr std::uint16_t kUnderline = kUnderscore;

// The classic console's sixteen colours, by console colour number.
constexpr std::uint8_t kRgb[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0}, {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
};

// Console colour bits are blue 1, green 2, red 4; ANSI numbers run red 1, green 2, blue 4.
int AnsiColour(int console) { return (console & 2) | (console & 1) << 2 | (console & 4) >> 2; }

std::string Num(int n) { return std::to_string(n); }

// What an attribute asks of the terminal: its console colours and modes.
struct Look {
    int foreground = 7, background = 0;
    bool bold = false, underline = false, reverse = false;
};

Look LookOf(Colours colours, bool reversed, std::uint16_t a) {
    Look look;
    look.underline = (a & kUnderline) != 0;
    look.foreground = a & 0x0F;
    look.background = a >> 4 & 0x0F;
    // The highlight in reverse video: it shows on every font and theme, and
    // on the underscores and overlines of the command boxes, where an
    // underline would not, while bright white against light grey differs
    // by less than 2:1.
    const bool marked = reversed && (look.foreground & 8) != 0;
    look.reverse = (a & kReverse) != 0 || marked;
    // Bright white is also bold where there are colours: on the thin
    // strokes of an anti-aliased font, and in palettes whose white is
    // nearly bright white, the colour alone hardly shows.
    look.bold = colours != Colours::kNone && (look.foreground & 8) != 0 && !marked;
    return look;
}

// A console colour as SGR parameters: 24-bit, or the nearest of the
// palette; none without colours.
std::string ColourParameters(Colours colours, int c, bool background) {
    switch (colours) {
        case Colours::kExact:
            return (background ? "48;2;" : "38;2;") + Num(kRgb[c][0]) + ";" + Num(kRgb[c][1]) + ";" + Num(kRgb[c][2]);
        case Colours::kPalette:
            return (c & 8 ? (background ? "10" : "9") : (background ? "4" : "3")) + Num(AnsiColour(c & 7));
        case Colours::kNone: break;
    }
    return "";
}

// The SGR sequence that takes the terminal from attribute `from` (-1:
// unknown) to `to`; only what differs, empty when nothing does.
std::string Transition(Colours colours, bool reversed, int from, std::uint16_t to) {
    const Look want = LookOf(colours, reversed, to);
    const bool reset = from < 0;
    const Look had = reset ? Look{} : LookOf(colours, reversed, static_cast<std::uint16_t>(from));
    std::string p = reset ? "0" : "";
    auto add = [&p](const std::string& s) {
        if (s.empty()) return;
        if (!p.empty()) p += ';';
        p += s;
    };
    if (reset || want.foreground != had.foreground) add(ColourParameters(colours, want.foreground, false));
    if (reset || want.background != had.background) add(ColourParameters(colours, want.background, true));
    if (want.bold != had.bold) add(want.bold ? "1" : "22");
    if (want.underline != had.underline) add(want.underline ? "4" : "24");
    if (want.reverse != had.reverse) add(want.reverse ? "7" : "27");
    if (p.empty()) return "";
    // The reset on its own: mlterm ignores a whole SGR that starts with it
    // and goes on with 24-bit colours.
    if (reset && colours == Colours::kExact) return "\x1b[0m" + (p.size() > 1 ? "\x1b[" + p.substr(2) + "m" : "");
    return "\x1b[" + p + "m";
}

}  // namespace

Colours ColoursFor(const char* noColor, const char* colorTerm, std::string_view term, bool directColour) {
    // NO_COLOR counts when it is set and not empty.
    if (noColor && *noColor) return Colours::kNone;
    std::string_view ct = colorTerm ? colorTerm : "";
    const bool asked = ct == "truecolor" || ct == "24bit";
    return asked && (directColour || !term.starts_with("screen")) ? Colours::kExact : Colours::kPalette;
}

bool TerminalRenderer::IsWide(std::uint32_t cp) {
    struct Range {
        std::uint32_t first, last;
    };
    static constexpr Range kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA000, 0xA4CF},
        {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD},
    };
    for (const Range& r : kWide)
        if (cp >= r.first && cp <= r.last) return true;
    return false;
}

bool TerminalRenderer::RowDiffers(int y) const {
    return !std::equal(shown_[y], shown_[y] + kColumns, want_[y],
                       [this](const Cell& a, const Cell& b) { return Same(a, b); });
}

bool TerminalRenderer::Same(const Cell& shown, const Cell& wanted) const {
    if (shown.attribute == kForeign) return false;
    if (shown.code != wanted.code || shown.half != wanted.half) return false;
    if (wanted.code == ' ' && wanted.half == 0)
        return (shown.attribute & kBlankLook) == (wanted.attribute & kBlankLook);
    return shown.attribute == wanted.attribute;
}

void TerminalRenderer::MoveTo(std::string& out, int x, int y) {
    if (cursorY_ == y && cursorX_ == x) return;
    std::string best;
    if (x == 0 && y == 0) best = "\x1b[H";
    else if (x == 0) best = "\x1b[" + Num(y + 1) + "H";
    else best = "\x1b[" + Num(y + 1) + ";" + Num(x + 1) + "H";

    // Along the row from column cx (-1 unknown) to x.
    auto along = [&](int cx) {
        std::string s = x == 0 ? "\r" : "\x1b[" + Num(x + 1) + "G";
        if (cx < 0 || cx == x) return cx == x ? std::string() : s;
        std::string rel;
        int d = x - cx;
        if (d > 0) {
            rel = d == 1 ? "\x1b[C" : "\x1b[" + Num(d) + "C";
            // Writing the plain cells on the way again can be cheaper.
            if (d < static_cast<int>(rel.size())) {
                std::string again;
                bool plain = true;
                for (int i = cx; i < x && plain; ++i) {
                    const Cell& c = shown_[y][i];
                    // A blank by its look alone (without colours the
                    // intensity's attribute draws blanks in reverse).
                    bool blank = c.code == ' ' && attribute_ >= 0 && c.attribute != kForeign &&
                                 BlankLook(static_cast<std::uint16_t>(attribute_)) == WantedBlank(c.attribute);
                    plain = c.half == 0 && c.code >= 0x20 && c.code < 0x7F &&
                            (c.code == ' ' ? blank : c.attribute == attribute_);
                    again += static_cast<char>(c.code);
                }
                if (plain) rel = again;
            }
        } else {
            rel = -d <= 4 ? std::string(static_cast<std::size_t>(-d), '\b') : "\x1b[" + Num(-d) + "D";
        }
        return rel.size() < s.size() ? rel : s;
    };

    // After the last column of a terminal as wide as the game the wrap is
    // pending, and what a move does with it differs between terminals: xterm
    // forgets it on an index, tmux keeps it until a backspace takes it
    // instead of a column. Only a move to a column says where the cursor is.
    const bool pending = cursorX_ == kColumns && terminalColumns_ == kColumns;
    if (cursorY_ == y) {
        std::string h = along(pending ? -1 : cursorX_);
        if (h.size() < best.size()) best = h;
    } else if (cursorY_ >= 0) {
        int d = y - cursorY_;
        const int column = pending ? -1 : cursorX_;
        // A row down or up by index and reverse index: the scroll region is
        // always the whole screen here, so neither scrolls.
        std::string v = d > 0 ? (d == 1 ? "\x1b"
                                          "D"
                                        : "\x1b[" + Num(d) + "B")
                              : (d == -1 ? "\x1bM" : "\x1b[" + Num(-d) + "A");
        for (const std::string& row : {v, "\x1b[" + Num(y + 1) + "d"}) {
            std::string h = row + along(column);
            if (h.size() < best.size()) best = h;
        }
        if (d == 1 && x == 0 && best.size() > 2) best = "\r\n";
    }
    out += best;
    cursorX_ = x;
    cursorY_ = y;
}

void TerminalRenderer::UseAttribute(std::string& out, int attribute) {
    if (attribute_ == attribute) return;
    out += Transition(colours_, reversed_, attribute_, static_cast<std::uint16_t>(attribute));
    attribute_ = attribute;
}

std::uint16_t TerminalRenderer::BlankLook(std::uint16_t attribute) const {
    if (!reversed_) return attribute & kBlankLook;
    // The intensity shows as reverse; with colours the background shows too.
    const std::uint16_t kept = colours_ == Colours::kNone ? kUnderline : kBlankLook & ~kReverse;
    return (attribute & kept) | ((attribute & (kIntensity | kReverse)) ? kReverse : 0);
}

std::uint16_t TerminalRenderer::WantedBlank(std::uint16_t attribute) const {
    return BlankLook(reversed_ ? attribute & ~kIntensity : attribute);
}

std::uint16_t TerminalRenderer::DrawnAttribute(const Cell& cell, bool blank) const {
    return blank && reversed_ && (cell.attribute & kReverse) == 0 ? cell.attribute & ~kIntensity : cell.attribute;
}

void TerminalRenderer::Draw(std::string& out, int x, int y) {
    const Cell& cell = want_[y][x];
    if (cell.half != 1 || x + 1 >= kColumns) {
        // A one-cell glyph (or a stray right half, drawn as a blank).
        std::uint16_t code = cell.half == 0 ? cell.code : ' ';
        MoveTo(out, x, y);
        const std::uint32_t glyph = SingleGlyph(code);
        const bool blank = glyph == ' ';
        bool blankLooksRight = blank && attribute_ >= 0 &&
                               BlankLook(static_cast<std::uint16_t>(attribute_)) == WantedBlank(cell.attribute);
        if (!blankLooksRight) UseAttribute(out, DrawnAttribute(cell, blank));
        AppendUtf8(out, glyph);
        shown_[y][x] = Cell{code, 0, cell.attribute};
        ++cursorX_;
        AfterLastColumn();
        return;
    }
    const std::uint32_t cp = DoubleGlyph(cell.code);
    MoveTo(out, x, y);
    if (!IsWide(cp) && ambiguousWidth_ == 0) {
        // One cell or two, depending on the terminal: the second cell must
        // be blank where it is one. Unless it already is, blank both first;
        // the cursor's column is unknown after the glyph.
        const Cell& next = shown_[y][x + 1];
        const Cell& here = shown_[y][x];
        const bool blankNext = Same(next, Cell{' ', 0, SecondCell(cell.attribute)}) ||
                               (next.half == 2 && here.half == 1 && !IsWide(DoubleGlyph(here.code)) &&
                                (SecondCell(here.attribute) & kBlankLook) == (SecondCell(cell.attribute) & kBlankLook));
        UseAttribute(out, cell.attribute);
        if (!blankNext) {
            out += "  ";
            cursorX_ = x + 2;
            AfterLastColumn();
            MoveTo(out, x, y);
        }
        AppendUtf8(out, cp);
        cursorX_ = -1;
        shown_[y][x] = cell;
        shown_[y][x + 1] = want_[y][x + 1];
        return;
    }
    UseAttribute(out, cell.attribute);
    AppendUtf8(out, cp);
    shown_[y][x] = cell;
    if (ambiguousWidth_ == 1 && !IsWide(cp)) {
        // One cell on this terminal; its second cell is drawn as a blank of its own.
        ++cursorX_;
        return;
    }
    // A glyph of two cells that ends in the last column leaves the cursor
    // where terminals differ (libvterm at its first cell).
    cursorX_ = x + 2 < kColumns || terminalColumns_ > kColumns ? x + 2 : -1;
    shown_[y][x + 1] = want_[y][x + 1];
}

void TerminalRenderer::SetAmbiguousWidth(int cells) {
    cells = cells == 1 || cells == 2 ? cells : 0;
    if (cells == ambiguousWidth_) return;
    if (ambiguousWidth_ != 0) Invalidate();  // leaving a known width, to any other
    ambiguousWidth_ = cells;
    if (cells != 1 || repaint_) return;
    // On a terminal of one cell the form for both left the second cell a blank.
    for (auto& row : shown_)
        for (int x = 0; x + 1 < kColumns; ++x)
            if (row[x].half == 1 && row[x + 1].half == 2 && !IsWide(DoubleGlyph(row[x].code)))
                row[x + 1] = Cell{' ', 0, SecondCell(row[x].attribute)};
}

std::uint16_t TerminalRenderer::SecondCell(std::uint16_t attribute) const {
    return reversed_ && (attribute & kIntensity) != 0 ? static_cast<std::uint16_t>(attribute | kReverse) : attribute;
}

void TerminalRenderer::UnmarkedBlanks(std::string& out) {
    // Some terminals (libvterm) give reverse video to the blanks they make.
    if (reversed_ &&
        (attribute_ < 0 || (BlankLook(static_cast<std::uint16_t>(attribute_)) & (kReverse | kUnderline)) != 0))
        UseAttribute(out, kPlain);
}

void TerminalRenderer::AfterLastColumn() {
    // The cursor is beyond the game's columns on a wider terminal, at the
    // last with the wrap pending on one as wide; unknown when the terminal's
    // width is.
    if (cursorX_ == kColumns && terminalColumns_ < kColumns) cursorX_ = -1;
}

Cell TerminalRenderer::ForeignBlank() const {
    // Without colours the game's blanks are in the terminal's own colours too.
    return colours_ == Colours::kNone ? Cell{' ', 0, kPlain} : Cell{' ', 0, kForeign};
}

int TerminalRenderer::KeptBlankAttribute() const {
    // The attribute in use when it marks no blank (no reverse, no
    // underline), otherwise the plain one that MovingBlanks sets.
    const bool marks =
        attribute_ < 0 || (attribute_ & (kReverse | kUnderline)) != 0 || (reversed_ && (attribute_ & kIntensity) != 0);
    return marks ? kPlain : attribute_;
}

Cell TerminalRenderer::MovedBlank() const {
    if (!movedBlanksKept_ || colours_ == Colours::kNone) return ForeignBlank();
    return Cell{' ', 0, static_cast<std::uint16_t>((KeptBlankAttribute() & 0x00F0) | kPlain)};
}

void TerminalRenderer::MovingBlanks(std::string& out) {
    if (!movedBlanksKept_ || colours_ == Colours::kNone) return UnmarkedBlanks(out);
    UseAttribute(out, KeptBlankAttribute());
}

bool TerminalRenderer::Erasable(const Cell& c) const {
    // Erasing keeps the background only: no reverse, no underline.
    return c.code == ' ' && c.half == 0 && (WantedBlank(c.attribute) & (kReverse | kUnderline)) == 0;
}

int TerminalRenderer::EraseRun(std::string& out, int x, int y) {
    // Without bce erased cells show the terminal's own colours: right only
    // where the game draws none.
    if (!backgroundErase_ && colours_ != Colours::kNone) return 0;
    const Cell& first = want_[y][x];
    if (!Erasable(first)) return 0;
    const std::uint16_t look = WantedBlank(first.attribute);
    int end = x, lastChanged = x;
    while (end < kColumns && Erasable(want_[y][end]) && WantedBlank(want_[y][end].attribute) == look) {
        if (!Same(shown_[y][end], want_[y][end])) lastChanged = end;
        ++end;
    }
    // A blank run that reaches the row's end is one erase to the end, one
    // from the row's start an erase to the start; otherwise erase the cells
    // up to the last that differs. Neither of the last two covers a glyph of
    // two cells (mlterm erases too few cells over one).
    int count = lastChanged - x + 1;
    if (end < kColumns) {
        for (int i = x; i < x + count; ++i)
            if (shown_[y][i].half == 2 || (shown_[y][i].half == 1 && i + 1 < kColumns && shown_[y][i + 1].half == 2)) {
                count = i - x;
                break;
            }
    }
    if (count == 0) return 0;
    const bool toStart = x == 0 && end < kColumns && count > 1;
    std::string code = end == kColumns ? "\x1b[K"
                       : toStart       ? "\x1b[1K"
                       : count == 1    ? "\x1b[X"
                                       : "\x1b[" + Num(count) + "X";
    // Writing the blanks costs a byte each (and the cursor moves with them);
    // written into the last column they leave a pending wrap, after which
    // only a move to a column is understood alike (three bytes more). An
    // erase leaves the cursor in its column, so where the row below needs
    // its last cell drawn too (blanks that a shift brought in), that cell
    // is an index away: the erase wins a tie.
    const bool wrapPending = end == kColumns && terminalColumns_ == kColumns;
    const bool endBelow = y + 1 < kRows && !Same(shown_[y + 1][kColumns - 1], want_[y + 1][kColumns - 1]);
    const int pendingWrap = wrapPending ? 3 : 0;
    if (code.size() + (wrapPending && endBelow ? 0 : 1) >= static_cast<std::size_t>(count + pendingWrap)) return 0;
    // Where the erase may be done from: an erase to the row's end also from
    // the blanks before x that already look right, one to the row's start
    // also from those after its last cell; the cheapest move wins.
    int at = toStart ? count - 1 : x;
    if (end == kColumns || toStart) {
        const auto right = [&](int i) {
            return Erasable(want_[y][i]) && WantedBlank(want_[y][i].attribute) == look &&
                   Same(shown_[y][i], want_[y][i]);
        };
        int from = at, to = at;
        if (toStart) {
            while (to + 1 < kColumns && right(to + 1) && shown_[y][to + 1].half == 0) ++to;
        } else {
            while (from > 0 && right(from - 1)) --from;
        }
        std::size_t cheapest = std::string::npos;
        const int savedX = cursorX_, savedY = cursorY_;
        for (int c : {at, cursorX_, toStart ? to : from}) {
            if (c < from || c > to) continue;
            std::string move;
            MoveTo(move, c, y);
            cursorX_ = savedX, cursorY_ = savedY;
            if (move.size() < cheapest) cheapest = move.size(), at = c;
        }
    }
    MoveTo(out, at, y);
    if (attribute_ < 0 || BlankLook(static_cast<std::uint16_t>(attribute_)) != look)
        UseAttribute(out, reversed_ ? first.attribute & ~kIntensity : first.attribute);
    out += code;
    const int erased = end == kColumns ? kColumns : x + count;
    for (int i = x; i < erased; ++i) shown_[y][i] = want_[y][i];
    return erased - x;
}

int TerminalRenderer::RowCost(int y, int from) const {
    int n = 0;
    if (from >= 0) {
        for (int x = 0; x < kColumns; ++x) n += !Same(shown_[from][x], want_[y][x]);
        return n;
    }
    // Foreign blanks: every cell is drawn, a run of blanks erased at once
    // where erasing keeps the game's colours.
    const bool erase = backgroundErase_ || colours_ == Colours::kNone;
    const Cell foreign = MovedBlank();
    bool inRun = false;
    for (int x = 0; x < kColumns; ++x) {
        const Cell& w = want_[y][x];
        const bool erased = erase && Erasable(w);
        if (!Same(foreign, w)) n += erased ? (inRun ? 0 : 4) : 1;
        inRun = erased && !Same(foreign, w);
    }
    return n;
}

void TerminalRenderer::ScrollRows(std::string& out) {
    // For each direction, the region [top, bottom] that saves the most
    // cells: row y shows the terminal's row y + d after the scroll, and the
    // row that comes in is blank, in colours no terminal agrees on (the
    // current background, or the terminal's own).
    int now[kRows], blank[kRows];
    int total = 0;
    for (int y = 0; y < kRows; ++y) {
        now[y] = differs_[y] ? RowCost(y, y) : 0;
        total += now[y];
    }
    // No region saves more cells than differ in all.
    if (total < kScrollWorth) return;
    for (int y = 0; y < kRows; ++y) blank[y] = RowCost(y, -1);
    int bestGain = 0, bestTop = 0, bestBottom = 0, bestD = 0;
    for (int d : {1, -1}) {
        // kept[y]: the saving of row y taking its neighbour's content.
        int kept[kRows];
        for (int y = 0; y < kRows; ++y) {
            int from = y + d;
            kept[y] = now[y] - (from >= 0 && from < kRows ? RowCost(y, from) : kColumns);
        }
        for (int top = 0; top < kRows; ++top) {
            int sum = 0;  // kept over the rows that take a neighbour's content
            for (int bottom = top + 1; bottom < kRows; ++bottom) {
                // Up: rows top .. bottom - 1 move, bottom comes in blank.
                // Down: rows top + 1 .. bottom move, top comes in blank.
                int gain;
                if (d > 0) {
                    sum += kept[bottom - 1];
                    gain = sum + now[bottom] - blank[bottom];
                } else {
                    sum += kept[bottom];
                    gain = sum + now[top] - blank[top];
                }
                if (gain > bestGain) bestGain = gain, bestTop = top, bestBottom = bottom, bestD = d;
            }
        }
    }
    // The region, the move to its edge, the scroll, the region's end and
    // the move after it cost about two dozen bytes, and each saved cell
    // about one.
    if (bestD == 0 || bestGain < kScrollWorth) return;
    const Cell moved = MovedBlank();
    MovingBlanks(out);
    out += "\x1b[" + Num(bestTop + 1) + ";" + Num(bestBottom + 1) + "r";
    if (bestD > 0) out += "\x1b[" + Num(bestBottom + 1) + "H\n";
    else out += (bestTop == 0 ? std::string("\x1b[H") : "\x1b[" + Num(bestTop + 1) + "H") + "\x1bM";
    // The whole screen again: pyte takes a bare reset for one of the top
    // margin alone, so the bottom is given where the region ends above it.
    const bool bareReset = terminalRows_ <= 0 || bestBottom == terminalRows_ - 1;
    out += bareReset ? std::string("\x1b[r") : "\x1b[;" + Num(terminalRows_) + "r";
    cursorX_ = cursorY_ = -1;
    if (bestD > 0) {
        for (int y = bestTop; y < bestBottom; ++y) std::copy(shown_[y + 1], shown_[y + 1] + kColumns, shown_[y]);
    } else {
        for (int y = bestBottom; y > bestTop; --y) std::copy(shown_[y - 1], shown_[y - 1] + kColumns, shown_[y]);
    }
    Cell* incoming = shown_[bestD > 0 ? bestBottom : bestTop];
    std::fill(incoming, incoming + kColumns, moved);
    for (int y = bestTop; y <= bestBottom; ++y) differs_[y] = RowDiffers(y);
}

namespace {

// What deleting or inserting n characters at `at` does to a row on the
// terminal (blanks come in as `blank`); false where it would cut a glyph
// of two cells.
bool DeleteChars(Cell* row, int columns, int at, int n, const Cell& blank) {
    if (at < 0 || at + n > columns || row[at].half == 2 || (at + n < columns && row[at + n].half == 2)) return false;
    std::copy(row + at + n, row + columns, row + at);
    std::fill(row + columns - n, row + columns, blank);
    return true;
}

bool InsertChars(Cell* row, int columns, int at, int n, const Cell& blank) {
    if (at < 0 || at + n > columns || row[at].half == 2 || row[columns - n].half == 2) return false;
    std::copy_backward(row + at, row + columns - n, row + columns);
    std::fill(row + at, row + at + n, blank);
    return true;
}

// Blanks in plain colours or the terminal's own, which may stand beyond
// the game's columns.
bool PlainBlanks(const Cell* cells, int n) {
    for (int i = 0; i < n; ++i)
        if (cells[i].code != ' ' || cells[i].half != 0 ||
            (cells[i].attribute != kForeign && (cells[i].attribute & kBlankLook) != (kPlain & kBlankLook)))
            return false;
    return true;
}

// Inserting pushes the row's last cells past the game's columns: a terminal
// of exactly 80 loses them, a wider one keeps them there, and a delete
// after the insert brings them back. So an insert alone may push out plain
// blanks only; after an insert and a delete those cells are either, and
// are marked to be drawn again.
const Cell kEitherCell{0xFFFF, 0, 0};

struct Step {
    bool insert;
    int at, n;
};
// One or two steps, kept on the stack: a frame tries many.
struct Steps {
    Step step[2];
    int count = 0;
    const Step* begin() const { return step; }
    const Step* end() const { return step + count; }
};

bool ApplySteps(Cell* row, int columns, const Steps& steps, const Cell& blank) {
    bool pushedOut = false;
    int pushed = 0;
    for (const Step& st : steps) {
        if (st.insert) {
            pushed = st.n;
            pushedOut = !PlainBlanks(row + columns - st.n, st.n);
            if (pushedOut && steps.count == 1) return false;
            if (!InsertChars(row, columns, st.at, st.n, blank)) return false;
        } else if (!DeleteChars(row, columns, st.at, st.n, blank)) {
            return false;
        }
    }
    if (pushedOut) std::fill(row + columns - pushed, row + columns, kEitherCell);
    return true;
}

// The shifts by d worth trying, given each cell's gain from the shift: the
// best run inside the row (Kadane) and the best run to its end.
int ShiftCandidates(const int* gain, int columns, int d, Steps* candidates) {
    const int n = d > 0 ? d : -d;
    int run = 0, start = 0, runA = -1, runE = -1, runBest = 0;
    for (int x = 0; x < columns; ++x) {
        if (run <= 0) run = 0, start = x;
        run += gain[x];
        if (run > runBest) runBest = run, runA = start, runE = x;
    }
    int suffix = 0, suffixA = -1, suffixBest = 0;
    for (int x = columns - 1; x >= 0; --x) {
        suffix += gain[x];
        if (suffix > suffixBest) suffixBest = suffix, suffixA = x;
    }
    int count = 0;
    if (runA >= 0) {
        if (d > 0) candidates[count++] = {{{false, runA, n}, {true, runE + 1, n}}, 2};
        else candidates[count++] = {{{true, runA - n, n}, {false, runE + 1, n}}, 2};
    }
    if (suffixA >= 0) candidates[count++] = {{{d<0, d> 0 ? suffixA : suffixA - n, n}}, 1};
    return count;
}

std::string CharCode(int n, char final) { return n == 1 ? std::string("\x1b[") + final : "\x1b[" + Num(n) + final; }

}  // namespace

void TerminalRenderer::ShiftCells(std::string& out, int y) {
    // A run of cells shifted left by n: delete n characters at its start,
    // which pulls the rest of the row left, then insert n after its end,
    // which pushes what follows back. Shifted right: insert, then delete.
    // A run that reaches the row's end needs the first step alone. The
    // blanks that come in may be in the terminal's own colours (Konsole,
    // qterminal), so they are drawn again unless the terminal is known to
    // keep the background there.
    auto endDiffers = [&](int row) {
        return row >= 0 && row < kRows && !Same(shown_[row][kColumns - 1], want_[row][kColumns - 1]);
    };
    const bool endAbove = endDiffers(y - 1) || endDiffers(y + 1);
    // Roughly the bytes that drawing the differences costs: a byte a cell
    // and a move for each run of them. A glyph of two cells costs three
    // bytes; a run at the row's end next to one at the end of the row above
    // or below is reached by a short move.
    auto cost = [&](const Cell* row) {
        int n = 0;
        bool inRun = false;
        for (int x = 0; x < kColumns; ++x) {
            const bool differs = !Same(row[x], want_[y][x]);
            if (differs && !inRun) n += 4;
            if (differs) n += want_[y][x].half == 0 ? 1 : want_[y][x].half == 1 ? 3 : 0;
            inRun = differs;
        }
        if (inRun && endAbove) n -= 2;
        return n;
    };
    if (!differs_[y]) return;
    // A shift costs at least a move and a sequence of three bytes.
    const int before = cost(shown_[y]);
    if (before <= 7) return;
    int bestSaving = 0;
    Steps best;
    const Cell foreign = MovedBlank();
    int here[kColumns];
    for (int x = 0; x < kColumns; ++x) here[x] = static_cast<int>(Same(shown_[y][x], want_[y][x]));
    for (int d : {1, 2, -1, -2}) {
        int g[kColumns];
        for (int x = 0; x < kColumns; ++x) {
            const int from = x + d;
            const Cell& moved = from >= 0 && from < kColumns ? shown_[y][from] : foreign;
            g[x] = static_cast<int>(Same(moved, want_[y][x])) - here[x];
        }
        Steps candidates[2];
        const int count = ShiftCandidates(g, kColumns, d, candidates);
        for (int c = 0; c < count; ++c) {
            Steps& steps = candidates[c];
            if (steps.count == 2 && steps.step[1].at >= kColumns) steps.count = 1;
            Cell row[kColumns];
            std::copy(shown_[y], shown_[y] + kColumns, row);
            const bool ok = ApplySteps(row, kColumns, steps, foreign);
            int bytes = 0;
            for (const Step& st : steps)
                bytes += 4 + static_cast<int>(CharCode(st.n, 'P').size());  // a move and the sequence
            const int saving = ok ? before - cost(row) - bytes : 0;
            if (saving > bestSaving) bestSaving = saving, best = steps;
        }
    }
    if (best.count == 0) return;
    MovingBlanks(out);
    for (const Step& st : best) {
        MoveTo(out, st.at, y);
        out += CharCode(st.n, st.insert ? '@' : 'P');
    }
    ApplySteps(shown_[y], kColumns, best, foreign);
    differs_[y] = RowDiffers(y);
}

TerminalRenderer::Trail TerminalRenderer::TrailingBlanks(int x, int y) const {
    const Cell* shown = shown_[y];
    const Cell* want = want_[y];
    const std::uint16_t look = BlankLook(want[x].attribute);
    auto blank = [&](int i) {
        return want[i].code == ' ' && want[i].half == 0 && WantedBlank(want[i].attribute) == look;
    };
    // The blanks that differ right after the glyph; the last column is left
    // out, where a write leaves the cursor as terminals differ.
    int end = x + 2;
    while (end < kColumns - 1 && blank(end) && !Same(shown[end], want[end])) ++end;
    const int last = end - 1;
    if (last < x + 2) return {};
    // They end on the right half of another glyph of unknown width, which
    // a terminal of one cell shows as a blank already: one cell fewer, and
    // a terminal of two cells writes over both halves of that glyph.
    const bool half = last - 1 >= x + 2 && shown[last].half == 2 && shown[last - 1].half == 1 &&
                      !IsWide(DoubleGlyph(shown[last - 1].code)) &&
                      BlankLook(shown[last - 1].attribute) == WantedBlank(want[last].attribute);
    // Otherwise one cell more, which a terminal of two cells writes into:
    // a blank already, as it must stay.
    if (!half && !(end < kColumns - 1 && blank(end) && shown[end].half == 0)) return {};
    for (int i = x + 2; i < (half ? last - 1 : end); ++i)
        if (shown[i].half != 0) return {};
    const int blanks = half ? last - x - 1 : last - x;
    // Longer runs are cheaper erased or reached by a move.
    if (blanks > kTrailingBlanks) return {};
    return {blanks, end};
}

void TerminalRenderer::DrawRows(std::string& out, bool upward, const VirtualConsole& model) {
    const bool wantCursor = model.CursorVisible() && model.CursorY() < kRows;
    struct Unknown {
        int x, y, blanks, end;
    };
    std::vector<Unknown> unknownWidth;
    for (int row = 0; row < kRows; ++row) {
        const int y = upward ? kRows - 1 - row : row;
        if (!differs_[y]) continue;
        for (int x = 0; x < kColumns;) {
            const Cell& m = want_[y][x];
            int width = m.half == 1 && x + 1 < kColumns && want_[y][x + 1].half == 2 ? 2 : 1;
            bool changed = !Same(shown_[y][x], m) || (width == 2 && !Same(shown_[y][x + 1], want_[y][x + 1]));
            if (!changed) {
                x += width;
                continue;
            }
            // A cursor that stays shown stays; otherwise it is hidden while drawing.
            if (cursorState_ != 0 && !(wantCursor && cursorState_ == 1)) {
                out += "\x1b[?25l";
                cursorState_ = 0;
            }
            if (int erased = EraseRun(out, x, y)) {
                x += erased;
                continue;
            }
            // A glyph of unknown width leaves the cursor's column unknown:
            // drawn last, after the moves that need the column.
            if (width == 2 && ambiguousWidth_ == 0 && !IsWide(DoubleGlyph(m.code))) {
                const auto [blanks, end] = TrailingBlanks(x, y);
                unknownWidth.push_back({x, y, blanks, end});
                x = std::max(x + width, end);
                continue;
            }
            Draw(out, x, y);
            x += width;
        }
    }
    for (auto [x, y, blanks, end] : unknownWidth) {
        if (blanks == 0) {
            Draw(out, x, y);
            continue;
        }
        const Cell& glyph = want_[y][x];
        MoveTo(out, x, y);
        UseAttribute(out, glyph.attribute);
        AppendUtf8(out, DoubleGlyph(glyph.code));
        out.append(static_cast<std::size_t>(blanks), ' ');
        std::copy(want_[y] + x, want_[y] + end, shown_[y] + x);
        cursorX_ = -1;
    }
    if (wantCursor) {
        MoveTo(out, model.CursorX(), model.CursorY());
        if (cursorState_ != 1) out += "\x1b[?25h";
        cursorState_ = 1;
    } else if (cursorState_ != 0) {
        out += "\x1b[?25l";
        cursorState_ = 0;
    }
}

void TerminalRenderer::Want(const VirtualConsole& model) {
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) want_[y][x] = model.At(x, y);
        if (ambiguousWidth_ != 1) continue;
        for (int x = 0; x + 1 < kColumns; ++x)
            if (want_[y][x].half == 1 && !IsWide(DoubleGlyph(want_[y][x].code)))
                want_[y][x + 1] = Cell{' ', 0, SecondCell(want_[y][x].attribute)};
    }
}

ShownCell TerminalRenderer::ShownAt(int x, int y) const {
    const Cell& cell = want_[y][x];
    const bool wide = cell.half == 1 && x + 1 < kColumns && want_[y][x + 1].half == 2;
    if (cell.half == 2 && x > 0 && want_[y][x - 1].half == 1) {
        ShownCell half = ShownAt(x - 1, y);
        half.glyph = 0;
        half.wide = false;
        return half;
    }
    ShownCell shown;
    // A stray half is drawn as a blank.
    shown.glyph = wide || (cell.half == 1 && x + 1 < kColumns) ? DoubleGlyph(cell.code)
                  : cell.half == 0                             ? SingleGlyph(cell.code)
                                                               : ' ';
    shown.wide = wide;
    const bool blank = shown.glyph == ' ';
    const Look look = LookOf(colours_, reversed_, blank ? DrawnAttribute(cell, true) : cell.attribute);
    auto rgb = [](int c) {
        return static_cast<std::uint32_t>(kRgb[c][0]) << 16 | static_cast<std::uint32_t>(kRgb[c][1]) << 8 | kRgb[c][2];
    };
    shown.foreground = rgb(look.reverse ? look.background : look.foreground);
    shown.background = rgb(look.reverse ? look.foreground : look.background);
    shown.bold = look.bold;
    shown.underline = look.underline;
    return shown;
}

std::string TerminalRenderer::ShownRow(int y) const {
    ShownCell row[kColumns];
    for (int x = 0; x < kColumns; ++x) row[x] = ShownAt(x, y);
    return TextOf(row);
}

std::string TerminalRenderer::TextOf(const ShownCell (&row)[kColumns]) {
    std::string text;
    for (const ShownCell& cell : row)
        if (cell.glyph != 0) AppendUtf8(text, cell.glyph);
    return text;
}

std::string TerminalRenderer::Frame(const VirtualConsole& model) {
    Want(model);
    std::string out;
    if (repaint_) {
        // The screen cleared in plain colours (black where there are
        // colours). pyte clears it in its own colours whatever the SGR, but
        // erases a row in the current one, so with colours each row of the
        // game is erased too; without bce the cells are drawn one by one.
        out += Transition(colours_, reversed_, -1, kPlain) + "\x1b[?25l\x1b[2J";
        const bool eraseRows = backgroundErase_ && colours_ != Colours::kNone;
        if (eraseRows) {
            out += "\x1b[H\x1b[K";
            for (int y = 1; y < kRows; ++y) out += "\r\n\x1b[K";
        }
        const Cell cleared = backgroundErase_ ? Cell{' ', 0, kPlain} : ForeignBlank();
        for (auto& row : shown_)
            for (auto& c : row) c = cleared;
        attribute_ = kPlain;
        cursorX_ = eraseRows ? 0 : -1;
        cursorY_ = eraseRows ? kRows - 1 : -1;
        cursorState_ = 0;
        repaint_ = false;
    }
    // Most frames of a waiting game change nothing, or only the cursor.
    bool anyDiffers = false;
    for (int y = 0; y < kRows; ++y) anyDiffers = (differs_[y] = RowDiffers(y)) || anyDiffers;
    if (!anyDiffers) {
        DrawRows(out, false, model);
        return out;
    }
    // Moving cells may show them for a moment where they end up anyway;
    // the cursor is hidden first all the same.
    const std::size_t before = out.size();
    ScrollRows(out);
    // Twice: a row's shift may pay once the rows below it have shifted.
    for (int pass = 0; pass < 2; ++pass)
        for (int y = 0; y < kRows; ++y) ShiftCells(out, y);
    if (out.size() != before && cursorState_ != 0) {
        out.insert(before, "\x1b[?25l");
        cursorState_ = 0;
    }
    // A glyph drawn in one cell may spill into the next (xterm draws ■ from
    // a CJK font): that cell is drawn again when the glyph goes, however.
    if (ambiguousWidth_ == 1) {
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x + 1 < kColumns; ++x)
                if (shown_[y][x].half == 1 && shown_[y][x + 1].half == 0 && !Same(shown_[y][x], want_[y][x])) {
                    shown_[y][x + 1] = Cell{' ', 0, kForeign};  // drawn again
                    differs_[y] = true;
                }
    }
    // Rows drawn top down, or bottom up where that is shorter (a glyph that
    // moves up is drawn after the cell it leaves, from where that ends).
    int changedRows = 0;
    for (int y = 0; y < kRows && changedRows < 2; ++y) changedRows += differs_[y];
    if (changedRows < 2) {
        DrawRows(out, false, model);
        return out;
    }
    auto start = std::make_unique<Snapshot>(*this);
    std::string down;
    DrawRows(down, false, model);
    auto afterDown = std::make_unique<Snapshot>(*this);
    start->Restore(*this);
    std::string up;
    DrawRows(up, true, model);
    if (up.size() < down.size()) return out + up;
    afterDown->Restore(*this);
    return out + down;
}

}  // namespace rf::platform
