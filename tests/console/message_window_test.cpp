#include "console/message_window.h"

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

class MessageWindowTest : public test::GameTest {};

TEST_F(MessageWindowTest, TwentyFullWidthCharactersTakeTwoSeconds) {
    ClearAllMessageLines();
    PushMessage();
    SetNewestMessage("あいうえおかきくけこさしすせそたちつてと"_sj);
    ShowMessages();
    EXPECT_EQ(headless::NowMs(), 2000);
    EXPECT_EQ(Row(13, 27, 40), "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_TRUE(Screen().CursorVisible());
}

TEST_F(MessageWindowTest, EnterDuringTypingWritesTheRestAndStillWaits) {
    headless::Key(kKeyEnter, 100);  // after the first character
    headless::Key(kKeyEnter);        // the acknowledgement
    ShowMessageAndWait("あいうえおかきくけこさしすせそたちつてと"_sj);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_LT(headless::NowMs(), 200);
    EXPECT_EQ(Row(13, 27, 40), "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_FALSE(Screen().CursorVisible());
}

TEST_F(MessageWindowTest, HistoryAfterFivePushesShowsNewestFirst) {
    ClearAllMessageLines();
    const char* texts[] = {"one", "two", "three", "four", "five", "six"};
    for (const char* t : texts) ShowMessage(t);
    EXPECT_EQ(Row(13, 27, 5), "six  ");
    EXPECT_EQ(Row(14, 27, 5), "five ");
    EXPECT_EQ(Row(17, 27, 5), "two  ");
    EXPECT_EQ(messageWindow.history[4], "two");  // "one" is gone from the history
}

TEST_F(MessageWindowTest, MessageMovingIntoTheBottomLineLeavesNoTail) {
    ClearAllMessageLines();
    ShowMessage("a very long message that fills the line");
    for (const char* t : {"b", "c", "d", "e"}) ShowMessage(t);
    EXPECT_EQ(Row(17, 27, 10), "a very lon");
    ShowMessage("f");
    EXPECT_EQ(Row(17, 27, 51), "b" + std::string(50, ' '));
}

TEST_F(MessageWindowTest, ClearMessageLineBlanksOneLineAndItsSlot) {
    for (int line = 1; line <= 5; ++line) {
        SCOPED_TRACE(line);
        MoveTo(20, 12 + line);
        Write(std::string(60, '#'));
        messageWindow.history[line - 1] = "x";
        ClearMessageLine(line);
        EXPECT_EQ(Row(12 + line, 26, 53), "#" + std::string(51, ' ') + "#");
        EXPECT_EQ(messageWindow.history[line - 1], " ");
    }
}

TEST_F(MessageWindowTest, PercentSignsAreShownUnchanged) {
    ShowMessage("100%d %s %%");
    EXPECT_EQ(Row(13, 27, 11), "100%d %s %%");
}

TEST_F(MessageWindowTest, HighlightAddsTheIntensityBit) {
    SetTextAttribute(7);
    Highlight();
    EXPECT_EQ(console.attribute, 15);
    Highlight();
    EXPECT_EQ(console.attribute, 15);
}

}  // namespace
}  // namespace rf
