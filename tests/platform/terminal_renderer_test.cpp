#include "platform/model/terminal_renderer.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "text/sj_literal.h"
#include "game_scenarios.h"
#include "text/cp932.h"
#include "text/utf8.h"
#include "test_support.h"
#include "vt_screen.h"

namespace rf::platform {
namespace {

using namespace rf;

using Pen = test::VtScreen::Pen;

// Where terminal `t` does not show model `vc` (empty when it shows it all):
// each glyph and its pen, the cursor, and blanks beyond the game's columns.
// Codes without a character show as middle dots.
std::string Mismatch(const test::VtScreen& t, const VirtualConsole& vc, Colours colours, ScreenLook look) {
    auto expected = [](const Cell& c) -> std::uint32_t {
        if (c.half == 0 && (c.code < 0x20 || c.code == 0x7F)) return ' ';
        std::uint32_t cp = UnicodeOf(c.code);
        return cp ? cp : c.half == 0 ? 0xFF65 : 0x30FB;
    };
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < t.columns; ++x) {
            const auto& s = t.cells[y][x];
            auto where = [&] { return std::to_string(x) + "," + std::to_string(y) + ": "; };
            if (x >= 80) {
                if (s.cp != U' ' || s.continuation) return where() + "beyond the game's columns";
                continue;
            }
            const Cell& c = vc.At(x, y);
            if (c.half == 2) {
                bool second = t.WidthOf(expected(vc.At(x - 1, y))) == 2;
                if (second ? !s.continuation : s.cp != U' ') return where() + "second half";
                continue;
            }
            if (s.cp != expected(c)) return where() + "glyph";
            // Attribute 7 or 15: light grey, or bright white on black; 15
            // in reverse (blanks never), or in the console's look bold.
            bool blank = s.cp == U' ', bright = (c.attribute & 8) != 0;
            bool marked = colours == Colours::kNone || look == ScreenLook::kMarked;
            bool bold = bright && !blank && !marked, reverse = bright && !blank && marked;
            Pen want = colours == Colours::kExact     ? Pen{bright ? 0x1FFFFFF : 0x1C0C0C0, 0x1000000, bold, false, reverse}
                       : colours == Colours::kPalette ? Pen{bright ? 15 : 7, 0, bold, false, reverse}
                                                      : Pen{-1, -1, false, false, reverse};
            Pen got = s.pen;
            if (blank) got.fg = want.fg, got.bold = want.bold;  // no glyph shows them
            if (!(got == want)) return where() + "pen";
        }
    }
    bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
    if (t.cursorVisible != cursor) return "cursor visibility";
    if (cursor && (t.x != vc.CursorX() || t.y != vc.CursorY())) return "cursor position";
    if (t.unknown) return "sequences a terminal may not take";
    return "";
}

// Terminals that draw ambiguous glyphs in one cell or two, fed by renderers
// that do not know the width (the safe form both take) or have learned it,
// and terminals wider than the game, where nothing may show beyond its
// columns.
struct Terminals {
    struct Pair {
        Pair(Colours c, ScreenLook l, int learned, int ambiguous, int columns = 80) : r(c, l), look(l), t(ambiguous, columns) {
            r.SetAmbiguousWidth(learned);
        }
        TerminalRenderer r;
        ScreenLook look;
        test::VtScreen t;
    };
    explicit Terminals(std::tuple<Colours, ScreenLook> setting) {
        const auto [c, l] = setting;
        pairs = {{c, l, 0, 1}, {c, l, 0, 2}, {c, l, 1, 1}, {c, l, 2, 2}, {c, l, 0, 1, 100}, {c, l, 1, 1, 100}};
    }
    // Sends each terminal its frame of `vc`; where the first fails to show
    // it, or "" when all do.
    std::string Show(const VirtualConsole& vc) {
        for (auto& p : pairs) {
            p.t.Feed(p.r.Frame(vc));
            std::string failure = Mismatch(p.t, vc, p.r.colours(), p.look);
            if (failure.empty() && !p.r.Frame(vc).empty()) failure = "a frame sent again with nothing changed";
            if (!failure.empty())
                return failure + " (ambiguous " + std::to_string(p.t.ambiguous) + ", learned " + std::to_string(p.r.AmbiguousWidth()) + ", " + std::to_string(p.t.columns) + " columns)";
        }
        return "";
    }
    std::vector<Pair> pairs;
};

using TerminalRendererTest = ::testing::TestWithParam<std::tuple<Colours, ScreenLook>>;

TEST_P(TerminalRendererTest, ManyRandomChangesStayInStep) {
    const std::string_view texts[] = {"A"_sj, "xyz"_sj, "あ"_sj, "●"_sj, "×○"_sj, "漢字"_sj, "  "_sj,
                                      "Ω"_sj, "ｶﾅ"_sj, "ーー"_sj, "\\~"_sj,
                                      "\x85\x40\xfd\x80\xff\x81\x20\x01"};  // codes without a character
    std::minstd_rand random(7);
    auto next = [&random](std::size_t n) { return static_cast<int>(random() % n); };
    VirtualConsole vc;
    vc.Reset();
    Terminals terminals(GetParam());
    for (int frame = 0; frame < 300; ++frame) {
        for (int i = next(6); i >= 0; --i) {
            // Columns near the right edge on purpose: wraps and split glyphs.
            vc.SetCursor(next(4) == 0 ? 76 + next(4) : next(80), next(25));
            vc.SetAttribute(next(2) ? 7 : 15);
            vc.Write(texts[next(std::size(texts))]);
        }
        vc.SetCursorVisible(next(3) == 0);
        vc.SetCursor(next(80), next(27));
        ASSERT_EQ(terminals.Show(vc), "") << "frame " << frame;
    }
}

// The game's own frame sequences.
TEST_P(TerminalRendererTest, EveryFrameOfTheGamesScenariosShowsExactlyTheModel) {
    test::TempDir dir;
    for (const auto& s : scenario::All()) {
        SCOPED_TRACE(s.name);
        Terminals terminals(GetParam());
        int frames = 0;
        std::string failure;
        scenario::Play(s, RANKS_WORLD_DIR, dir.Path() / "world", [&](bool) {
            if (failure.empty()) failure = terminals.Show(headless::Screen());
            if (failure.empty()) ++frames;
        });
        EXPECT_EQ(failure, "") << "at frame " << frames + 1;
        EXPECT_GT(frames, 0);
    }
}

// Text moved by a cell or two is shifted on the terminal; a shift must not
// push a glyph past the game's last column, where a wider terminal keeps it.
TEST_P(TerminalRendererTest, ShiftedTextNeverLeavesAGlyphBeyondTheGamesColumns) {
    const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (auto [from, to] : {std::pair{10, 11}, {10, 8}, {44, 45}, {44, 43}}) {
        VirtualConsole vc;
        vc.Reset();
        Terminals terminals(GetParam());
        for (int at : {from, to}) {
            vc.SetCursor(0, 3);
            vc.Write(std::string(79, ' ') + "|");
            vc.SetCursor(at, 3);
            vc.Write(text.substr(0, std::min<std::size_t>(text.size(), 79 - at)));
            ASSERT_EQ(terminals.Show(vc), "") << from << " to " << to;
        }
    }
}

// Without colours the console's look is the marked one.
INSTANTIATE_TEST_SUITE_P(EveryColourModeAndLook, TerminalRendererTest,
                         ::testing::Values(std::tuple{Colours::kExact, ScreenLook::kMarked},
                                           std::tuple{Colours::kPalette, ScreenLook::kMarked},
                                           std::tuple{Colours::kNone, ScreenLook::kMarked},
                                           std::tuple{Colours::kExact, ScreenLook::kConsole},
                                           std::tuple{Colours::kPalette, ScreenLook::kConsole}));

// The environment's usual choices are seen in a real terminal (the
// terminal backend test); these are its edges.
TEST(TerminalColours, AnEmptyNoColorIsUnsetAndASetOneWins) {
    EXPECT_EQ(ColoursFor("", "truecolor"), Colours::kExact);
    EXPECT_EQ(ColoursFor("1", "truecolor"), Colours::kNone);
}

}  // namespace
}  // namespace rf::platform
