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

// The colours a terminal asks for through its environment (the values of
// NO_COLOR and COLORTERM; null when unset).
Colours ColoursFor(const char* noColor, const char* colorTerm);

class TerminalRenderer {
public:
    static constexpr int kRows = VirtualConsole::kVisibleRows;
    static constexpr int kColumns = VirtualConsole::kWidth;

    TerminalRenderer() : TerminalRenderer(Colours::kPalette) {}
    explicit TerminalRenderer(Colours colours) : colours_(colours) { Invalidate(); }

    // The bytes that bring the terminal from what it shows to the model;
    // empty when nothing visible differs. Afterwards the terminal is taken
    // to show the model.
    std::string Frame(const VirtualConsole& model);
    // The terminal's contents are unknown (start, resize, resume): the next
    // frame clears it and draws everything.
    void Invalidate() { repaint_ = true; }
    bool RepaintPending() const { return repaint_; }

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
    // Whether the terminal's cell already looks like the model's.
    bool Same(const Cell& shown, const Cell& wanted) const;

    Colours colours_;
    Cell shown_[kRows][kColumns];
    bool repaint_ = true;
    // The terminal's cursor; -1 when unknown (after a glyph of uncertain
    // width, or a write into the last column).
    int cursorX_ = -1;
    int cursorY_ = -1;
    int attribute_ = -1;
    // The terminal's cursor: -1 unknown, 0 hidden, 1 shown.
    int cursorState_ = -1;
};

}  // namespace rf::platform
