#include "platform/model/virtual_console.h"

#include <cstdint>
#include <cstring>

namespace rf::platform {

void VirtualConsole::Reset() {
    if (stored_)
        for (auto& row : cells_)
            for (auto& cell : row) cell = Cell{};
    stored_ = false;
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

// Whether any byte is a control byte (below 0x20) and whether any is high
// (0x80 and above: a lead byte may be among them), eight at a time: a
// blind run of many battles writes gigabytes of text.
struct ByteKinds {
    bool control = false;
    bool high = false;
};

ByteKinds KindsOf(std::string_view bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    std::uint64_t below = 0, high = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, bytes.data() + i, 8);
        below |= (w - 0x20 * kOnes) & ~w;  // a byte's high bit: it was below 0x20
        high |= w;
    }
    for (; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        below |= b < 0x20 ? kHighs : 0;
        high |= b;
    }
    return {(below & kHighs) != 0, (high & kHighs) != 0};
}

// The lead byte left open at the end of `bytes` (which hold no control
// byte), or -1. A byte outside the lead bytes' range ends a character, so
// only the run of lead-range bytes at the end needs counting: they pair up,
// and an odd one out is open.
int OpenLead(std::string_view bytes) {
    std::size_t run = 0;
    while (run < bytes.size() && IsLeadByte(static_cast<unsigned char>(bytes[bytes.size() - 1 - run]))) ++run;
    return run % 2 ? static_cast<unsigned char>(bytes.back()) : -1;
}

}  // namespace

void VirtualConsole::Write(std::string_view bytes) {
    stored_ = stored_ || !blind_;
    const int size = static_cast<int>(bytes.size());
    if (blind_ && pendingLead_ < 0 && cursorX_ + size < kWidth) {
        // Within the row a byte is a cell, a pair two, and no glyph reaches
        // the last column, so nothing wraps.
        if (const ByteKinds kinds = KindsOf(bytes); !kinds.control) {
            pendingLead_ = kinds.high ? OpenLead(bytes) : -1;
            cursorX_ += pendingLead_ < 0 ? size : size - 1;
            ++version_;
            return;
        }
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
