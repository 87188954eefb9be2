#include "items/menus.h"

#include <cstring>
#include <string>

#include "console/battle_screen.h"
#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

class MenusTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::strcpy(abilityTable.abilities[2].name, "BigRevolve");
        hero.items[0].count = 12;
        hero.items[1].count = 3;
        hero.items[2].count = -4;
    }
    std::uint16_t MarkAttr(int y) {
        EXPECT_EQ(AttrAt(55, y), AttrAt(71, y));
        return AttrAt(55, y);
    }
};

TEST_F(MenusTest, ItemMenuDropsInAndMovesDown) {
    OpenItemMenu();
    EXPECT_EQ(menuTop, 0);
    EXPECT_EQ(headless::SleptMs(), 15);
    EXPECT_EQ(Row(0, 54, 20), "________Item________");
    EXPECT_EQ(Row(4, 54, 20), " ＜  プロテイン  ＞ ");
    EXPECT_EQ(MarkAttr(2), 15);
    EXPECT_EQ(AttrAt(59, 2), 7);
    // Moving down highlights the next row and shows its count.
    DrawItemCountLine();
    MoveItemSelection(1);
    EXPECT_EQ(MarkAttr(2), 7);
    EXPECT_EQ(MarkAttr(4), 15);
    // 3 is shorter than 12: its second digit is gone.
    EXPECT_EQ(Row(10, 54, 20), " ＜     × 3     ＞ ");
    EXPECT_EQ(AttrAt(65, 10), 15);
    EXPECT_EQ(MarkAttr(10), 7);
    EXPECT_EQ(console.attribute, 7);
    MoveItemSelection(1);  // a count below 0 is none
    EXPECT_EQ(Row(10, 62, 6), "× 0  ");
}

TEST_F(MenusTest, TargetBannerSlidesToColumnTwentyFour) {
    MoveTo(0, 8);
    Write("###");
    SlideTargetBanner();
    EXPECT_EQ(headless::SleptMs(), 8);
    EXPECT_EQ(Row(7), std::string(24, ' ') + "＜　対　象　の　選　択　＞" + std::string(30, ' '));
    // The blanks after the first frames stop at the edge of the row.
    EXPECT_EQ(Row(8, 0, 3), "###");
}

TEST_F(MenusTest, SingleRowsAndTitles) {
    menuTop = 0;
    DrawCursorMarks(3);
    DrawAbilityName(3);
    EXPECT_EQ(Row(6, 54, 20), " ＜  BigRevolve  ＞ ");
    DrawAbilityTitle();
    EXPECT_EQ(Row(0, 54, 20), "______Ability_______");
    EraseMenuTitle();
    EXPECT_EQ(Row(0), std::string(80, ' '));
}

}  // namespace
}  // namespace rf
