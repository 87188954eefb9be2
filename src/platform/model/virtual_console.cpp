#include "platform/model/virtual_console.h"

namespace rf::platform {

void VirtualConsole::Reset() {
    for (auto& row : cells_)
        for (auto& cell : row) cell = Cell{};
    cursorX_ = cursorY_ = 0;
    attribute_ = 7;
    cursorVisible_ = true;
    pendingLead_ = -1;
    ++version_;
}

void VirtualConsole::SetCursor(int x, int y) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    cursorX_ = x;
    cursorY_ = y;
    ++version_;
}

void VirtualConsole::Write(std::string_view bytes) {
    for (char c : bytes) PutByte(static_cast<unsigned char>(c));
    ++version_;
}

void VirtualConsole::PutByte(unsigned char b) {
    if (pendingLead_ >= 0) {
        int lead = pendingLead_;
        pendingLead_ = -1;
        if (b >= 0x20) {
            PutDouble(static_cast<std::uint16_t>(lead << 8 | b));
            return;
        }
        // A control byte cannot complete a pair: the lead byte is dropped.
    }
    switch (b) {
        case '\n': NewLine(); return;
        case '\r': cursorX_ = 0; return;
        case '\t':
            do PutSingle(' ');
            while (cursorX_ % 8 != 0);
            return;
        case 0: PutSingle(' '); return;
        default: break;
    }
    if (IsLeadByte(b)) {
        pendingLead_ = b;
        return;
    }
    PutSingle(b);
}

// Writing over one half of a double-cell glyph blanks its other half.
void VirtualConsole::BlankBrokenHalves(int x, int y) {
    Cell& c = cells_[y][x];
    if (c.half == 1 && x + 1 < kWidth) cells_[y][x + 1] = Cell{' ', 0, attribute_};
    if (c.half == 2 && x > 0) cells_[y][x - 1] = Cell{' ', 0, attribute_};
}

void VirtualConsole::PutSingle(std::uint16_t code) {
    BlankBrokenHalves(cursorX_, cursorY_);
    cells_[cursorY_][cursorX_] = Cell{code, 0, attribute_};
    Advance(1);
}

void VirtualConsole::PutDouble(std::uint16_t code) {
    if (cursorX_ == kWidth - 1) {
        // The glyph is not split: the last column is blanked and it goes on the next row.
        BlankBrokenHalves(cursorX_, cursorY_);
        cells_[cursorY_][cursorX_] = Cell{' ', 0, attribute_};
        NewLine();
    }
    BlankBrokenHalves(cursorX_, cursorY_);
    BlankBrokenHalves(cursorX_ + 1, cursorY_);
    cells_[cursorY_][cursorX_] = Cell{code, 1, attribute_};
    cells_[cursorY_][cursorX_ + 1] = Cell{code, 2, attribute_};
    Advance(2);
}

void VirtualConsole::Advance(int cells) {
    cursorX_ += cells;
    if (cursorX_ >= kWidth) NewLine();
}

void VirtualConsole::NewLine() {
    cursorX_ = 0;
    if (++cursorY_ >= kHeight) {
        Scroll();
        cursorY_ = kHeight - 1;
    }
}

void VirtualConsole::Scroll() {
    for (int y = 0; y + 1 < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) cells_[y][x] = cells_[y + 1][x];
    for (int x = 0; x < kWidth; ++x) cells_[kHeight - 1][x] = Cell{' ', 0, attribute_};
}

std::string VirtualConsole::Text(int x0, int y, int count) const {
    std::string out;
    for (int x = x0; x < x0 + count && x < kWidth; ++x) {
        const Cell& c = cells_[y][x];
        if (c.half == 2) {
            if (x == x0) out += ' ';  // the left half lies outside the range
            continue;
        }
        if (c.half == 1) {
            if (x + 1 >= x0 + count) {
                out += ' ';
                continue;
            }
            out += static_cast<char>(c.code >> 8);
        }
        out += static_cast<char>(c.code & 0xFF);
    }
    return out;
}

}  // namespace rf::platform
