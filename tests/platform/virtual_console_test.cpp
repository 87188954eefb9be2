#include "platform/virtual_console.h"

#include <gtest/gtest.h>

#include "core/sjis.h"

namespace rf::platform {
namespace {

using namespace rf;

class VirtualConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { vc.Reset(); }
    VirtualConsole vc;
};

TEST_F(VirtualConsoleTest, LeadByteHeldAcrossTwoWritesJoinsIntoOneGlyph) {
    auto a = "あ"_sj;
    vc.SetAttribute(15);
    vc.Write(a.substr(0, 1));
    EXPECT_EQ(vc.At(0, 0).code, ' ');  // nothing shown until the pair is complete
    vc.Write(a.substr(1, 1));
    EXPECT_EQ(vc.At(0, 0).code, 0x82A0);
    EXPECT_EQ(vc.At(0, 0).half, 1);
    EXPECT_EQ(vc.At(1, 0).half, 2);
    EXPECT_EQ(vc.At(0, 0).attribute, 15);
    EXPECT_EQ(vc.At(1, 0).attribute, 15);
    EXPECT_EQ(vc.CursorX(), 2);
}

TEST_F(VirtualConsoleTest, HeldLeadByteIsDroppedBeforeAControlByte) {
    vc.Write("\x82");
    vc.Write("\nA");
    EXPECT_EQ(vc.At(0, 1).code, 'A');
    EXPECT_EQ(vc.At(0, 0).code, ' ');
}

TEST_F(VirtualConsoleTest, DoubleGlyphAtLastColumnMovesToNextRow) {
    vc.SetCursor(78, 0);
    vc.Write("xy");  // fills 78 and 79, wraps at once
    EXPECT_EQ(vc.CursorX(), 0);
    EXPECT_EQ(vc.CursorY(), 1);
    vc.SetCursor(79, 2);
    vc.Write("■"_sj);
    EXPECT_EQ(vc.At(79, 2).code, ' ');
    EXPECT_EQ(vc.At(0, 3).half, 1);
    EXPECT_EQ(vc.At(1, 3).half, 2);
    EXPECT_EQ(vc.CursorX(), 2);
    EXPECT_EQ(vc.CursorY(), 3);
}

TEST_F(VirtualConsoleTest, OverwritingEitherHalfBlanksTheOther) {
    vc.Write("●●"_sj);  // cells 0..3
    vc.SetCursor(1, 0);
    vc.Write("x");
    EXPECT_EQ(vc.At(0, 0).code, ' ');
    EXPECT_EQ(vc.At(1, 0).code, 'x');
    EXPECT_EQ(vc.At(2, 0).half, 1);
    vc.SetCursor(2, 0);
    vc.Write("y");
    EXPECT_EQ(vc.At(3, 0).code, ' ');
    EXPECT_EQ(vc.At(3, 0).half, 0);
    // A double glyph straddling two others blanks both outer halves.
    vc.Reset();
    vc.Write("●●"_sj);
    vc.SetCursor(1, 0);
    vc.Write("○"_sj);
    EXPECT_EQ(vc.At(0, 0).code, ' ');
    EXPECT_EQ(vc.At(3, 0).code, ' ');
    EXPECT_EQ(vc.At(1, 0).half, 1);
}

TEST_F(VirtualConsoleTest, ControlBytes) {
    vc.Write("ab\tc");
    EXPECT_EQ(vc.At(8, 0).code, 'c');
    EXPECT_EQ(vc.At(5, 0).code, ' ');
    vc.Write("\rZ");
    EXPECT_EQ(vc.At(0, 0).code, 'Z');
    vc.Write("\nQ");
    EXPECT_EQ(vc.At(0, 1).code, 'Q');
    vc.SetCursor(10, 2);
    vc.Write("x");
    vc.Write(std::string_view("\0", 1));
    EXPECT_EQ(vc.At(11, 2).code, ' ');
    EXPECT_EQ(vc.CursorX(), 12);
    vc.SetCursor(6, 3);
    vc.Write("\t");
    EXPECT_EQ(vc.CursorX(), 8);
}

TEST_F(VirtualConsoleTest, WritingPastTheBottomScrollsAndBlankRowTakesAttribute) {
    vc.SetCursor(0, 0);
    vc.Write("top");
    vc.SetCursor(0, VirtualConsole::kHeight - 1);
    vc.SetAttribute(15);
    vc.Write("last\n");
    EXPECT_EQ(vc.At(0, 0).code, ' ');  // "top" scrolled away
    EXPECT_EQ(vc.At(0, VirtualConsole::kHeight - 2).code, 'l');
    EXPECT_EQ(vc.At(0, VirtualConsole::kHeight - 1).attribute, 15);
    EXPECT_EQ(vc.CursorY(), VirtualConsole::kHeight - 1);
}

TEST_F(VirtualConsoleTest, BlankingThirtyRowsOfEightyDoesNotScroll) {
    vc.SetCursor(5, 5);
    vc.Write("keep?");
    vc.SetCursor(0, 0);
    for (int i = 0; i < 30; ++i) vc.Write(std::string(80, ' '));
    EXPECT_EQ(vc.At(5, 5).code, ' ');
    vc.SetCursor(0, 0);
    vc.Write("top");
    vc.SetCursor(0, 0);
    for (int i = 0; i < 30; ++i) vc.Write(std::string(80, ' '));
    EXPECT_EQ(vc.CursorY(), 30);  // the buffer is taller than the blanked area
    vc.SetCursor(0, 0);
    EXPECT_EQ(vc.At(0, 0).code, ' ');
}

TEST_F(VirtualConsoleTest, PositionOutsideTheBufferIsRefused) {
    vc.SetCursor(3, 4);
    vc.SetCursor(80, 0);
    vc.SetCursor(-1, 2);
    vc.SetCursor(0, VirtualConsole::kHeight);
    EXPECT_EQ(vc.CursorX(), 3);
    EXPECT_EQ(vc.CursorY(), 4);
}

TEST_F(VirtualConsoleTest, TextReadsBackCp932) {
    vc.Write("A"_sj);
    vc.Write("あい"_sj);
    EXPECT_EQ(vc.Text(0, 0, 5), std::string("Aあい"_sj));
    EXPECT_EQ(vc.Text(2, 0, 2), "  ");  // halves cut off by the range read as blanks
}

}  // namespace
}  // namespace rf::platform
