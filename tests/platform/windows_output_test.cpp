#include "platform/windows_output.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sjis.h"
#include "platform/virtual_console.h"

namespace rf::platform {
namespace {

using namespace rf;

// Through a parameter: clang 14 crashes on a std::string built in place from a literal.
std::string Bytes(std::string_view cp932) { return std::string(cp932); }

TEST(WindowsCodePages, SwitchesTo932AndGivesThePreviousOnesBack) {
    CodePagePlan plan = PlanCodePages({437, 850});
    EXPECT_TRUE(plan.setInput);
    EXPECT_TRUE(plan.setOutput);
    EXPECT_EQ(plan.restore.input, 437u);
    EXPECT_EQ(plan.restore.output, 850u);

    plan = PlanCodePages({65001, 932});  // output already right, input not
    EXPECT_TRUE(plan.setInput);
    EXPECT_FALSE(plan.setOutput);
    EXPECT_EQ(plan.restore.input, 65001u);
}

TEST(WindowsCodePages, NothingToDoWithoutAConsoleOrWhenAlready932) {
    CodePagePlan plan = PlanCodePages({0, 0});
    EXPECT_FALSE(plan.setInput);
    EXPECT_FALSE(plan.setOutput);
    plan = PlanCodePages({932, 932});
    EXPECT_FALSE(plan.setInput);
    EXPECT_FALSE(plan.setOutput);
}

TEST(WindowsConsoleModes, InputKeepsCtrlCAndDropsWhatWouldDisturbKeyReads) {
    using namespace console_mode;
    // A shell's usual mode: processed, line, echo, mouse, insert, quick edit, extended.
    std::uint32_t shell = 0x01F7;
    std::uint32_t game = GameInputMode(shell);
    EXPECT_EQ(game & kProcessedInput, kProcessedInput);
    EXPECT_EQ(game & (kQuickEdit | kMouseInput), 0u);
    EXPECT_EQ(game & kExtendedFlags, kExtendedFlags);  // needed for quick edit to be switched off
    EXPECT_EQ(game & 0x0026u, 0x0026u);               // line, echo and insert left as they were
    // A shell that left escape-sequence input on would turn arrows into ESC [ A.
    EXPECT_EQ(GameInputMode(0x0200 | 0x0001) & kVirtualTerminalInput, 0u);
    EXPECT_EQ(GameInputMode(0) & kProcessedInput, kProcessedInput);
}

TEST(WindowsConsoleModes, OutputIsTheLegacyConsoles) {
    using namespace console_mode;
    EXPECT_EQ(GameOutputMode(0), kProcessedOutput | kWrapAtEol);
    EXPECT_EQ(GameOutputMode(kProcessedOutput | kWrapAtEol | kVirtualTerminalOutput | kNoAutoReturn),
              kProcessedOutput | kWrapAtEol);
    EXPECT_EQ(GameOutputMode(0x0010), 0x0010u | kProcessedOutput | kWrapAtEol);  // other bits kept
}

TEST(WindowsCursor, SizeIsKeptUnlessTheConsoleWouldRefuseIt) {
    EXPECT_EQ(KeptCursorSize(1), 1u);
    EXPECT_EQ(KeptCursorSize(25), 25u);
    EXPECT_EQ(KeptCursorSize(100), 100u);
    EXPECT_EQ(KeptCursorSize(0), 25u);  // the query failed
    EXPECT_EQ(KeptCursorSize(101), 25u);
}

class LeadByteJoinerTest : public ::testing::Test {
protected:
    LeadByteJoiner j;
};

TEST_F(LeadByteJoinerTest, Cp932TextPassesUnchanged) {
    std::string text = Bytes(" たたかう ％d 100% ｱｲｳ ◎△○□ΩΨ×～"_sj);
    text += "\n\r\t";
    EXPECT_EQ(j.Prepare(text), text);
    EXPECT_FALSE(j.Holding());
    // Trail bytes that look like ASCII ('\\', '@', '|') are part of their glyph.
    std::string tricky = Bytes("ソ表能―"_sj);
    EXPECT_EQ(j.Prepare(tricky), tricky);
    EXPECT_EQ(j.Prepare(""), "");
}

TEST_F(LeadByteJoinerTest, TypingByteByByteJoinsEachFullWidthCharacter) {
    std::string text = Bytes("あAい"_sj);
    std::string sent;
    for (char c : text) {
        std::string part = j.Prepare(std::string_view(&c, 1));
        // A lead byte never goes out on its own.
        if (part.size() == 1) {
            EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(part[0])));
        }
        sent += part;
    }
    EXPECT_EQ(sent, text);
    EXPECT_EQ(j.Prepare("\x82"), "");
    EXPECT_TRUE(j.Holding());
    EXPECT_EQ(j.Prepare(""), "");  // an empty write keeps it held
    EXPECT_EQ(j.Prepare("\xA0" "B"), "\x82\xA0" "B");
}

TEST_F(LeadByteJoinerTest, LeadByteBeforeAControlByteIsDroppedAsTheModelDoes) {
    EXPECT_EQ(j.Prepare("\x82"), "");
    EXPECT_EQ(j.Prepare("\nA"), "\nA");
    EXPECT_EQ(j.Prepare("x\x82\ty"), "x\ty");  // inside one write as well
    EXPECT_FALSE(j.Holding());
}

TEST_F(LeadByteJoinerTest, ConsoleFedThroughTheJoinerMatchesTheModel) {
    // What the console receives, written whole, gives the same cells as the
    // game's split writes give the model.
    VirtualConsole model, console;
    model.Reset();
    console.Reset();
    std::string text = Bytes("戦闘開始！"_sj);
    text += "\x83\nZ";
    for (char c : text) {
        model.Write(std::string_view(&c, 1));
        console.Write(j.Prepare(std::string_view(&c, 1)));
    }
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 2; ++y) EXPECT_EQ(model.At(x, y), console.At(x, y)) << x << "," << y;
}

TEST(WindowsPaths, DirectoryOfAModulePath) {
    EXPECT_EQ(DirectoryOf("C:\\games\\ranks\\ranks.exe"), "C:\\games\\ranks");
    EXPECT_EQ(DirectoryOf("C:\\ranks.exe"), "C:");  // the caller adds the separator
    EXPECT_EQ(DirectoryOf("\\\\server\\share\\ranks.exe"), "\\\\server\\share");
    EXPECT_EQ(DirectoryOf("Z:/build/bin/ranks.exe"), "Z:/build/bin");
    EXPECT_EQ(DirectoryOf("ranks.exe"), "");
    EXPECT_EQ(DirectoryOf(""), "");
}

}  // namespace
}  // namespace rf::platform
