// The console as the game sees it: a buffer of cells written with the
// legacy Windows console's rules for code page 932 text. Every backend
// draws from this model, and tests read it back cell by cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/cp932.h"

namespace rf::platform {

struct Cell {
    // A single-byte character, or lead << 8 | trail for a double-cell glyph.
    std::uint16_t code = ' ';
    // 0 a one-cell glyph, 1 the left half of a double-cell glyph, 2 its right half.
    std::uint8_t half = 0;
    std::uint16_t attribute = 7;
    bool operator==(const Cell&) const = default;
};

class VirtualConsole {
public:
    static constexpr int kWidth = 80;
    // Taller than the 30 rows that blanking the screen writes, so that never scrolls.
    static constexpr int kHeight = 32;
    static constexpr int kVisibleRows = 25;

    void Reset();
    // A position outside the buffer is refused, as the console API does.
    void SetCursor(int x, int y);
    void SetAttribute(std::uint16_t attribute) { attribute_ = attribute; }
    void SetCursorVisible(bool visible) {
        cursorVisible_ = visible;
        ++version_;
    }
    void Write(std::string_view bytes);
    // Blind, writing moves the cursor exactly as it would but stores no
    // cell: for runs of the game that nobody looks at. Reset sees again.
    void SetBlind(bool blind) { blind_ = blind; }

    const Cell& At(int x, int y) const { return cells_[y][x]; }
    int CursorX() const { return cursorX_; }
    int CursorY() const { return cursorY_; }
    bool CursorVisible() const { return cursorVisible_; }
    // Grows whenever anything visible changes, so a renderer can skip idle frames.
    std::uint64_t Version() const { return version_; }

    // The bytes of cells x0 .. x0 + count - 1 of row y as code page 932 text,
    // a double-cell glyph counted once.
    std::string Text(int x0, int y, int count) const;

private:
    std::size_t PlainRun(std::string_view bytes) const;
    void PutRun(std::string_view bytes);
    void PutByte(unsigned char b);
    void PutSingle(std::uint16_t code);
    void PutDouble(std::uint16_t code);
    void BlankBrokenHalves(int x, int y);
    void Advance(int cells);
    void NewLine();
    void Scroll();

    Cell cells_[kHeight][kWidth];
    int cursorX_ = 0;
    int cursorY_ = 0;
    std::uint16_t attribute_ = 7;
    bool cursorVisible_ = true;
    int pendingLead_ = -1;
    bool blind_ = false;
    // Whether a cell may have been stored since the last reset: a console
    // blind since then is blank still, and a run of many battles resets
    // before each.
    bool stored_ = false;
    std::uint64_t version_ = 0;
};

}  // namespace rf::platform
