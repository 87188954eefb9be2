#include "platform/model/terminal_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/sjis.h"
#include "game_scenarios.h"
#include "platform/model/cp932_unicode.h"
#include "test_support.h"
#include "vt_screen.h"

namespace rf::platform {
namespace {

using namespace rf;

using Pen = test::VtScreen::Pen;

// The pen of attribute 7 or 15: light grey, or bright white and bold, on
// black; without colours, 15 in reverse (blanks never).
Pen Expected(Colours colours, std::uint16_t attribute, bool blank) {
    bool bright = (attribute & 8) != 0;
    switch (colours) {
        case Colours::kExact: return {bright ? 0x1FFFFFF : 0x1C0C0C0, 0x1000000, bright && !blank};
        case Colours::kPalette: return {bright ? 15 : 7, 0, bright && !blank};
        case Colours::kNone: break;
    }
    return {-1, -1, false, false, bright && !blank};
}

// Where terminal `t` does not show model `vc` (empty when it shows it all):
// each glyph and its pen, the cursor. Codes without a character show as
// middle dots.
std::string Mismatch(const test::VtScreen& t, const VirtualConsole& vc, Colours colours) {
    auto expected = [](const Cell& c) -> std::uint32_t {
        if (c.half == 0 && (c.code < 0x20 || c.code == 0x7F)) return ' ';
        std::uint32_t cp = Cp932ToUnicode(c.code);
        return cp ? cp : c.half == 0 ? 0xFF65 : 0x30FB;
    };
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            const Cell& c = vc.At(x, y);
            const auto& s = t.cells[y][x];
            auto where = [&] { return std::to_string(x) + "," + std::to_string(y) + ": "; };
            if (c.half == 2) {
                bool second = t.WidthOf(expected(vc.At(x - 1, y))) == 2;
                if (second ? !s.continuation : s.cp != U' ') return where() + "second half";
                continue;
            }
            if (s.cp != expected(c)) return where() + "glyph";
            bool blank = s.cp == U' ';
            Pen want = Expected(colours, c.attribute, blank), got = s.pen;
            if (blank) got.fg = want.fg, got.bold = want.bold;  // no glyph shows them
            if (!(got == want)) return where() + "pen";
        }
    }
    bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
    if (t.cursorVisible != cursor) return "cursor visibility";
    if (cursor && (t.x != vc.CursorX() || t.y != vc.CursorY())) return "cursor position";
    if (t.unknown) return "sequences a terminal may not take";
    if (!t.BeyondIsBlank()) return "a glyph beyond the game's columns";
    return "";
}

class TerminalRendererTest : public ::testing::TestWithParam<Colours> {
protected:
    void SetUp() override { vc.Reset(), vc.SetCursorVisible(false); }
    std::string Frame() {
        std::string out = r.Frame(vc);
        narrow.Feed(out), wide.Feed(out), broad.Feed(out);
        return out;
    }
    void Put(int x, int y, std::string_view bytes, std::uint16_t attribute = 7) {
        vc.SetCursor(x, y), vc.SetAttribute(attribute), vc.Write(bytes);
    }
    // Both kinds of terminal show exactly what the model holds.
    void ExpectBothShow() {
        EXPECT_EQ(Mismatch(narrow, vc, GetParam()), "");
        EXPECT_EQ(Mismatch(wide, vc, GetParam()), "");
        EXPECT_EQ(Mismatch(broad, vc, GetParam()), "");
    }
    VirtualConsole vc;
    TerminalRenderer r{GetParam()};
    test::VtScreen narrow{1}, wide{2}, broad{1, 100};
};

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
        EXPECT_EQ(Frame(), "") << "nothing changed, nothing sent";
    }
}

// The game's own frame sequences, rendered for terminals that draw
// ambiguous glyphs in one cell or two: with the width unknown (the safe
// form both take) and with the width the start-up query learned; and for a
// terminal wider than the game, where nothing may show beyond its columns.
TEST_P(TerminalRendererTest, EveryFrameOfTheGamesScenariosShowsExactlyTheModel) {
    test::TempDir dir;
    for (const auto& s : scenario::All()) {
        SCOPED_TRACE(s.name);
        struct Pair {
            TerminalRenderer r;
            test::VtScreen t;
        };
        // Width unknown on both kinds, each width known, and a terminal wider than the game.
        std::vector<Pair> pairs(5, Pair{TerminalRenderer{GetParam()}, test::VtScreen{1}});
        pairs[1].t.ambiguous = pairs[3].t.ambiguous = 2;
        pairs[2].r.SetAmbiguousWidth(1);
        pairs[3].r.SetAmbiguousWidth(2);
        pairs[4].r.SetAmbiguousWidth(1);
        pairs[4].t = test::VtScreen{1, 100};
        int frames = 0;
        std::string failure;
        scenario::Play(s, RANKS_WORLD_DIR, dir.Path() / "world", [&](bool) {
            if (!failure.empty()) return;
            ++frames;
            for (auto& p : pairs) {
                p.t.Feed(p.r.Frame(headless::Screen()));
                failure = Mismatch(p.t, headless::Screen(), GetParam());
                if (!failure.empty()) {
                    failure += " at frame " + std::to_string(frames) + " ambiguous " + std::to_string(p.t.ambiguous);
                    break;
                }
            }
        });
        EXPECT_EQ(failure, "");
        EXPECT_GT(frames, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryColourMode, TerminalRendererTest,
                         ::testing::Values(Colours::kExact, Colours::kPalette, Colours::kNone));

// What each mode sends is seen in a real terminal (the terminal backend test).
TEST(TerminalColours, TheEnvironmentChooses) {
    EXPECT_EQ(ColoursFor(nullptr, "truecolor"), Colours::kExact);
    EXPECT_EQ(ColoursFor(nullptr, "24bit"), Colours::kExact);
    EXPECT_EQ(ColoursFor(nullptr, "yes"), Colours::kPalette);
    EXPECT_EQ(ColoursFor(nullptr, nullptr), Colours::kPalette);
    EXPECT_EQ(ColoursFor("", nullptr), Colours::kPalette);  // empty is unset
    EXPECT_EQ(ColoursFor("1", "truecolor"), Colours::kNone);
}

}  // namespace
}  // namespace rf::platform
