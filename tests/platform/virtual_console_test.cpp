// The console model, and the Windows console fed through the lead-byte
// joiner matching it.
#include "platform/model/virtual_console.h"
#include "platform/windows/windows_output.h"

#include <gtest/gtest.h>

#include "text/sj_literal.h"

namespace rf::platform {
namespace {

using namespace rf;

TEST(VirtualConsoleTest, WritesGiveTheseCellsAndCursorSeenOrBlind) {
    constexpr int kLast = VirtualConsole::kHeight - 1;
    const std::string blanks(30 * 80, ' ');
    struct Write {
        int x, y;  // x < 0: where the last write left the cursor
        std::string_view bytes;
    };
    struct Expect {
        int x, y;
        std::uint16_t code;
        std::uint8_t half;
    };
    const struct {
        const char* name;
        std::vector<Write> writes;
        std::vector<Expect> cells;
        std::pair<int, int> cursor;
    } cases[] = {
        {"lead byte held across writes",
         {{0, 0, "\x82"}, {-1, 0, "\xA0"}, {-1, 0, "\x82"}, {-1, 0, "\nA"}},
         {{0, 0, 0x82A0, 1}, {1, 0, 0x82A0, 2}, {2, 0, ' ', 0}, {0, 1, 'A', 0}},
         {1, 1}},
        {"immediate wrap", {{78, 0, "xy"}}, {{79, 0, 'y', 0}}, {0, 1}},
        {"text and glyphs within a row, a lead left open",
         {{10, 4, "a●"_sj}, {-1, 0, "b\x82"}},
         {{10, 4, 'a', 0}, {11, 4, 0x819C, 1}, {13, 4, 'b', 0}},
         {14, 4}},
        {"double glyph at the last column", {{79, 2, "■"_sj}}, {{79, 2, ' ', 0}, {0, 3, 0x81A1, 1}}, {2, 3}},
        {"overwriting halves",
         {{0, 0, "●●"_sj}, {1, 0, "○"_sj}, {2, 0, "x"}},
         {{0, 0, ' ', 0}, {1, 0, ' ', 0}, {2, 0, 'x', 0}, {3, 0, ' ', 0}},
         {3, 0}},
        {"TAB, CR, LF, NUL",
         {{0, 0, "ab\tc\rZ\nQ"}, {-1, 0, std::string_view("\0", 1)}},
         {{8, 0, 'c', 0}, {5, 0, ' ', 0}, {0, 0, 'Z', 0}, {0, 1, 'Q', 0}, {1, 1, ' ', 0}},
         {2, 1}},
        {"thirty rows of blanks do not scroll", {{5, 0, "top"}, {0, 0, blanks}}, {{5, 0, ' ', 0}}, {0, 30}},
        {"past the bottom",
         {{0, 0, "top"}, {0, kLast, "last\n"}},
         {{0, 0, ' ', 0}, {0, kLast - 1, 'l', 0}, {0, kLast, ' ', 0}},
         {0, kLast}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto play = [&](VirtualConsole& on) {
            for (const auto& w : c.writes) {
                if (w.x >= 0) on.SetCursor(w.x, w.y);
                on.Write(w.bytes);
            }
        };
        VirtualConsole vc, blind;
        vc.Reset(), blind.Reset();
        vc.SetAttribute(15);
        play(vc);
        for (const auto& e : c.cells) {
            EXPECT_EQ(vc.At(e.x, e.y).code, e.code) << e.x << "," << e.y;
            EXPECT_EQ(vc.At(e.x, e.y).half, e.half) << e.x << "," << e.y;
            // Glyphs, both halves, and a row scrolled in take the attribute.
            EXPECT_TRUE((e.code == ' ' && e.y != kLast) || vc.At(e.x, e.y).attribute == 15) << e.x << "," << e.y;
        }
        EXPECT_EQ(std::pair(vc.CursorX(), vc.CursorY()), c.cursor);
        // Blind, the cursor goes exactly where it went.
        blind.SetBlind(true);
        play(blind);
        EXPECT_EQ(std::pair(blind.CursorX(), blind.CursorY()), c.cursor);
    }
}

TEST(WindowsOutput, ConsoleFedThroughTheJoinerMatchesTheModel) {
    // Written byte by byte, the console gets no lead byte alone and ends
    // with the cells the model shows (a lead byte before a control dropped).
    LeadByteJoiner j;
    VirtualConsole model, console;
    model.Reset(), console.Reset();
    std::string_view glyphs = "戦闘ソ表！"_sj;  // ソ and 表 end in a '\\' byte
    for (char c : std::string(glyphs) + "\x83\nZ") {
        model.Write(std::string_view(&c, 1));
        std::string part = j.Prepare(std::string_view(&c, 1));
        EXPECT_FALSE(part.size() == 1 && IsLeadByte(static_cast<unsigned char>(part[0])));
        console.Write(part);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(model.At(x, y), console.At(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace rf::platform
