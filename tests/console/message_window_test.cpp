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

TEST_F(MessageWindowTest, OtherKeysDuringTypingAreConsumedAndIgnored) {
    headless::Key('a', 20);
    headless::Key(kKeyLeft, 40);
    headless::Key(kKeyPrefix);
    headless::Key(kKeyLeft);
    headless::Key('P');  // capital P shares the down arrow's code
    ShowMessageAndWait("abcd");
    EXPECT_EQ(headless::NowMs() >= 200, true);
    EXPECT_EQ(headless::KeysLeft(), 0u);
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

TEST_F(MessageWindowTest, ClearingAllLinesBlanksTheWindowAndEmptiesSlots) {
    MoveTo(0, 0);
    for (int y = 12; y < 19; ++y) {
        MoveTo(20, y);
        Write(std::string(60, '#'));
    }
    ClearAllMessageLines();
    for (int y = 13; y <= 17; ++y) {
        EXPECT_EQ(Row(y, 27, 51), std::string(51, ' ')) << y;
        EXPECT_EQ(Row(y, 26, 1), "#");
        EXPECT_EQ(Row(y, 78, 1), "#");
    }
    for (auto& slot : messageWindow.history) EXPECT_EQ(slot, " ");
    PushMessage();
    SetNewestMessage("new");
    ShowMessages();
    EXPECT_EQ(Row(13, 27, 3), "new");
    for (int y = 14; y <= 17; ++y) EXPECT_EQ(Row(y, 27, 51), std::string(51, ' '));
}

TEST_F(MessageWindowTest, PercentSignsAreShownUnchanged) {
    ShowMessage("100%d %s %%");
    EXPECT_EQ(Row(13, 27, 11), "100%d %s %%");
}

TEST_F(MessageWindowTest, OnlyEnterRightAndDownAcknowledge) {
    for (int code : {kKeyPrefix, kKeyLeft, kKeyUp, kKeySpace, int{'x'}, kKeyRight}) headless::Key(code);
    WaitForAcknowledge();
    EXPECT_EQ(headless::KeysLeft(), 0u);
    headless::Keys({'M'});  // capital M is the right arrow's code
    WaitForAcknowledge();
    headless::Keys({'P'});
    WaitForAcknowledge();
    EXPECT_THROW(WaitForAcknowledge(), headless::ScriptEnded);
}

TEST_F(MessageWindowTest, HighlightAddsTheIntensityBit) {
    SetTextAttribute(7);
    Highlight();
    EXPECT_EQ(console.attribute, 15);
    Highlight();
    EXPECT_EQ(console.attribute, 15);
    MoveTo(3, 4);
    Write("x");
    EXPECT_EQ(AttrAt(3, 4), 15);
}

}  // namespace
}  // namespace rf
