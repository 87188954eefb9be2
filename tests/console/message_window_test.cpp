#include "console/message_window.h"

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

using MessageWindowTest = test::GameTest;

// Twenty full-width characters type in two seconds; Enter during the typing
// writes the rest at once, and the message still waits for its acknowledgement.
TEST_F(MessageWindowTest, TypingTakesItsTimeAndEnterCutsItShortWithoutAcknowledging) {
    const auto text = "あいうえおかきくけこさしすせそたちつてと"_sj;
    ShowMessage(text);
    EXPECT_EQ(headless::NowMs(), 2000);
    EXPECT_TRUE(Screen().CursorVisible());
    headless::Reset();
    headless::Key(kKeyEnter, 100);  // after the first character
    headless::Key(kKeyEnter);       // the acknowledgement
    ShowMessageAndWait(text);
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
}

TEST_F(MessageWindowTest, ClearMessageLineBlanksExactlyTheWindowsWidth) {
    MoveTo(20, 17);
    Write(std::string(60, '#'));
    ClearMessageLine(5);
    EXPECT_EQ(Row(17, 26, 53), "#" + std::string(51, ' ') + "#");
}

}  // namespace
}  // namespace rf
