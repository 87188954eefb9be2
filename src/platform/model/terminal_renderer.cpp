#include "platform/model/terminal_renderer.h"

#include <algorithm>
#include <vector>

#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::platform {
namespace {

constexpr std::uint16_t kPlain = 7;
// Bits that change how a blank looks: the background, reverse and underline.
constexpr std::uint16_t kBlankLook = 0xC0F0;

// The glyph a single-byte cell shows. Control bytes draw as blanks; bytes
// with no character draw as a one-cell middle dot.
std::uint32_t SingleGlyph(std::uint16_t code) {
    if (code < 0x20 || code == 0x7F) return ' ';
    std::uint32_t cp = UnicodeOf(code);
    return cp != 0 ? cp : 0xFF65;
}

constexpr std::uint16_t kIntensity = 0x08;
constexpr std::uint16_t kReverse = 0x4000;
constexpr std::uint16_t kUnderline = 0x8000;

// The classic console's sixteen colours, by console colour number.
constexpr std::uint8_t kRgb[16][3] = {
    {0, 0, 0},     {0, 0, 128},   {0, 128, 0},   {0, 128, 128},   {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

// Console colour bits are blue 1, green 2, red 4; ANSI numbers run red 1, green 2, blue 4.
int AnsiColour(int console) { return (console & 2) | (console & 1) << 2 | (console & 4) >> 2; }

std::string Num(int n) { return std::to_string(n); }

// What an attribute asks of the terminal, as SGR parameters.
struct Look {
    std::string foreground, background;
    bool bold = false, underline = false, reverse = false;
};

Look LookOf(Colours colours, bool reversed, std::uint16_t a) {
    Look look;
    look.underline = (a & kUnderline) != 0;
    const int fg = a & 0x0F, bg = a >> 4 & 0x0F;
    // The highlight in reverse video: it shows on every font and theme, and
    // on the underscores and overlines of the command boxes, where an
    // underline would not, while bright white against light grey differs
    // by less than 2:1.
    const bool marked = reversed && (fg & 8) != 0;
    look.reverse = (a & kReverse) != 0 || marked;
    switch (colours) {
        // Bright white is also bold: on the thin strokes of an anti-aliased
        // font, and in palettes whose white is nearly bright white, the
        // colour alone hardly shows.
        case Colours::kExact: {
            auto rgb = [](int c) { return Num(kRgb[c][0]) + ";" + Num(kRgb[c][1]) + ";" + Num(kRgb[c][2]); };
            look.bold = (fg & 8) != 0 && !marked;
            look.foreground = "38;2;" + rgb(fg);
            look.background = "48;2;" + rgb(bg);
            break;
        }
        case Colours::kPalette:
            look.bold = (fg & 8) != 0 && !marked;
            look.foreground = (fg & 8 ? "9" : "3") + Num(AnsiColour(fg & 7));
            look.background = (bg & 8 ? "10" : "4") + Num(AnsiColour(bg & 7));
            break;
        case Colours::kNone:
            break;
    }
    return look;
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
    if (reset || want.foreground != had.foreground) add(want.foreground);
    if (reset || want.background != had.background) add(want.background);
    if (want.bold != had.bold) add(want.bold ? "1" : "22");
    if (want.underline != had.underline) add(want.underline ? "4" : "24");
    if (want.reverse != had.reverse) add(want.reverse ? "7" : "27");
    return p.empty() ? "" : "\x1b[" + p + "m";
}

}  // namespace

Colours ColoursFor(const char* noColor, const char* colorTerm) {
    // NO_COLOR counts when it is set and not empty.
    if (noColor && *noColor) return Colours::kNone;
    std::string_view ct = colorTerm ? colorTerm : "";
    return ct == "truecolor" || ct == "24bit" ? Colours::kExact : Colours::kPalette;
}

bool TerminalRenderer::IsWide(std::uint32_t cp) {
    struct Range {
        std::uint32_t first, last;
    };
    static constexpr Range kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD},
    };
    for (const Range& r : kWide)
        if (cp >= r.first && cp <= r.last) return true;
    return false;
}

bool TerminalRenderer::Same(const Cell& shown, const Cell& wanted) const {
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
            if (d < static_cast<int>(rel.size()) ) {
                std::string again;
                bool plain = true;
                for (int i = cx; i < x && plain; ++i) {
                    const Cell& c = shown_[y][i];
                    bool blank = c.code == ' ' && attribute_ >= 0 &&
                                 BlankLook(static_cast<std::uint16_t>(attribute_)) == WantedBlank(c.attribute);
                    plain = c.half == 0 && c.code >= 0x20 && c.code < 0x7F &&
                            (blank || c.attribute == attribute_);
                    again += static_cast<char>(c.code);
                }
                if (plain) rel = again;
            }
        } else {
            rel = -d <= 4 ? std::string(static_cast<std::size_t>(-d), '\b')
                          : "\x1b[" + Num(-d) + "D";
        }
        return rel.size() < s.size() ? rel : s;
    };

    if (cursorY_ == y) {
        std::string h = along(cursorX_);
        if (h.size() < best.size()) best = h;
    } else if (cursorY_ >= 0) {
        int d = y - cursorY_;
        std::string v = d > 0 ? (d == 1 ? "\x1b[B" : "\x1b[" + Num(d) + "B")
                              : (d == -1 ? "\x1b[A" : "\x1b[" + Num(-d) + "A");
        std::string h = v + along(cursorX_);
        if (h.size() < best.size()) best = h;
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

void TerminalRenderer::Draw(std::string& out, const VirtualConsole& model, int x, int y) {
    const Cell& cell = model.At(x, y);
    if (cell.half != 1 || x + 1 >= kColumns) {
        // A one-cell glyph (or a stray right half, drawn as a blank).
        std::uint16_t code = cell.half == 0 ? cell.code : ' ';
        MoveTo(out, x, y);
        const std::uint32_t glyph = SingleGlyph(code);
        const bool blank = glyph == ' ';
        bool blankLooksRight = blank && attribute_ >= 0 &&
                               BlankLook(static_cast<std::uint16_t>(attribute_)) == WantedBlank(cell.attribute);
        // A reversed highlight never marks a blank.
        if (!blankLooksRight)
            UseAttribute(out, blank && reversed_ ? cell.attribute & ~kIntensity : cell.attribute);
        AppendUtf8(out, glyph);
        shown_[y][x] = Cell{code, 0, cell.attribute};
        if (++cursorX_ >= kColumns) cursorX_ = -1;  // the wrap is pending: position again
        return;
    }
    std::uint32_t cp = UnicodeOf(cell.code);
    if (cp == 0) cp = 0x30FB;  // no character: a full-width middle dot
    MoveTo(out, x, y);
    UseAttribute(out, cell.attribute);
    if (IsWide(cp) || ambiguousWidth_ == 2) {
        AppendUtf8(out, cp);
    } else if (ambiguousWidth_ == 1) {
        // One cell on this terminal: the glyph, then its second cell blank.
        AppendUtf8(out, cp);
        out += ' ';
    } else {
        // One cell or two, depending on the terminal: blank both, put the
        // glyph at the first, and leave the cursor's column unknown.
        out += "  ";
        cursorX_ = x + 2 < kColumns ? x + 2 : -1;
        MoveTo(out, x, y);
        AppendUtf8(out, cp);
        cursorX_ = -1;
        shown_[y][x] = cell;
        shown_[y][x + 1] = model.At(x + 1, y);
        return;
    }
    cursorX_ = x + 2 < kColumns ? x + 2 : -1;
    shown_[y][x] = cell;
    shown_[y][x + 1] = model.At(x + 1, y);
}

bool TerminalRenderer::Erasable(const Cell& c) const {
    // Erasing keeps the background only: no reverse, no underline.
    return c.code == ' ' && c.half == 0 && (WantedBlank(c.attribute) & (kReverse | kUnderline)) == 0;
}

int TerminalRenderer::EraseRun(std::string& out, const VirtualConsole& model, int x, int y) {
    const Cell& first = model.At(x, y);
    if (!Erasable(first)) return 0;
    const std::uint16_t look = WantedBlank(first.attribute);
    int end = x, lastChanged = x;
    while (end < kColumns && Erasable(model.At(end, y)) && WantedBlank(model.At(end, y).attribute) == look) {
        if (!Same(shown_[y][end], model.At(end, y))) lastChanged = end;
        ++end;
    }
    // A blank run that reaches the row's end is one erase to the end;
    // otherwise erase the cells up to the last that differs.
    const int count = lastChanged - x + 1;
    std::string code = end == kColumns ? "\x1b[K" : count == 1 ? "\x1b[X" : "\x1b[" + Num(count) + "X";
    // Writing the blanks costs a byte each (and the cursor moves with them).
    if (code.size() + 1 >= static_cast<std::size_t>(count)) return 0;
    MoveTo(out, x, y);
    if (attribute_ < 0 || BlankLook(static_cast<std::uint16_t>(attribute_)) != look)
        UseAttribute(out, reversed_ ? first.attribute & ~kIntensity : first.attribute);
    out += code;
    const int erased = end == kColumns ? kColumns : lastChanged + 1;
    for (int i = x; i < erased; ++i) shown_[y][i] = model.At(i, y);
    return erased - x;
}

int TerminalRenderer::RowCost(const VirtualConsole& model, int y, int from) const {
    static const Cell kBlank{' ', 0, kPlain};
    int n = 0;
    for (int x = 0; x < kColumns; ++x) n += !Same(from < 0 ? kBlank : shown_[from][x], model.At(x, y));
    return n;
}

void TerminalRenderer::ScrollRows(std::string& out, const VirtualConsole& model) {
    // For each direction, the region [top, bottom] that saves the most
    // cells: row y shows the terminal's row y + d after the scroll, and the
    // row that comes in is blank.
    int now[kRows], blank[kRows];
    bool any = false;
    for (int y = 0; y < kRows; ++y) {
        now[y] = RowCost(model, y, y);
        any = any || now[y] > 0;
    }
    if (!any) return;
    for (int y = 0; y < kRows; ++y) blank[y] = RowCost(model, y, -1);
    int bestGain = 0, bestTop = 0, bestBottom = 0, bestD = 0;
    for (int d : {1, -1}) {
        // kept[y]: the saving of row y taking its neighbour's content.
        int kept[kRows];
        for (int y = 0; y < kRows; ++y) {
            int from = y + d;
            kept[y] = now[y] - (from >= 0 && from < kRows ? RowCost(model, y, from) : kColumns);
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
    // The region, the move to its edge, the scroll and the region's end cost
    // about two dozen bytes, and each saved cell about one.
    if (bestD == 0 || bestGain < 32) return;
    UseAttribute(out, kPlain);  // the incoming row is blank in plain colours
    out += "\x1b[" + Num(bestTop + 1) + ";" + Num(bestBottom + 1) + "r";
    if (bestD > 0) out += "\x1b[" + Num(bestBottom + 1) + "H\n";
    else out += (bestTop == 0 ? std::string("\x1b[H") : "\x1b[" + Num(bestTop + 1) + "H") + "\x1bM";
    out += "\x1b[r";  // the whole screen again; the cursor goes home
    cursorX_ = cursorY_ = 0;
    if (bestD > 0) {
        for (int y = bestTop; y < bestBottom; ++y) std::copy(shown_[y + 1], shown_[y + 1] + kColumns, shown_[y]);
    } else {
        for (int y = bestBottom; y > bestTop; --y) std::copy(shown_[y - 1], shown_[y - 1] + kColumns, shown_[y]);
    }
    Cell* incoming = shown_[bestD > 0 ? bestBottom : bestTop];
    std::fill(incoming, incoming + kColumns, Cell{' ', 0, kPlain});
}

namespace {

const Cell kBlankCell{' ', 0, kPlain};

// What deleting or inserting n characters at `at` does to a row on the
// terminal (blanks come in plain colours); false where it would cut a
// glyph of two cells.
bool DeleteChars(Cell* row, int columns, int at, int n) {
    if (at < 0 || at + n > columns || row[at].half == 2 || (at + n < columns && row[at + n].half == 2)) return false;
    std::copy(row + at + n, row + columns, row + at);
    std::fill(row + columns - n, row + columns, kBlankCell);
    return true;
}

bool InsertChars(Cell* row, int columns, int at, int n) {
    if (at < 0 || at + n > columns || row[at].half == 2 || row[columns - n].half == 2) return false;
    std::copy_backward(row + at, row + columns - n, row + columns);
    std::fill(row + at, row + at + n, kBlankCell);
    return true;
}

bool PlainBlanks(const Cell* cells, int n) {
    for (int i = 0; i < n; ++i)
        if (cells[i].code != ' ' || cells[i].half != 0 || (cells[i].attribute & kBlankLook) != (kPlain & kBlankLook))
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

bool ApplySteps(Cell* row, int columns, const std::vector<Step>& steps) {
    bool pushedOut = false;
    int pushed = 0;
    for (const Step& st : steps) {
        if (st.insert) {
            pushed = st.n;
            pushedOut = !PlainBlanks(row + columns - st.n, st.n);
            if (pushedOut && steps.size() == 1) return false;
            if (!InsertChars(row, columns, st.at, st.n)) return false;
        } else if (!DeleteChars(row, columns, st.at, st.n)) {
            return false;
        }
    }
    if (pushedOut) std::fill(row + columns - pushed, row + columns, kEitherCell);
    return true;
}

std::string CharCode(int n, char final) { return n == 1 ? std::string("\x1b[") + final : "\x1b[" + Num(n) + final; }

}  // namespace

void TerminalRenderer::ShiftCells(std::string& out, const VirtualConsole& model, int y) {
    // A run of cells shifted left by n: delete n characters at its start,
    // which pulls the rest of the row left, then insert n after its end,
    // which pushes what follows back. Shifted right: insert, then delete.
    // A run that reaches the row's end needs the first step alone.
    // Roughly the bytes that drawing the differences costs: a byte a cell
    // and a move for each run of them.
    auto cost = [&](const Cell* row) {
        int n = 0;
        bool inRun = false;
        for (int x = 0; x < kColumns; ++x) {
            const bool differs = !Same(row[x], model.At(x, y));
            n += differs ? (inRun ? 1 : 5) : 0;
            inRun = differs;
        }
        return n;
    };
    const int before = cost(shown_[y]);
    if (before == 0) return;
    int bestSaving = 0;
    std::vector<Step> best;
    for (int d : {1, 2, -1, -2}) {
        const int n = d > 0 ? d : -d;
        int g[kColumns];
        for (int x = 0; x < kColumns; ++x) {
            const int from = x + d;
            const Cell& moved = from >= 0 && from < kColumns ? shown_[y][from] : kBlankCell;
            g[x] = static_cast<int>(Same(moved, model.At(x, y))) - static_cast<int>(Same(shown_[y][x], model.At(x, y)));
        }
        // The best run inside the row (Kadane) and the best run to its end.
        int run = 0, start = 0, runA = -1, runE = -1, runBest = 0;
        for (int x = 0; x < kColumns; ++x) {
            if (run <= 0) run = 0, start = x;
            run += g[x];
            if (run > runBest) runBest = run, runA = start, runE = x;
        }
        int suffix = 0, suffixA = -1, suffixBest = 0;
        for (int x = kColumns - 1; x >= 0; --x) {
            suffix += g[x];
            if (suffix > suffixBest) suffixBest = suffix, suffixA = x;
        }
        std::vector<std::vector<Step>> candidates;
        if (runA >= 0) {
            if (d > 0) candidates.push_back({{false, runA, n}, {true, runE + 1, n}});
            else candidates.push_back({{true, runA - n, n}, {false, runE + 1, n}});
        }
        if (suffixA >= 0) candidates.push_back({{d < 0, d > 0 ? suffixA : suffixA - n, n}});
        for (auto& steps : candidates) {
            if (steps.size() == 2 && steps[1].at >= kColumns) steps.pop_back();
            Cell row[kColumns];
            std::copy(shown_[y], shown_[y] + kColumns, row);
            const bool ok = ApplySteps(row, kColumns, steps);
            int bytes = 0;
            for (const Step& st : steps) bytes += 4 + static_cast<int>(CharCode(st.n, 'P').size());  // a move and the sequence
            const int saving = ok ? before - cost(row) - bytes : 0;
            if (saving > bestSaving) bestSaving = saving, best = steps;
        }
    }
    if (best.empty()) return;
    UseAttribute(out, kPlain);  // inserted cells are blank in plain colours
    for (const Step& st : best) {
        MoveTo(out, st.at, y);
        out += CharCode(st.n, st.insert ? '@' : 'P');
    }
    ApplySteps(shown_[y], kColumns, best);
}

std::string TerminalRenderer::Frame(const VirtualConsole& model) {
    std::string out;
    if (repaint_) {
        // The screen cleared in plain colours (black where there are colours).
        out += Transition(colours_, reversed_, -1, kPlain) + "\x1b[2J";
        for (auto& row : shown_)
            for (auto& c : row) c = Cell{' ', 0, kPlain};
        attribute_ = kPlain;
        cursorX_ = cursorY_ = -1;
        cursorState_ = -1;
        repaint_ = false;
    }
    const bool wantCursor = model.CursorVisible() && model.CursorY() < kRows;
    // Moving cells may show them for a moment where they end up anyway;
    // the cursor is hidden first all the same.
    const std::size_t before = out.size();
    ScrollRows(out, model);
    for (int y = 0; y < kRows; ++y) ShiftCells(out, model, y);
    if (out.size() != before && cursorState_ != 0) {
        out.insert(before, "\x1b[?25l");
        cursorState_ = 0;
    }
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns;) {
            const Cell& m = model.At(x, y);
            int width = m.half == 1 && x + 1 < kColumns ? 2 : 1;
            bool changed = !Same(shown_[y][x], m) || (width == 2 && !Same(shown_[y][x + 1], model.At(x + 1, y)));
            if (!changed) {
                x += width;
                continue;
            }
            // A cursor that stays shown stays; otherwise it is hidden while drawing.
            if (cursorState_ != 0 && !(wantCursor && cursorState_ == 1)) {
                out += "\x1b[?25l";
                cursorState_ = 0;
            }
            if (int erased = EraseRun(out, model, x, y)) {
                x += erased;
                continue;
            }
            Draw(out, model, x, y);
            x += width;
        }
    }
    if (wantCursor) {
        MoveTo(out, model.CursorX(), model.CursorY());
        if (cursorState_ != 1) out += "\x1b[?25h";
        cursorState_ = 1;
    } else if (cursorState_ != 0) {
        out += "\x1b[?25l";
        cursorState_ = 0;
    }
    return out;
}

}  // namespace rf::platform
