// Puts the console model on a VT-style terminal: keeps what the terminal
// shows and turns the difference into one frame of escape sequences and
// UTF-8 text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/model/virtual_console.h"

namespace rf::platform {

// How the console's colours reach the terminal: its exact colours, the
// 16-colour palette, or none at all (NO_COLOR: the terminal's own colours,
// the intensity shown in reverse video).
enum class Colours { kExact, kPalette, kNone };

// How the highlight (attribute 15, the selected command, target or menu
// line) shows. Marked: in reverse video, which stands out from plain text
// at a glance in every colour setting. The console's own look: bright
// white on black, as the original console drew it (a colour setting only:
// without colours the highlight is always reversed).
enum class ScreenLook { kMarked, kConsole };

// The colours a terminal asks for through its environment (the values of
// NO_COLOR and COLORTERM; null when unset).
Colours ColoursFor(const char* noColor, const char* colorTerm);

class TerminalRenderer {
public:
    static constexpr int kRows = VirtualConsole::kVisibleRows;
    static constexpr int kColumns = VirtualConsole::kWidth;

    TerminalRenderer() : TerminalRenderer(Colours::kPalette) {}
    explicit TerminalRenderer(Colours colours, ScreenLook look = ScreenLook::kMarked)
        : colours_(colours), reversed_(colours == Colours::kNone || look == ScreenLook::kMarked) {
        Invalidate();
    }

    // The bytes that bring the terminal from what it shows to the model;
    // empty when nothing visible differs. Afterwards the terminal is taken
    // to show the model.
    std::string Frame(const VirtualConsole& model);
    // The terminal's contents are unknown (start, resize, resume): the next
    // frame clears it and draws everything.
    void Invalidate() { repaint_ = true; }
    bool RepaintPending() const { return repaint_; }

    // How many cells the terminal gives a glyph of ambiguous East Asian
    // width (learned at start-up); 0 while unknown, which draws them so
    // that terminals of both kinds look right.
    void SetAmbiguousWidth(int cells) {
        ambiguousWidth_ = cells == 1 || cells == 2 ? cells : 0;
        Invalidate();
    }
    int AmbiguousWidth() const { return ambiguousWidth_; }

    Colours colours() const { return colours_; }
    // Whether a code point is drawn two cells wide by every terminal. Other
    // glyphs that the console gives two cells (the ambiguous ones) are drawn
    // so that one-cell and two-cell terminals both look right.
    static bool IsWide(std::uint32_t codePoint);

private:
    void MoveTo(std::string& out, int x, int y);
    void UseAttribute(std::string& out, int attribute);
    // How a blank looks when drawn while the terminal uses `attribute`: the
    // bits that show on an empty cell.
    std::uint16_t BlankLook(std::uint16_t attribute) const;
    // How a blank cell of the model should look.
    std::uint16_t WantedBlank(std::uint16_t attribute) const;
    void Draw(std::string& out, const VirtualConsole& model, int x, int y);
    // Erases the blanks from (x, y) on when that is shorter than writing
    // them; the number of cells erased, or 0.
    int EraseRun(std::string& out, const VirtualConsole& model, int x, int y);
    bool Erasable(const Cell& c) const;
    // Moves what the terminal shows instead of drawing it again, where that
    // is shorter: rows scrolled inside a scroll region (a map changing
    // vertically), and a run of cells in a row shifted by deleting and
    // inserting a character (a map changing sideways).
    void ScrollRows(std::string& out, const VirtualConsole& model);
    void ShiftCells(std::string& out, const VirtualConsole& model, int y);
    // How many cells of row y differ from the model if the terminal's row
    // `from` stood there (-1: a blank row).
    int RowCost(const VirtualConsole& model, int y, int from) const;
    // Whether the terminal's cell already looks like the model's.
    bool Same(const Cell& shown, const Cell& wanted) const;

    Colours colours_;
    // The highlight shows in reverse video (a blank never takes it).
    bool reversed_;
    Cell shown_[kRows][kColumns];
    bool repaint_ = true;
    int ambiguousWidth_ = 0;
    // The terminal's cursor; -1 when unknown (after a glyph of uncertain
    // width, or a write into the last column).
    int cursorX_ = -1;
    int cursorY_ = -1;
    int attribute_ = -1;
    // The terminal's cursor: -1 unknown, 0 hidden, 1 shown.
    int cursorState_ = -1;
};

}  // namespace rf::platform
