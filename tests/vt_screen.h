// Enough of an xterm-like terminal to replay what the renderer sends and
// read back what a player would see: UTF-8 glyphs one or two cells wide
// (the ambiguous ones as wide as the terminal draws them), cursor motion,
// erasing, SGR and cursor visibility. Sequences it does not know count in
// `unknown`, so tests notice a renderer that starts sending new ones.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/model/terminal_renderer.h"  // which glyphs are wide
#include "text/utf8.h"

namespace rf::test {

// Where real terminals read a sequence otherwise than xterm does.
struct VtQuirks {
    bool shortErase = false;        // ECH stops at a glyph of two cells (mlterm)
    bool rgbAfterReset = false;     // an SGR of 0 then 24-bit colours is ignored whole (mlterm)
    bool foreignShifts = false;     // ICH and DCH blanks in the terminal's colours (Konsole, qterminal)
    bool foreignScrolls = false;    // rows scrolled into a region in the terminal's colours (kitty)
    bool noBce = false;             // every erase in the terminal's colours (GNU screen)
    bool topMarginReset = false;    // a bare CSI r resets the top margin alone (pyte)
    bool foreignClear = false;      // the screen cleared in the terminal's colours (pyte)
    bool wrapThroughMoves = false;  // a pending wrap outlives a move up or down, a backspace takes it (tmux)
    bool movedBce = false;          // without bce, yet inserted, deleted and scrolled blanks in the pen's (tmux)
};

class VtScreen {
public:
    static constexpr int kRows = 25, kMaxColumns = 100;

    // What SGR has selected; erased cells take the background only.
    // Colours: -1 the terminal's own, 0 to 15 the palette, 0x1000000 | RGB exact.
    struct Pen {
        int fg = -1, bg = -1;
        bool bold = false, underline = false, reverse = false;
        bool operator==(const Pen&) const = default;
    };
    struct Glyph {
        std::uint32_t cp = ' ';
        Pen pen;
        bool continuation = false;  // the right half of a two-cell glyph
    };

    // A terminal wider than the game's 80 columns shows what the game sends
    // beyond them, which must stay blank.
    explicit VtScreen(int ambiguousWidth, int width = 80, VtQuirks q = {})
        : ambiguous(ambiguousWidth), columns(std::min(width, kMaxColumns)), quirks(q) {
        Clear();
    }

    int ambiguous;
    int columns;
    VtQuirks quirks;
    int x = 0, y = 0;
    int top = 0, bottom = kRows - 1;  // the scroll region
    bool pendingWrap = false, cursorVisible = true;
    Pen pen;
    Glyph cells[kRows][kMaxColumns];
    // Sequences it does not know, and moves whose result differs between
    // terminals (a backspace from a pending wrap).
    int unknown = 0;
    // Answers a cursor-position query (ESC [ 6 n), as a terminal would.
    std::function<void(const std::string&)> reply;

    int WidthOf(std::uint32_t cp) const {
        if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) return 1;  // ASCII, half-width kana
        return platform::TerminalRenderer::IsWide(cp) ? 2 : ambiguous;
    }

    void Feed(std::string_view s) {
        for (std::size_t i = 0; i < s.size();) {
            auto b = static_cast<unsigned char>(s[i++]);
            if (b == 0x1b) {
                Escape(s, i);
            } else if (b < 0x20) {
                if (b == '\r') x = 0;
                if (b == '\b')
                    unknown += pendingWrap, x = pendingWrap && quirks.wrapThroughMoves ? x : std::max(0, x - 1);
                if (b == '\n' && y == bottom) Scroll(1);
                else if (b == '\n') y = std::min(kRows - 1, y + 1);
                pendingWrap = false;
            } else if (std::uint32_t cp = 0; std::size_t n = DecodeUtf8(s, i - 1, cp)) {
                Put(cp, WidthOf(cp)), i += n - 1;
            } else {
                ++unknown;  // not UTF-8
            }
        }
    }

    // A row's glyphs as UTF-8, continuation cells left out.
    std::string Row(int row) const {
        std::string out;
        for (int c = 0; c < std::min(columns, 80); ++c)
            if (!cells[row][c].continuation) AppendUtf8(out, cells[row][c].cp);
        return out;
    }
    std::string Text() const {
        std::string out;
        for (int r = 0; r < kRows; ++r) out += Row(r) + "\n";
        return out;
    }

private:
    // Erasing keeps the background colour only, or none (`foreign`).
    Glyph Blank(bool foreign = false, bool moved = false) const {
        Glyph g;
        if (!foreign && (!quirks.noBce || (moved && quirks.movedBce))) g.pen.bg = pen.bg;
        return g;
    }
    void Clear(bool foreign = false) {
        for (auto& row : cells)
            for (auto& c : row) c = Blank(foreign);
    }
    // A glyph partly overwritten or erased is gone.
    void Split(int row, int at) {
        if (at < 0 || at >= columns) return;
        // cppcheck-suppress arrayIndexOutOfBoundsCond ; columns never exceeds kMaxColumns
        if (at > 0 && cells[row][at].continuation) cells[row][at - 1] = Blank(), cells[row][at] = Blank();
        if (at + 1 < columns && cells[row][at + 1].continuation) cells[row][at + 1] = Blank();
    }
    void Erase(int row, int from, int to) {  // [from, to)
        from = std::clamp(from, 0, columns), to = std::clamp(to, 0, columns);
        if (from >= to) return;
        Split(row, from), Split(row, to - 1);
        for (int c = from; c < to; ++c) cells[row][c] = Blank();
    }
    void Put(std::uint32_t cp, int w) {
        if (pendingWrap || x + w > columns) x = 0, y = std::min(kRows - 1, y + 1);
        for (int at = x; at < x + w; ++at) Split(y, at);
        cells[y][x] = {cp, pen, false};
        if (w == 2) cells[y][x + 1] = {' ', pen, true};
        pendingWrap = x + w >= columns;
        x = std::min(columns - 1, x + w);
    }
    void Sgr(const std::vector<int>& p) {
        if (quirks.rgbAfterReset && p.size() > 1 && p[0] == 0 && std::find(p.begin(), p.end(), 2) != p.end()) return;
        for (std::size_t k = 0; k < p.size(); ++k) {
            int v = p[k];
            if ((v == 38 || v == 48) && k + 4 < p.size() && p[k + 1] == 2) {
                (v == 38 ? pen.fg : pen.bg) = 0x1000000 | p[k + 2] << 16 | p[k + 3] << 8 | p[k + 4];
                k += 4;
                continue;
            }
            if (v == 0) pen = Pen{};
            else if (v == 1 || v == 22) pen.bold = v == 1;
            else if (v == 4 || v == 24) pen.underline = v == 4;
            else if (v == 7 || v == 27) pen.reverse = v == 7;
            else if (v >= 30 && v <= 37) pen.fg = v - 30;
            else if (v >= 40 && v <= 47) pen.bg = v - 40;
            else if (v >= 90 && v <= 97) pen.fg = v - 90 + 8;
            else if (v >= 100 && v <= 107) pen.bg = v - 100 + 8;
            else ++unknown;
        }
    }
    // Scrolls rows top..bottom up (n > 0) or down; the row coming in is blank.
    void Scroll(int n) {
        const int step = n > 0 ? 1 : -1, in = n > 0 ? bottom : top;
        for (int r = n > 0 ? top : bottom; r != in; r += step)
            std::copy(cells[r + step], cells[r + step] + kMaxColumns, cells[r]);
        for (auto& c : cells[in]) c = Blank(quirks.foreignScrolls, true);
    }
    // Inserting or deleting characters must not cut a glyph of two cells.
    void InsertOrDelete(int n, bool insert) {
        auto& row = cells[y];
        if (row[x].continuation || (!insert && x + n < columns && row[x + n].continuation)) ++unknown;
        if (insert) {
            if (row[columns - n].continuation) ++unknown;  // a glyph pushed half off the row
            std::copy_backward(row + x, row + columns - n, row + columns);
            for (int c = x; c < x + n; ++c) row[c] = Blank(quirks.foreignShifts, true);
        } else {
            std::copy(row + x + n, row + columns, row + x);
            for (int c = columns - n; c < columns; ++c) row[c] = Blank(quirks.foreignShifts, true);
        }
    }
    void Escape(std::string_view s, std::size_t& i) {
        if (i < s.size() && (s[i] == 'M' || s[i] == 'D')) {  // reverse index, index
            const int step = s[i++] == 'D' ? 1 : -1;
            if (y == (step > 0 ? bottom : top)) Scroll(step);
            else y = std::clamp(y + step, 0, kRows - 1);
            pendingWrap = pendingWrap && quirks.wrapThroughMoves;
            return;
        }
        if (i >= s.size() || s[i] != '[') return void(++unknown);
        ++i;
        bool priv = i < s.size() && s[i] == '?';
        if (priv) ++i;
        std::vector<int> p{0};
        for (; i < s.size() && (s[i] == ';' || (s[i] >= '0' && s[i] <= '9')); ++i) {
            if (s[i] == ';') p.push_back(0);
            else p.back() = p.back() * 10 + (s[i] - '0');
        }
        if (i >= s.size()) return void(++unknown);
        char f = s[i++];
        int n = std::max(1, p[0]);
        if (priv) {
            if (p[0] == 25) cursorVisible = f == 'h';
            else if (p[0] == 1049) Clear(), x = y = 0;
            else ++unknown;
            return;
        }
        switch (f) {
            case 'm': return Sgr(p);
            case 'n':
                if (p[0] == 6 && reply) reply("\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "R");
                return;
            case 'J':
                if (p[0] == 2) Clear(quirks.foreignClear);
                else ++unknown;
                break;
            case 'K':
                if (p[0] == 0) Erase(y, x, columns);
                else if (p[0] == 1) Erase(y, 0, x + 1);
                else ++unknown;
                break;
            case 'X': {
                int to = x + n;
                for (int c = x; quirks.shortErase && c < to && c < columns; ++c)
                    if (cells[y][c].continuation) to = c - 1;
                Erase(y, x, to);
                break;
            }
            case '@': InsertOrDelete(std::min(n, columns - x), true); break;
            case 'P': InsertOrDelete(std::min(n, columns - x), false); break;
            case 'r':
                top = p[0] > 0 ? p[0] - 1 : 0;
                if (!quirks.topMarginReset || p.size() > 1)
                    bottom = p.size() > 1 && p[1] > 0 ? std::min(p[1], kRows) - 1 : kRows - 1;
                if (top >= bottom) top = 0, bottom = kRows - 1;
                x = y = 0;
                break;
            case 'H': y = std::clamp(n, 1, kRows) - 1, x = std::clamp(p.size() > 1 ? p[1] : 1, 1, columns) - 1; break;
            case 'G': x = std::clamp(n, 1, columns) - 1; break;
            case 'd': y = std::clamp(n, 1, kRows) - 1; break;
            case 'C': x = std::min(columns - 1, x + n); break;
            case 'D': x = std::max(0, x - n); break;
            case 'A': y = std::max(0, y - n); break;
            case 'B': y = std::min(kRows - 1, y + n); break;
            default: ++unknown; return;
        }
        pendingWrap = pendingWrap && quirks.wrapThroughMoves && (f == 'A' || f == 'B' || f == 'd');
    }
};

}  // namespace rf::test
