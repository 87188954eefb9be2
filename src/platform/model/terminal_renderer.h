// Puts the console model on a VT-style terminal: keeps what the terminal
// shows and turns the difference into one frame of escape sequences and
// UTF-8 text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

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
// NO_COLOR and COLORTERM; null when unset), its type and whether its
// terminfo entry takes 24-bit colours. GNU screen passes COLORTERM on from
// the terminal around it but has no 24-bit colours of its own.
Colours ColoursFor(const char* noColor, const char* colorTerm, std::string_view term = {}, bool directColour = false);

// A cell as a terminal with 24-bit colours shows it: for a backend that
// draws the cells itself (the web page), and for tools that print screens.
struct ShownCell {
    // The glyph (a blank is ' '); 0 for the right half of a wide glyph.
    std::uint32_t glyph = ' ';
    // 0xRRGGBB, reverse video already applied.
    std::uint32_t foreground = 0, background = 0;
    // Two cells wide (the next cell is its right half).
    bool wide = false;
    bool bold = false, underline = false;
    bool operator==(const ShownCell&) const = default;
};

class TerminalRenderer {
public:
    static constexpr int kRows = VirtualConsole::kVisibleRows;
    static constexpr int kColumns = VirtualConsole::kWidth;

    TerminalRenderer() : TerminalRenderer(Colours::kPalette) {}
    // `backgroundErase`: erasing fills with the current background colour
    // (terminfo's bce); without it erased cells take the terminal's own
    // colours, so they are written as blanks where that is not what shows.
    explicit TerminalRenderer(Colours colours, bool backgroundErase = true, ScreenLook look = ScreenLook::kMarked)
        : colours_(colours),
          backgroundErase_(backgroundErase),
          reversed_(colours == Colours::kNone || look == ScreenLook::kMarked) {
        Invalidate();
    }

    // The bytes that bring the terminal from what it shows to the model;
    // empty when nothing visible differs. Afterwards the terminal is taken
    // to show the model.
    std::string Frame(const VirtualConsole& model);
    // The terminal's contents are unknown (start, resize, resume): the next
    // frame clears it and draws everything.
    void Invalidate() { repaint_ = true; }

    // Takes the model as the terminal should show it (Frame does so first);
    // then ShownAt tells each cell, and ShownRow a row's text as the
    // terminal shows it (a wide glyph once, a blank after an ambiguous
    // glyph drawn one cell wide).
    void Want(const VirtualConsole& model);
    ShownCell ShownAt(int x, int y) const;
    std::string ShownRow(int y) const;
    static std::string TextOf(const ShownCell (&row)[kColumns]);
    bool RepaintPending() const { return repaint_; }

    // How many cells the terminal gives a glyph of ambiguous East Asian
    // width (learned at start-up, or later); 0 while unknown, which draws
    // them so that terminals of both kinds look right. Learning it keeps
    // the screen (what that form drew is right for either); a width taken
    // back repaints.
    void SetAmbiguousWidth(int cells);
    int AmbiguousWidth() const { return ambiguousWidth_; }
    // The terminal's size (0 while unknown): where the cursor stands after a
    // write into the game's last column, and how the scroll region is reset.
    void SetTerminalSize(int columns, int rows) {
        terminalColumns_ = columns;
        terminalRows_ = rows;
    }

    // Whether the terminal is known to fill the cells that inserting,
    // deleting and scrolling bring in with the current background (xterm,
    // VTE: learned from its answer at start-up). Unknown terminals, those
    // that fill them with their own colours (Konsole, kitty, qterminal) and
    // multiplexers, which may show on either, have those cells drawn again.
    void SetMovedBlanksKept(bool kept) { movedBlanksKept_ = kept; }
    bool MovedBlanksKept() const { return movedBlanksKept_; }

    Colours colours() const { return colours_; }
    bool HighlightReversed() const { return reversed_; }
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
    // The attribute of the blank second cell of a glyph drawn one cell
    // wide: reversed with the glyph where the highlight is, so a chosen
    // target's mark covers both of its cells.
    std::uint16_t SecondCell(std::uint16_t attribute) const;
    // How a blank cell of the model should look.
    std::uint16_t WantedBlank(std::uint16_t attribute) const;
    // The attribute a one-cell glyph or blank of the model is drawn with: a
    // reversed highlight never marks a blank (but the second cell of a
    // highlighted glyph, which has the reverse of its own).
    std::uint16_t DrawnAttribute(const Cell& cell, bool blank) const;
    void Draw(std::string& out, int x, int y);
    // Erases the blanks from (x, y) on when that is shorter than writing
    // them; the number of cells erased, or 0.
    int EraseRun(std::string& out, int x, int y);
    bool Erasable(const Cell& c) const;
    // What a blank made by the terminal and not written by us (inserted,
    // scrolled in, or erased without bce) is taken to show: the terminal's
    // own colours, which in the colour modes match no cell of the game.
    Cell ForeignBlank() const;
    // What the cells that a shift or a scroll brings in show: the current
    // background where the terminal keeps it (once MovingBlanks has set an
    // attribute that marks no blank), foreign blanks elsewhere.
    Cell MovedBlank() const;
    void MovingBlanks(std::string& out);
    int KeptBlankAttribute() const;
    // Without colours, where blanks are trusted in the terminal's colours:
    // no reverse or underline while the terminal makes them.
    void UnmarkedBlanks(std::string& out);
    void AfterLastColumn();
    // Moves what the terminal shows instead of drawing it again, where that
    // is shorter: rows scrolled inside a scroll region (a map changing
    // vertically), and a run of cells in a row shifted by deleting and
    // inserting a character (a map changing sideways).
    void ScrollRows(std::string& out);
    void ShiftCells(std::string& out, int y);
    // How many cells of row y differ from the model if the terminal's row
    // `from` stood there; for -1, about the bytes that drawing the row
    // from foreign blanks costs.
    int RowCost(int y, int from) const;
    // Whether the terminal's cell already looks like the model's.
    bool Same(const Cell& shown, const Cell& wanted) const;
    bool RowDiffers(int y) const;
    // A glyph of unknown width at (x, y) leaves the cursor one cell on or
    // two: blanks written after it are right on both terminals where every
    // cell they may reach wants that blank. How many to write (0: not so),
    // and the column after the cells that needs no drawing of its own.
    struct Trail {
        int blanks = 0, end = 0;
    };
    Trail TrailingBlanks(int x, int y) const;
    // Draws the cells that differ, rows top down or bottom up, and places
    // the cursor.
    void DrawRows(std::string& out, bool upward, const VirtualConsole& model);
    // What the renderer takes the terminal to show, kept to try a frame two ways.
    struct Snapshot {
        explicit Snapshot(const TerminalRenderer& r)
            : cursorX(r.cursorX_), cursorY(r.cursorY_), attribute(r.attribute_), cursorState(r.cursorState_) {
            std::copy(&r.shown_[0][0], &r.shown_[0][0] + kRows * kColumns, &shown[0][0]);
        }
        void Restore(TerminalRenderer& r) const {
            std::copy(&shown[0][0], &shown[0][0] + kRows * kColumns, &r.shown_[0][0]);
            r.cursorX_ = cursorX, r.cursorY_ = cursorY, r.attribute_ = attribute, r.cursorState_ = cursorState;
        }
        Cell shown[kRows][kColumns];
        int cursorX, cursorY, attribute, cursorState;
    };

    Colours colours_;
    bool backgroundErase_;
    bool movedBlanksKept_ = false;
    // The highlight shows in reverse video (a blank never takes it).
    bool reversed_;
    Cell shown_[kRows][kColumns];
    // The model as the terminal should show it: on a terminal that draws
    // ambiguous glyphs in one cell, their second cell is a blank of its own.
    Cell want_[kRows][kColumns];
    // Rows of shown_ that differ from want_, kept with them through a frame.
    bool differs_[kRows] = {};
    bool repaint_ = true;
    int ambiguousWidth_ = 0;
    int terminalColumns_ = 0;
    int terminalRows_ = 0;
    // The terminal's cursor; -1 when unknown (after a glyph of uncertain
    // width); the column kColumns after a write into the last column.
    int cursorX_ = -1;
    int cursorY_ = -1;
    int attribute_ = -1;
    // The terminal's cursor: -1 unknown, 0 hidden, 1 shown.
    int cursorState_ = -1;
};

}  // namespace rf::platform
