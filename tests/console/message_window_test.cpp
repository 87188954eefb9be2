#include "console/message_window.h"

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

using MessageWindowTest = test::GameTest;

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

TEST_F(MessageWindowTest, HistoryScrollsNewestFirstUnchangedAndLeavesNoTail) {
    ClearAllMessageLines();
    for (const char* t : {"a very long message", "two", "three", "four", "five", "100%d %s %%"}) ShowMessage(t);
    EXPECT_EQ(Row(13, 27, 12), "100%d %s %% ");  // shown unchanged
    EXPECT_EQ(Row(17, 27, 51), "two" + std::string(48, ' '));
    EXPECT_EQ(messageWindow.history[4], "two");  // the first is gone from the history
}

TEST_F(MessageWindowTest, ClearMessageLineBlanksTheWindowsWidthAndItsSlot) {
    MoveTo(20, 17);
    Write(std::string(60, '#'));
    messageWindow.history[4] = "x";
    ClearMessageLine(5);
    EXPECT_EQ(Row(17, 26, 53), "#" + std::string(51, ' ') + "#");
    EXPECT_EQ(messageWindow.history[4], " ");
}

}  // namespace
}  // namespace rf
