#include "platform/terminal_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/sjis.h"
#include "platform/cp932_unicode.h"

namespace rf::platform {
namespace {

using namespace rf;

// Enough of xterm to replay what the renderer sends. Glyphs that are
// neither wide nor plainly narrow take `ambiguous` cells.
struct FakeTerminal {
    struct Shown {
        std::uint32_t cp = ' ';
        bool bold = false;
        bool continuation = false;
    };
    explicit FakeTerminal(int ambiguousWidth) : ambiguous(ambiguousWidth) {}
    int ambiguous;
    Shown cells[25][80];
    int x = 0, y = 0, sgrCount = 0, motionCount = 0;
    bool pendingWrap = false, bold = false, cursorVisible = true;

    void Feed(const std::string& s) {
        for (std::size_t i = 0; i < s.size();) {
            auto b = static_cast<unsigned char>(s[i++]);
            if (b == 0x1b) {
                Escape(s, i);
            } else if (b < 0x20) {
                if (b == '\r') x = 0;
                if (b == '\n') y = std::min(24, y + 1);
                ASSERT_FALSE(b == '\b' && pendingWrap) << "backspace from a pending wrap differs between terminals";
                if (b == '\b') x = std::max(0, x - 1);
                pendingWrap = false;
            } else {
                int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
                std::uint32_t cp = len == 1 ? b : b & (0x3Fu >> (len - 1));
                for (int k = 1; k < len; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i++]) & 0x3Fu);
                Put(cp);
            }
        }
    }
    void Erase(int at) {
        if (cells[y][at].continuation && at > 0) cells[y][at - 1] = {};
        if (!cells[y][at].continuation && at < 79 && cells[y][at + 1].continuation) cells[y][at + 1] = {};
        cells[y][at] = {};
    }
    void Put(std::uint32_t cp) {
        int w = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : TerminalRenderer::IsWide(cp) ? 2 : ambiguous;
        if (pendingWrap || x + w > 80) {
            x = 0;
            y = std::min(24, y + 1);
        }
        Erase(x);
        if (w == 2) Erase(x + 1);
        cells[y][x] = {cp, bold, false};
        if (w == 2) cells[y][x + 1] = {' ', bold, true};
        pendingWrap = x + w >= 80;
        x = std::min(79, x + w);
    }
    void Escape(const std::string& s, std::size_t& i) {
        EXPECT_EQ(s[i++], '[');
        bool priv = s[i] == '?';
        if (priv) ++i;
        std::vector<int> p{0};
        for (; s[i] == ';' || (s[i] >= '0' && s[i] <= '9'); ++i) {
            if (s[i] == ';') p.push_back(0);
            else p.back() = p.back() * 10 + (s[i] - '0');
        }
        char f = s[i++];
        int n = std::max(1, p[0]);
        if (priv) {
            cursorVisible = f == 'h';
            return;
        }
        if (f == 'm') {
            for (int v : p) bold = v == 1 || (bold && v != 0);
            ++sgrCount;
            return;
        }
        if (f == 'J') {
            for (auto& row : cells)
                for (auto& c : row) c = {};
            return;
        }
        if (f == 'H') y = n - 1;
        if (f == 'H' || f == 'G') x = (f == 'H' ? std::max(1, p.size() > 1 ? p[1] : 1) : n) - 1;
        if (f == 'C' || f == 'D') x = std::clamp(x + (f == 'C' ? n : -n), 0, 79);
        if (f == 'A' || f == 'B') y = std::clamp(y + (f == 'B' ? n : -n), 0, 24);
        EXPECT_NE(std::string("HGCDAB").find(f), std::string::npos) << "unexpected sequence " << f;
        pendingWrap = false;
        ++motionCount;
    }
};

// What the terminal must show for a cell: unassigned codes as middle dots.
std::uint32_t Expected(const Cell& c) {
    if (c.half == 0 && (c.code < 0x20 || c.code == 0x7F)) return ' ';
    std::uint32_t cp = Cp932ToUnicode(c.code);
    return cp ? cp : c.half == 0 ? 0xFF65 : 0x30FB;
}

class TerminalRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        vc.Reset();
        vc.SetCursorVisible(false);
    }
    std::string Frame() {
        std::string out = r.Frame(vc);
        for (auto* t : {&narrow, &wide}) t->Feed(out);
        return out;
    }
    void Put(int x, int y, std::string_view bytes, std::uint16_t attribute = 7) {
        vc.SetCursor(x, y);
        vc.SetAttribute(attribute);
        vc.Write(bytes);
    }
    // Both kinds of terminal show exactly what the model holds.
    void ExpectBothShow() {
        for (const auto* t : {&narrow, &wide}) {
            for (int y = 0; y < 25; ++y) {
                for (int x = 0; x < 80; ++x) {
                    const Cell& c = vc.At(x, y);
                    const auto& s = t->cells[y][x];
                    SCOPED_TRACE(::testing::Message() << x << "," << y << " ambiguous " << t->ambiguous);
                    if (c.half == 2) {
                        bool wide2 = TerminalRenderer::IsWide(Expected(vc.At(x - 1, y))) || t->ambiguous == 2;
                        ASSERT_TRUE(wide2 ? s.continuation : s.cp == U' ');
                        continue;
                    }
                    ASSERT_EQ(s.cp, Expected(c));
                    ASSERT_TRUE(c.code == ' ' || s.bold == ((c.attribute & 8) != 0));
                }
            }
            bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
            EXPECT_EQ(t->cursorVisible, cursor);
            EXPECT_TRUE(!cursor || (t->x == vc.CursorX() && t->y == vc.CursorY()));
        }
    }
    VirtualConsole vc;
    TerminalRenderer r;
    FakeTerminal narrow{1}, wide{2};
};

TEST_F(TerminalRendererTest, OneCellChangeIsTheGlyphOneMoveAndOneAttributeChange) {
    Put(0, 0, "たたかう ●○ ｱｲｳ"_sj, 15);
    Frame();
    ExpectBothShow();
    EXPECT_EQ(Frame(), "") << "nothing changed, nothing sent";
    narrow.motionCount = narrow.sgrCount = 0;
    Put(10, 5, "Q", 15);
    std::string out = Frame();
    EXPECT_NE(out.find('Q'), std::string::npos);
    EXPECT_EQ(narrow.motionCount, 1) << out;
    EXPECT_LE(narrow.sgrCount, 1) << out;
    ExpectBothShow();
}

TEST_F(TerminalRendererTest, CodesWithoutACharacterDrawAsMiddleDots) {
    Put(0, 0, std::string_view("\x80\xa0\xfd\xfe\xff\x85\x40\x81\x20\\~\x81\x60\x01", 14));
    Frame();
    ExpectBothShow();
    EXPECT_EQ(narrow.cells[0][0].cp, 0xFF65u);
    EXPECT_EQ(narrow.cells[0][5].cp, 0x30FBu);
}

TEST_F(TerminalRendererTest, ManyRandomChangesStayInStepOnBothKindsOfTerminal) {
    const std::string_view texts[] = {"A"_sj, "xyz"_sj, "あ"_sj, "●"_sj, "×○"_sj, "漢字"_sj, "  "_sj,
                                      "Ω"_sj, "ｶﾅ"_sj, "ーー"_sj, "\\~"_sj, std::string_view("\x85\x40\xfd", 3)};
    std::uint32_t seed = 7;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % n);
    };
    for (int frame = 0; frame < 300; ++frame) {
        SCOPED_TRACE(frame);
        for (int i = next(6); i >= 0; --i) {
            // Columns near the right edge on purpose: wraps and split glyphs.
            int x = next(4) == 0 ? 76 + next(4) : next(80);
            Put(x, next(25), texts[next(std::size(texts))], next(2) ? 7 : 15);
        }
        vc.SetCursorVisible(next(3) == 0);
        vc.SetCursor(next(80), next(27));
        Frame();
        ExpectBothShow();
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace rf::platform
