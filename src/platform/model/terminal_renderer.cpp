#include "platform/model/terminal_renderer.h"

#include "platform/model/cp932_unicode.h"

namespace rf::platform {
namespace {

constexpr std::uint16_t kPlain = 7;
// Bits that change how a blank looks: the background, reverse and underline.
constexpr std::uint16_t kBlankLook = 0xC0F0;

// The glyph a single-byte cell shows. Control bytes draw as blanks; bytes
// with no character draw as a one-cell middle dot.
std::uint32_t SingleGlyph(std::uint16_t code) {
    if (code < 0x20 || code == 0x7F) return ' ';
    std::uint32_t cp = Cp932ToUnicode(code);
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

Look LookOf(Colours colours, std::uint16_t a) {
    Look look;
    look.underline = (a & kUnderline) != 0;
    look.reverse = (a & kReverse) != 0;
    const int fg = a & 0x0F, bg = a >> 4 & 0x0F;
    switch (colours) {
        // Bright white is also bold: on the thin strokes of an anti-aliased
        // font, and in palettes whose white is nearly bright white, the
        // colour alone hardly shows.
        case Colours::kExact: {
            auto rgb = [](int c) { return Num(kRgb[c][0]) + ";" + Num(kRgb[c][1]) + ";" + Num(kRgb[c][2]); };
            look.bold = (fg & 8) != 0;
            look.foreground = "38;2;" + rgb(fg);
            look.background = "48;2;" + rgb(bg);
            break;
        }
        case Colours::kPalette:
            look.bold = (fg & 8) != 0;
            look.foreground = (fg & 8 ? "9" : "3") + Num(AnsiColour(fg & 7));
            look.background = (bg & 8 ? "10" : "4") + Num(AnsiColour(bg & 7));
            break;
        case Colours::kNone:
            // Reverse shows on every font and theme, and on the underscores
            // and overlines of the command boxes, where an underline would not.
            look.reverse = look.reverse || (a & kIntensity) != 0;
            break;
    }
    return look;
}

// The SGR sequence that takes the terminal from attribute `from` (-1:
// unknown) to `to`; only what differs, empty when nothing does.
std::string Transition(Colours colours, int from, std::uint16_t to) {
    const Look want = LookOf(colours, to);
    const bool reset = from < 0;
    const Look had = reset ? Look{} : LookOf(colours, static_cast<std::uint16_t>(from));
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
    out += Transition(colours_, attribute_, static_cast<std::uint16_t>(attribute));
    attribute_ = attribute;
}

std::uint16_t TerminalRenderer::BlankLook(std::uint16_t attribute) const {
    if (colours_ != Colours::kNone) return attribute & kBlankLook;
    return (attribute & kUnderline) | ((attribute & (kIntensity | kReverse)) ? kReverse : 0);
}

std::uint16_t TerminalRenderer::WantedBlank(std::uint16_t attribute) const {
    return BlankLook(colours_ == Colours::kNone ? attribute & ~kIntensity : attribute);
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
        // Without colours a blank never takes the intensity's mark.
        if (!blankLooksRight)
            UseAttribute(out, blank && colours_ == Colours::kNone ? cell.attribute & ~kIntensity : cell.attribute);
        AppendUtf8(out, glyph);
        shown_[y][x] = Cell{code, 0, cell.attribute};
        if (++cursorX_ >= kColumns) cursorX_ = -1;  // the wrap is pending: position again
        return;
    }
    std::uint32_t cp = Cp932ToUnicode(cell.code);
    if (cp == 0) cp = 0x30FB;  // no character: a full-width middle dot
    MoveTo(out, x, y);
    UseAttribute(out, cell.attribute);
    if (IsWide(cp)) {
        AppendUtf8(out, cp);
        cursorX_ = x + 2 < kColumns ? x + 2 : -1;
    } else {
        // One cell or two, depending on the terminal: blank both, put the
        // glyph at the first, and leave the cursor's column unknown.
        out += "  ";
        cursorX_ = x + 2 < kColumns ? x + 2 : -1;
        MoveTo(out, x, y);
        AppendUtf8(out, cp);
        cursorX_ = -1;
    }
    shown_[y][x] = cell;
    shown_[y][x + 1] = model.At(x + 1, y);
}

std::string TerminalRenderer::Frame(const VirtualConsole& model) {
    std::string out;
    if (repaint_) {
        // The screen cleared in plain colours (black where there are colours).
        out += Transition(colours_, -1, kPlain) + "\x1b[2J";
        for (auto& row : shown_)
            for (auto& c : row) c = Cell{' ', 0, kPlain};
        attribute_ = kPlain;
        cursorX_ = cursorY_ = -1;
        cursorState_ = -1;
        repaint_ = false;
    }
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns;) {
            const Cell& m = model.At(x, y);
            int width = m.half == 1 && x + 1 < kColumns ? 2 : 1;
            bool changed = !Same(shown_[y][x], m) || (width == 2 && !Same(shown_[y][x + 1], model.At(x + 1, y)));
            if (changed) {
                // The cursor is hidden while drawing.
                if (cursorState_ != 0) out += "\x1b[?25l";
                cursorState_ = 0;
                Draw(out, model, x, y);
            }
            x += width;
        }
    }
    bool wantCursor = model.CursorVisible() && model.CursorY() < kRows;
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
