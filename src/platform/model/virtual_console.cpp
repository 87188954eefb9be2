#include "platform/model/virtual_console.h"

#include <algorithm>

namespace rf::platform {

void VirtualConsole::Reset() {
    for (auto& row : cells_)
        for (auto& cell : row) cell = Cell{};
    cursorX_ = cursorY_ = 0;
    attribute_ = 7;
    cursorVisible_ = true;
    pendingLead_ = -1;
    blind_ = false;
    ++version_;
}

void VirtualConsole::SetCursor(int x, int y) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    cursorX_ = x;
    cursorY_ = y;
    ++version_;
}

namespace {

// Whether every byte is printable ASCII, one cell each (a loop without
// branches, which the compiler can widen).
bool PrintableAscii(std::string_view bytes) {
    unsigned outside = 0;
    for (char c : bytes) outside |= static_cast<unsigned char>(c - 0x20) >= 0x60 ? 1u : 0u;
    return outside == 0;
}

}  // namespace

void VirtualConsole::Write(std::string_view bytes) {
    if (blind_ && pendingLead_ < 0 && PrintableAscii(bytes)) {
        // Cell after cell, row after row, as Advance and NewLine would.
        const int total = cursorX_ + static_cast<int>(bytes.size());
        cursorX_ = total % kWidth;
        cursorY_ = std::min(cursorY_ + total / kWidth, kHeight - 1);
        ++version_;
        return;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t run = PlainRun(bytes.substr(i));
        if (run > 0) {
            PutRun(bytes.substr(i, run));
            i += run;
        } else {
            PutByte(static_cast<unsigned char>(bytes[i++]));
        }
    }
    ++version_;
}

// How many of the first bytes are one-cell characters that fit on the
// cursor's row, so they can be stored at once.
std::size_t VirtualConsole::PlainRun(std::string_view bytes) const {
    if (pendingLead_ >= 0) return 0;
    const std::size_t room = static_cast<std::size_t>(kWidth - cursorX_);
    std::size_t n = 0;
    while (n < bytes.size() && n < room) {
        const auto b = static_cast<unsigned char>(bytes[n]);
        if (b < 0x20 || IsLeadByte(b)) break;
        ++n;
    }
    return n;
}

// As many PutSingle in a row: only the run's two ends can break a glyph
// that the run does not overwrite.
void VirtualConsole::PutRun(std::string_view bytes) {
    const int n = static_cast<int>(bytes.size());
    if (!blind_) {
        BlankBrokenHalves(cursorX_, cursorY_);
        BlankBrokenHalves(cursorX_ + n - 1, cursorY_);
        Cell* row = cells_[cursorY_];
        for (int k = 0; k < n; ++k) row[cursorX_ + k] = Cell{static_cast<unsigned char>(bytes[k]), 0, attribute_};
    }
    Advance(n);
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
    if (!blind_) {
        BlankBrokenHalves(cursorX_, cursorY_);
        cells_[cursorY_][cursorX_] = Cell{code, 0, attribute_};
    }
    Advance(1);
}

void VirtualConsole::PutDouble(std::uint16_t code) {
    if (cursorX_ == kWidth - 1) {
        // The glyph is not split: the last column is blanked and it goes on the next row.
        if (!blind_) {
            BlankBrokenHalves(cursorX_, cursorY_);
            cells_[cursorY_][cursorX_] = Cell{' ', 0, attribute_};
        }
        NewLine();
    }
    if (blind_) {
        Advance(2);
        return;
    }
    // Both halves lie on this row now; saying so lets the optimiser see the
    // bound (it cannot follow NewLine), so -O3 warns of no overrun.
    const int x = cursorX_ < kWidth - 1 ? cursorX_ : kWidth - 2;
    BlankBrokenHalves(x, cursorY_);
    BlankBrokenHalves(x + 1, cursorY_);
    cells_[cursorY_][x] = Cell{code, 1, attribute_};
    cells_[cursorY_][x + 1] = Cell{code, 2, attribute_};
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
    if (blind_) return;
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
