#include "platform/virtual_console.h"

#include <gtest/gtest.h>

#include "core/sjis.h"

namespace rf::platform {
namespace {

using namespace rf;

class VirtualConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { vc.Reset(); }
    void Expect(int x, int y, std::uint16_t code, std::uint8_t half) {
        EXPECT_EQ(vc.At(x, y).code, code) << x << "," << y;
        EXPECT_EQ(vc.At(x, y).half, half) << x << "," << y;
    }
    VirtualConsole vc;
};

TEST_F(VirtualConsoleTest, LeadByteHeldAcrossTwoWritesJoinsIntoOneGlyph) {
    auto a = "あ"_sj;
    vc.SetAttribute(15);
    vc.Write(a.substr(0, 1));
    Expect(0, 0, ' ', 0);  // nothing shown until the pair is complete
    vc.Write(a.substr(1, 1));
    Expect(0, 0, 0x82A0, 1);
    Expect(1, 0, 0x82A0, 2);
    EXPECT_EQ(vc.At(1, 0).attribute, 15);
    EXPECT_EQ(vc.CursorX(), 2);
    vc.Write("\x82");  // dropped before a control byte
    vc.Write("\nA");
    Expect(2, 0, ' ', 0);
    Expect(0, 1, 'A', 0);
}

TEST_F(VirtualConsoleTest, WrapsAtOnceAndADoubleGlyphAtTheLastColumnMovesDown) {
    vc.SetCursor(78, 0);
    vc.Write("xy");
    EXPECT_EQ(vc.CursorX(), 0);
    EXPECT_EQ(vc.CursorY(), 1);
    vc.SetCursor(79, 2);
    vc.Write("■"_sj);
    Expect(79, 2, ' ', 0);
    Expect(0, 3, 0x81A1, 1);
    EXPECT_EQ(vc.CursorX(), 2);
}

TEST_F(VirtualConsoleTest, OverwritingHalfAGlyphBlanksTheOtherHalf) {
    vc.Write("●●"_sj);  // cells 0..3
    vc.SetCursor(1, 0);
    vc.Write("○"_sj);  // straddles both
    Expect(0, 0, ' ', 0);
    Expect(1, 0, 0x819B, 1);
    Expect(3, 0, ' ', 0);
    vc.SetCursor(2, 0);
    vc.Write("x");
    Expect(1, 0, ' ', 0);
}

TEST_F(VirtualConsoleTest, ControlBytes) {
    vc.Write("ab\tc\rZ\nQ");
    Expect(8, 0, 'c', 0);
    Expect(5, 0, ' ', 0);
    Expect(0, 0, 'Z', 0);
    Expect(0, 1, 'Q', 0);
    vc.Write(std::string_view("\0", 1));  // NUL takes a blank cell
    Expect(1, 1, ' ', 0);
    EXPECT_EQ(vc.CursorX(), 2);
}

TEST_F(VirtualConsoleTest, ScrollingPastTheBottomButNotForThirtyRowsOfBlanks) {
    vc.Write("top");
    for (int i = 0; i < 30; ++i) vc.Write(std::string(80, ' '));
    EXPECT_EQ(vc.CursorY(), 30);  // the buffer is taller than the blanked area
    vc.SetCursor(0, 0);
    vc.Write("top");
    vc.SetCursor(0, VirtualConsole::kHeight - 1);
    vc.SetAttribute(15);
    vc.Write("last\n");
    Expect(0, 0, ' ', 0);  // "top" scrolled away
    Expect(0, VirtualConsole::kHeight - 2, 'l', 0);
    EXPECT_EQ(vc.At(0, VirtualConsole::kHeight - 1).attribute, 15);
    EXPECT_EQ(vc.CursorY(), VirtualConsole::kHeight - 1);
}

}  // namespace
}  // namespace rf::platform
