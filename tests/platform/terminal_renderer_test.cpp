#include "platform/terminal_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sjis.h"
#include "platform/cp932_unicode.h"

namespace rf::platform {
namespace {

using namespace rf;

// A small VT terminal: enough of xterm to replay what the renderer sends.
// Glyphs that are neither wide nor plainly narrow take `ambiguousWidth` cells.
class FakeTerminal {
public:
    explicit FakeTerminal(int ambiguousWidth) : ambiguous_(ambiguousWidth) { Clear(); }

    void Feed(const std::string& bytes) {
        for (std::size_t i = 0; i < bytes.size();) {
            auto b = static_cast<unsigned char>(bytes[i]);
            if (b == 0x1b) {
                i = Escape(bytes, i + 1);
            } else if (b < 0x20) {
                Control(b);
                ++i;
            } else {
                std::uint32_t cp = b;
                int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
                if (len > 1) cp = b & (0x3F >> (len - 1));
                for (int k = 1; k < len; ++k) cp = cp << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
                Put(cp);
                i += static_cast<std::size_t>(len);
            }
        }
    }

    struct Cell {
        std::uint32_t cp = ' ';
        bool bold = false;
        bool continuation = false;
    };
    const Cell& At(int x, int y) const { return cells_[y][x]; }
    int X() const { return x_; }
    int Y() const { return y_; }
    bool CursorVisible() const { return cursorVisible_; }
    int sgrCount = 0;
    int motionCount = 0;

private:
    int Width(std::uint32_t cp) const {
        if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) return 1;
        return TerminalRenderer::IsWide(cp) ? 2 : ambiguous_;
    }
    void Clear() {
        for (auto& row : cells_)
            for (auto& c : row) c = Cell{};
    }
    void Erase(int x) {
        Cell& c = cells_[y_][x];
        if (c.continuation && x > 0) cells_[y_][x - 1] = Cell{};
        if (!c.continuation && x + 1 < 80 && cells_[y_][x + 1].continuation) cells_[y_][x + 1] = Cell{};
        c = Cell{};
    }
    void Put(std::uint32_t cp) {
        int w = Width(cp);
        if (pendingWrap_ || x_ + w > 80) {
            pendingWrap_ = false;
            x_ = 0;
            if (y_ < 24) ++y_;
        }
        Erase(x_);
        if (w == 2) Erase(x_ + 1);
        cells_[y_][x_] = Cell{cp, bold_, false};
        if (w == 2) cells_[y_][x_ + 1] = Cell{' ', bold_, true};
        x_ += w;
        if (x_ >= 80) {
            x_ = 79;
            pendingWrap_ = true;
        }
    }
    void Control(unsigned char b) {
        if (b == '\r') x_ = 0;
        if (b == '\n' && y_ < 24) ++y_;
        if (b == '\b' && x_ > 0 && !pendingWrap_) --x_;
        ASSERT_FALSE(b == '\b' && pendingWrap_) << "backspace from a pending wrap differs between terminals";
        pendingWrap_ = false;
    }
    std::size_t Escape(const std::string& s, std::size_t i) {
        EXPECT_EQ(s[i], '[');
        ++i;
        bool priv = s[i] == '?';
        if (priv) ++i;
        std::vector<int> p{0};
        while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == ';')) {
            if (s[i] == ';') p.push_back(0);
            else p.back() = p.back() * 10 + (s[i] - '0');
            ++i;
        }
        char f = s[i++];
        int n = p[0] == 0 ? 1 : p[0];
        if (priv) {
            if (p[0] == 25) cursorVisible_ = f == 'h';
            return i;
        }
        bool motion = true;
        switch (f) {
        case 'H': y_ = n - 1; x_ = (p.size() > 1 && p[1] > 0 ? p[1] : 1) - 1; break;
        case 'G': x_ = n - 1; break;
        case 'C': x_ = std::min(79, x_ + n); break;
        case 'D': x_ = std::max(0, x_ - n); break;
        case 'A': y_ = std::max(0, y_ - n); break;
        case 'B': y_ = std::min(24, y_ + n); break;
        case 'J': Clear(); motion = false; break;
        case 'm':
            for (int v : p) {
                if (v == 0) bold_ = false;
                if (v == 1) bold_ = true;
            }
            ++sgrCount;
            motion = false;
            break;
        default: ADD_FAILURE() << "unexpected sequence " << f; break;
        }
        if (motion) {
            pendingWrap_ = false;
            ++motionCount;
        }
        return i;
    }

    Cell cells_[25][80];
    int x_ = 0, y_ = 0;
    bool pendingWrap_ = false;
    bool bold_ = false;
    bool cursorVisible_ = true;
    int ambiguous_;
};

std::uint32_t Expected(const Cell& c) {
    if (c.half == 0) {
        if (c.code < 0x20 || c.code == 0x7F) return ' ';
        std::uint32_t cp = Cp932ToUnicode(c.code);
        return cp ? cp : 0xFF65;
    }
    std::uint32_t cp = Cp932ToUnicode(c.code);
    return cp ? cp : 0x30FB;
}

// The terminal shows exactly what the model holds, whatever width it gives ambiguous glyphs.
void ExpectShows(const FakeTerminal& t, const VirtualConsole& vc, int ambiguous) {
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            const Cell& c = vc.At(x, y);
            const auto& s = t.At(x, y);
            if (c.half == 2) {
                bool wide = TerminalRenderer::IsWide(Expected(vc.At(x - 1, y)));
                if (wide || ambiguous == 2) EXPECT_TRUE(s.continuation) << x << "," << y;
                else EXPECT_EQ(s.cp, U' ') << x << "," << y;
                continue;
            }
            ASSERT_EQ(s.cp, Expected(c)) << "cell " << x << "," << y << " ambiguous width " << ambiguous;
            if (c.code != ' ') {
                EXPECT_EQ(s.bold, (c.attribute & 8) != 0) << x << "," << y;
            }
        }
    }
    bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
    EXPECT_EQ(t.CursorVisible(), cursor);
    if (cursor) {
        EXPECT_EQ(t.X(), vc.CursorX());
        EXPECT_EQ(t.Y(), vc.CursorY());
    }
}

class TerminalRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        vc.Reset();
        vc.SetCursorVisible(false);
    }
    // One frame, replayed on terminals of both kinds.
    std::string Frame() {
        std::string out = r.Frame(vc);
        narrow.Feed(out);
        wide.Feed(out);
        return out;
    }
    void ExpectBothShow() {
        ExpectShows(narrow, vc, 1);
        ExpectShows(wide, vc, 2);
    }
    void Put(int x, int y, std::string_view bytes, std::uint16_t attribute = 7) {
        vc.SetCursor(x, y);
        vc.SetAttribute(attribute);
        vc.Write(bytes);
    }
    VirtualConsole vc;
    TerminalRenderer r;
    FakeTerminal narrow{1};
    FakeTerminal wide{2};
};

TEST_F(TerminalRendererTest, FullRepaintOfMixedTextLooksRightOnBothKindsOfTerminal) {
    for (int y = 0; y < 25; ++y) {
        Put(0, y, "たたかう HP 12/34 ●○□△◎■ΩΨ× ｱｲｳ ぼうぎょ"_sj, y % 3 ? 7 : 15);
        Put(70, y, "にげる①×"_sj);
    }
    std::string out = Frame();
    EXPECT_EQ(out.rfind("\x1b[0m\x1b[2J", 0), 0u) << "a repaint starts from a cleared screen";
    ExpectBothShow();
    EXPECT_EQ(Frame(), "") << "nothing changed, nothing sent";
}

TEST_F(TerminalRendererTest, ManyRandomChangesStayInStepWithTheModel) {
    const std::string_view texts[] = {"A"_sj, "xyz"_sj, "あ"_sj, "●"_sj, "×○"_sj, "漢字"_sj, " "_sj,
                                      "Ω"_sj, "ｶﾅ"_sj, "ーー"_sj, "  "_sj, "\\~"_sj};
    std::uint32_t seed = 7;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    Frame();
    for (int frame = 0; frame < 300; ++frame) {
        int writes = static_cast<int>(next(6)) + 1;
        for (int i = 0; i < writes; ++i) {
            // Columns near the right edge on purpose: wraps and split glyphs.
            int x = next(4) == 0 ? 76 + static_cast<int>(next(4)) : static_cast<int>(next(80));
            Put(x, static_cast<int>(next(25)), texts[next(std::size(texts))], next(2) ? 7 : 15);
        }
        vc.SetCursorVisible(next(3) == 0);
        vc.SetCursor(static_cast<int>(next(80)), static_cast<int>(next(27)));
        Frame();
        ExpectBothShow();
        if (HasFatalFailure() || HasFailure()) FAIL() << "frame " << frame;
    }
}

TEST_F(TerminalRendererTest, OneCellChangeIsOneMoveAndTheGlyph) {
    Frame();
    Put(10, 5, "Q");
    std::string out = Frame();
    EXPECT_EQ(out, "\x1b[6;11HQ");
    // The next cell along needs no motion at all.
    Put(11, 5, "R");
    EXPECT_EQ(Frame(), "R");
    // Nearby on the same row: blanks on the way are written again, cheaper than a move.
    Put(14, 5, "S");
    EXPECT_EQ(Frame(), "  S");
    Put(30, 5, "U");
    EXPECT_EQ(Frame(), "\x1b[31GU");
    // Back to the start of the next row.
    Put(0, 6, "T");
    EXPECT_EQ(Frame(), "\r\nT");
}

TEST_F(TerminalRendererTest, AttributeChangesAreSentOnceAndBoldMeansHighlight) {
    Frame();
    Put(0, 0, "abcdef", 15);
    Put(0, 2, "ghi", 15);
    std::string out = Frame();
    EXPECT_EQ(narrow.sgrCount, 2);  // the clear, then bold once for both runs
    EXPECT_NE(out.find("\x1b[1m"), std::string::npos);
    Put(5, 3, "j", 15);
    out = Frame();
    EXPECT_EQ(out.find('m'), std::string::npos) << "bold is still in force: " << out;
    Put(6, 3, "k", 7);
    EXPECT_EQ(Frame(), "\x1b[0mk");
    // Blanks look the same in either attribute: no change is sent for them.
    Put(0, 0, "      ", 7);
    out = Frame();
    EXPECT_EQ(out.find("\x1b[0m"), std::string::npos);
    EXPECT_EQ(TerminalRenderer::AttributeCode(7), "\x1b[0m");
    EXPECT_EQ(TerminalRenderer::AttributeCode(15), "\x1b[0;1m");
}

TEST_F(TerminalRendererTest, AmbiguousGlyphBlanksItsSecondCellAndRepositionsAfterIt) {
    Frame();
    Put(10, 3, "●A"_sj);
    std::string out = Frame();
    // Two blanks, back two cells, the glyph, then an explicit column for "A".
    EXPECT_EQ(out, "\x1b[4;11H  \b\b\xe2\x97\x8f\x1b[13GA");
    ExpectBothShow();
    // A wide kana needs none of that.
    Put(20, 3, "あA"_sj);
    EXPECT_EQ(Frame(), "\x1b[7C\xe3\x81\x82" "A");
    // In the last columns the blanks are written, then an absolute column.
    Put(78, 4, "□"_sj);
    out = Frame();
    EXPECT_EQ(out, "\x1b[5;79H  \x1b[79G\xe2\x96\xa1");
    ExpectBothShow();
}

TEST_F(TerminalRendererTest, CodesWithoutACharacterDrawAsMiddleDots) {
    Frame();
    Put(0, 0, std::string_view("\x80\xa0\xfd\xfe\xff", 5));
    Put(10, 0, std::string_view("\x85\x40\x81\x20", 4));  // unassigned pair, broken pair
    Put(20, 0, std::string_view("\\~\x81\x60\x01", 5));
    std::string out = Frame();
    ExpectBothShow();
    EXPECT_EQ(narrow.At(0, 0).cp, 0xFF65u);
    EXPECT_EQ(narrow.At(4, 0).cp, 0xFF65u);
    EXPECT_EQ(narrow.At(10, 0).cp, 0x30FBu);
    EXPECT_EQ(narrow.At(12, 0).cp, 0x30FBu);
    EXPECT_EQ(narrow.At(20, 0).cp, U'\\');
    EXPECT_EQ(narrow.At(21, 0).cp, U'~');
    EXPECT_EQ(narrow.At(22, 0).cp, 0xFF5Eu);
    EXPECT_EQ(narrow.At(24, 0).cp, U' ');  // a control byte draws as a blank
}

TEST_F(TerminalRendererTest, CursorIsHiddenWhileDrawingAndShownWhereTheGameShowsIt) {
    Frame();
    vc.SetCursorVisible(true);
    vc.SetCursor(27, 13);
    EXPECT_EQ(Frame(), "\x1b[14;28H\x1b[?25h");
    Put(27, 13, "A");
    vc.SetCursorVisible(true);
    std::string out = Frame();
    EXPECT_EQ(out, "\x1b[?25lA\x1b[?25h");  // the cursor was in place and stays after the glyph
    // A cursor below the visible rows is not shown.
    vc.SetCursor(0, 29);
    EXPECT_EQ(Frame(), "\x1b[?25l");
    EXPECT_EQ(Frame(), "");
}

TEST_F(TerminalRendererTest, InvalidateRepaintsEverythingFromAClearScreen) {
    Put(3, 3, "abc");
    Frame();
    EXPECT_EQ(Frame(), "");
    r.Invalidate();
    EXPECT_TRUE(r.RepaintPending());
    FakeTerminal fresh{1};
    std::string out = r.Frame(vc);
    fresh.Feed(out);
    EXPECT_FALSE(r.RepaintPending());
    ExpectShows(fresh, vc, 1);
    EXPECT_NE(out.find("\x1b[?25l"), std::string::npos) << "the cursor state is set again";
}

}  // namespace
}  // namespace rf::platform
