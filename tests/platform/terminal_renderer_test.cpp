#include "platform/model/terminal_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/sjis.h"
#include "platform/model/cp932_unicode.h"

namespace rf::platform {
namespace {

using namespace rf;

// The colours and marks a terminal draws a cell with: colours -1 for the
// terminal's own, 0 to 15 from the palette, 0x1000000 | RGB exact.
struct Pen {
    int fg = -1, bg = -1;
    bool bold = false, underline = false, reverse = false;
    bool operator==(const Pen&) const = default;
};

// Enough of xterm to replay what the renderer sends. Glyphs that are
// neither wide nor plainly narrow take `ambiguous` cells.
struct FakeTerminal {
    struct Shown {
        std::uint32_t cp = ' ';
        Pen pen;
        bool continuation = false;
    };
    explicit FakeTerminal(int ambiguousWidth) : ambiguous(ambiguousWidth) {}
    int ambiguous, x = 0, y = 0, sgrCount = 0, motionCount = 0;
    bool pendingWrap = false, cursorVisible = true;
    Pen pen;
    Shown cells[25][80];

    void Feed(const std::string& s) {
        for (std::size_t i = 0; i < s.size();) {
            auto b = static_cast<unsigned char>(s[i++]);
            if (b == 0x1b) {
                Escape(s, i);
            } else if (b < 0x20) {
                ASSERT_FALSE(b == '\b' && pendingWrap) << "backspace from a pending wrap differs between terminals";
                x = b == '\r' ? 0 : b == '\b' ? std::max(0, x - 1) : x;
                y = b == '\n' ? std::min(24, y + 1) : y;
                pendingWrap = false;
            } else {
                int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
                std::uint32_t cp = len == 1 ? b : b & (0x3Fu >> (len - 1));
                for (int k = 1; k < len; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i++]) & 0x3Fu);
                Put(cp, cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : TerminalRenderer::IsWide(cp) ? 2 : ambiguous);
            }
        }
    }
    void Put(std::uint32_t cp, int w) {
        if (pendingWrap || x + w > 80) x = 0, y = std::min(24, y + 1);
        for (int at = x; at < x + w; ++at) {  // a glyph partly overwritten is gone
            if (cells[y][at].continuation) cells[y][at - 1] = {};
            if (at < 79 && cells[y][at + 1].continuation) cells[y][at + 1] = {};
        }
        cells[y][x] = {cp, pen, false};
        if (w == 2) cells[y][x + 1] = {' ', pen, true};
        pendingWrap = x + w >= 80;
        x = std::min(79, x + w);
    }
    void Escape(const std::string& s, std::size_t& i) {
        EXPECT_EQ(s[i++], '[');
        bool priv = s[i] == '?';
        std::vector<int> p{0};
        for (i += priv; s[i] == ';' || (s[i] >= '0' && s[i] <= '9'); ++i)
            s[i] == ';' ? p.push_back(0) : void(p.back() = p.back() * 10 + (s[i] - '0'));
        char f = s[i++];
        int n = std::max(1, p[0]);
        if (priv) return void(cursorVisible = f == 'h');
        if (f == 'm') {
            for (std::size_t k = 0; k < p.size(); ++k) {
                int v = p[k];
                if ((v == 38 || v == 48) && k + 4 < p.size() && p[k + 1] == 2) {
                    (v == 38 ? pen.fg : pen.bg) = 0x1000000 | p[k + 2] << 16 | p[k + 3] << 8 | p[k + 4];
                    k += 4;
                    continue;
                }
                if (v == 0) pen = Pen{};
                if (v == 1 || v == 22) pen.bold = v == 1;
                if (v == 4 || v == 24) pen.underline = v == 4;
                if (v == 7 || v == 27) pen.reverse = v == 7;
                if (v >= 30 && v <= 37) pen.fg = v - 30;
                if (v >= 90 && v <= 97) pen.fg = v - 90 + 8;
                if (v >= 40 && v <= 47) pen.bg = v - 40;
                if (v >= 100 && v <= 107) pen.bg = v - 100 + 8;
            }
            return void(++sgrCount);
        }
        // Erasing fills with the current background, as xterm does.
        if (f == 'J') return void(std::fill(&cells[0][0], &cells[0][0] + 25 * 80, Shown{' ', Pen{-1, pen.bg}}));
        ASSERT_NE(std::string("HGCDAB").find(f), std::string::npos) << "unexpected sequence " << f;
        if (f == 'H') y = n - 1, x = std::max(1, p.size() > 1 ? p[1] : 1) - 1;
        if (f == 'G') x = n - 1;
        if (f == 'C' || f == 'D') x = std::clamp(x + (f == 'C' ? n : -n), 0, 79);
        if (f == 'A' || f == 'B') y = std::clamp(y + (f == 'B' ? n : -n), 0, 24);
        pendingWrap = false;
        ++motionCount;
    }
};

class TerminalRendererTest : public ::testing::TestWithParam<Colours> {
protected:
    // The pen of attribute 7 or 15: light grey or bright white on black;
    // without colours, 15 in reverse (blanks never).
    Pen Expected(std::uint16_t attribute, bool blank) const {
        bool bright = (attribute & 8) != 0;
        switch (GetParam()) {
            case Colours::kExact: return {bright ? 0x1FFFFFF : 0x1C0C0C0, 0x1000000, bright && !blank};
            case Colours::kPalette: return {bright ? 15 : 7, 0, bright && !blank};
            case Colours::kNone: break;
        }
        return {-1, -1, false, false, bright && !blank};
    }
    void SetUp() override { vc.Reset(), vc.SetCursorVisible(false); }
    std::string Frame() {
        std::string out = r.Frame(vc);
        narrow.Feed(out), wide.Feed(out);
        return out;
    }
    void Put(int x, int y, std::string_view bytes, std::uint16_t attribute = 7) {
        vc.SetCursor(x, y), vc.SetAttribute(attribute), vc.Write(bytes);
    }
    // Both kinds of terminal show exactly what the model holds; codes
    // without a character as middle dots.
    void ExpectBothShow() {
        auto expected = [](const Cell& c) -> std::uint32_t {
            if (c.half == 0 && (c.code < 0x20 || c.code == 0x7F)) return ' ';
            std::uint32_t cp = Cp932ToUnicode(c.code);
            return cp ? cp : c.half == 0 ? 0xFF65 : 0x30FB;
        };
        for (const auto* t : {&narrow, &wide}) {
            for (int y = 0; y < 25; ++y) {
                for (int x = 0; x < 80; ++x) {
                    const Cell& c = vc.At(x, y);
                    const auto& s = t->cells[y][x];
                    // Where, only when it matters: a trace per cell would cost more than the check.
                    auto at = [&] { return ::testing::Message() << x << "," << y << " ambiguous " << t->ambiguous; };
                    if (c.half == 2) {
                        bool second = TerminalRenderer::IsWide(expected(vc.At(x - 1, y))) || t->ambiguous == 2;
                        ASSERT_TRUE(second ? s.continuation : s.cp == U' ') << at();
                    } else {
                        ASSERT_EQ(s.cp, expected(c)) << at();
                        bool blank = s.cp == U' ';
                        Pen want = Expected(c.attribute, blank), got = s.pen;
                        if (blank) got.fg = want.fg, got.bold = want.bold;  // no glyph shows them
                        ASSERT_TRUE(got == want) << at() << ": " << got.fg << " " << got.bg << " " << got.reverse;
                    }
                }
            }
            bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
            EXPECT_EQ(t->cursorVisible, cursor);
            EXPECT_TRUE(!cursor || (t->x == vc.CursorX() && t->y == vc.CursorY()));
        }
    }
    VirtualConsole vc;
    TerminalRenderer r{GetParam()};
    FakeTerminal narrow{1}, wide{2};
};

TEST_P(TerminalRendererTest, OneCellChangeIsTheGlyphOneMoveAndOneAttributeChange) {
    Put(0, 0, "たたかう ●○ ｱｲｳ"_sj);
    Frame();
    EXPECT_EQ(Frame(), "") << "nothing changed, nothing sent";
    narrow.motionCount = narrow.sgrCount = 0;
    Put(10, 5, "Q", 15);
    std::string out = Frame();
    EXPECT_NE(out.find('Q'), std::string::npos);
    EXPECT_EQ(narrow.motionCount, 1) << out;
    EXPECT_LE(narrow.sgrCount, 1) << out;
    ExpectBothShow();
}

TEST_P(TerminalRendererTest, ManyRandomChangesStayInStepOnBothKindsOfTerminal) {
    const std::string_view texts[] = {"A"_sj, "xyz"_sj, "あ"_sj, "●"_sj, "×○"_sj, "漢字"_sj, "  "_sj,
                                      "Ω"_sj, "ｶﾅ"_sj, "ーー"_sj, "\\~"_sj,
                                      "\x85\x40\xfd\x80\xff\x81\x20\x01"};  // codes without a character
    std::uint32_t seed = 7;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % n);
    };
    for (int frame = 0; frame < 300 && !HasFailure(); ++frame) {
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
    }
}

INSTANTIATE_TEST_SUITE_P(EveryColourMode, TerminalRendererTest,
                         ::testing::Values(Colours::kExact, Colours::kPalette, Colours::kNone));

TEST(TerminalColours, TheEnvironmentChoosesAndEachModeSendsItsOwnCodes) {
    EXPECT_EQ(ColoursFor(nullptr, "truecolor"), Colours::kExact);
    EXPECT_EQ(ColoursFor(nullptr, "24bit"), Colours::kExact);
    EXPECT_EQ(ColoursFor(nullptr, "yes"), Colours::kPalette);
    EXPECT_EQ(ColoursFor(nullptr, nullptr), Colours::kPalette);
    EXPECT_EQ(ColoursFor("", nullptr), Colours::kPalette);  // empty is unset
    EXPECT_EQ(ColoursFor("1", "truecolor"), Colours::kNone);
    // The clear, then 15 and back to 7: the foreground and the weight alone.
    struct Case {
        Colours colours;
        const char *clear, *bright, *plain;
    };
    for (const Case c : {Case{Colours::kExact, "\x1b[0;38;2;192;192;192;48;2;0;0;0m\x1b[2J", "\x1b[38;2;255;255;255;1m",
                              "\x1b[38;2;192;192;192;22m"},
                         Case{Colours::kPalette, "\x1b[0;37;40m\x1b[2J", "\x1b[97;1m", "\x1b[37;22m"},
                         Case{Colours::kNone, "\x1b[0m\x1b[2J", "\x1b[7m", "\x1b[27m"}}) {
        VirtualConsole vc;
        vc.Reset();
        vc.SetCursorVisible(false);
        vc.SetAttribute(15);
        vc.Write("AB");
        vc.SetAttribute(7);
        vc.Write("C");
        std::string out = TerminalRenderer(c.colours).Frame(vc);
        EXPECT_EQ(out, std::string(c.clear) + "\x1b[?25l\x1b[H" + c.bright + "AB" + c.plain + "C") << static_cast<int>(c.colours);
    }
}

}  // namespace
}  // namespace rf::platform
