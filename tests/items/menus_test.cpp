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
        const char* names[5] = {"SwordCut", "Flame", "BigRevolve", "HellFlame", "Obedience"};
        for (int i = 0; i < 5; ++i) std::strcpy(abilityTable.abilities[i].name, names[i]);
        hero.items[0].count = 12;
        hero.items[1].count = 3;
        hero.items[2].count = 0;
    }
    std::string Blank(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
    std::uint16_t MarkAttr(int y) {
        EXPECT_EQ(AttrAt(55, y), AttrAt(71, y));
        return AttrAt(55, y);
    }
    // A copy of rows 0..11 to see that nothing changed.
    std::string Area() {
        std::string s;
        for (int y = 0; y <= 11; ++y) {
            s += Row(y);
            for (int x = 0; x < 80; ++x) s += static_cast<char>('0' + AttrAt(x, y) % 10);
        }
        return s;
    }
};

TEST_F(MenusTest, ItemMenuDropsInWithTheFirstRowHighlighted) {
    OpenItemMenu();
    EXPECT_EQ(menuTop, 0);
    EXPECT_EQ(headless::SleptMs(), 15);
    EXPECT_EQ(Row(0, 54, 20), "________Item________");
    EXPECT_EQ(Row(2, 54, 20), " ＜  ポーション  ＞ ");
    EXPECT_EQ(Row(4, 54, 20), " ＜  プロテイン  ＞ ");
    EXPECT_EQ(Row(6, 54, 20), " ＜  バックラー  ＞ ");
    for (int y : {1, 3, 5, 7, 8, 9, 10}) EXPECT_EQ(Row(y, 54, 20), Blank(20)) << y;
    EXPECT_EQ(MarkAttr(2), 15);
    EXPECT_EQ(MarkAttr(4), 7);
    EXPECT_EQ(MarkAttr(6), 7);
    EXPECT_EQ(AttrAt(59, 2), 7);
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(MenusTest, CountLineShowsTheFirstItemsCountHighlighted) {
    OpenItemMenu();
    DrawItemCountLine();
    EXPECT_EQ(Row(10, 54, 20), " ＜     × 12    ＞ ");
    EXPECT_EQ(MarkAttr(10), 7);
    EXPECT_EQ(AttrAt(62, 10), 7);
    EXPECT_EQ(AttrAt(65, 10), 15);
    EXPECT_EQ(AttrAt(66, 10), 15);
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(MenusTest, MovingDownHighlightsTheNextRowAndShowsItsCount) {
    OpenItemMenu();
    DrawItemCountLine();
    MoveItemSelection(1);
    EXPECT_EQ(battle.itemCursor, 1);
    EXPECT_EQ(MarkAttr(2), 7);
    EXPECT_EQ(MarkAttr(4), 15);
    // 3 is shorter than 12: its second digit is gone.
    EXPECT_EQ(Row(10, 54, 20), " ＜     × 3     ＞ ");
    EXPECT_EQ(AttrAt(65, 10), 15);
    EXPECT_EQ(MarkAttr(10), 7);
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(MenusTest, NegativeCountShowsAsNone) {
    hero.items[2].count = -4;
    OpenItemMenu();
    DrawItemCountLine();
    MoveItemSelection(1);
    MoveItemSelection(1);
    EXPECT_EQ(Row(10, 62, 6), "× 0  ");
}

TEST_F(MenusTest, MovesPastTheEndsAreIgnored) {
    OpenItemMenu();
    DrawItemCountLine();
    const std::string before = Area();
    MoveItemSelection(-1);
    EXPECT_EQ(Area(), before);
    EXPECT_EQ(battle.itemCursor, 0);
    MoveItemSelection(1);
    MoveItemSelection(1);
    const std::string atLast = Area();
    MoveItemSelection(1);
    EXPECT_EQ(Area(), atLast);
    EXPECT_EQ(battle.itemCursor, 2);
    EXPECT_EQ(MarkAttr(6), 15);
}

TEST_F(MenusTest, AbilityRowsFollowTheLevel) {
    const struct {
        int level;
        int rows;
        int sleptMs;
    } cases[] = {{11, 2, 8}, {12, 3, 15}, {17, 3, 15}, {18, 4, 24}, {24, 4, 24}, {25, 5, 35}};
    const int columns[5] = {62, 60, 59, 62, 60};
    const char* names[5] = {"SwordCut", "Flame", "BigRevolve", "HellFlame", "Obedience"};
    for (const auto& c : cases) {
        headless::Reset();
        battle = {};
        hero.level = static_cast<std::int16_t>(c.level);
        OpenAbilityMenu();
        EXPECT_EQ(menuTop, 0);
        EXPECT_EQ(headless::SleptMs(), c.sleptMs) << c.level;
        EXPECT_EQ(Row(0, 54, 20), "______Ability_______");
        for (int n = 1; n <= 5; ++n) {
            const int y = 2 * n;
            if (n <= c.rows) {
                EXPECT_EQ(Row(y, 55, 2), "＜") << c.level << " row " << n;
                EXPECT_EQ(Row(y, columns[n - 1], static_cast<int>(std::strlen(names[n - 1]))), names[n - 1]);
                EXPECT_EQ(MarkAttr(y), n == 1 ? 15 : 7);
            } else {
                EXPECT_EQ(Row(y, 54, 20), Blank(20)) << c.level << " row " << n;
            }
        }
        // Down walks to the last row shown and no further.
        for (int i = 0; i < 6; ++i) MoveAbilitySelection(1);
        EXPECT_EQ(battle.abilityCursor, c.rows - 1) << c.level;
        EXPECT_EQ(MarkAttr(2 * c.rows), 15);
        EXPECT_EQ(MarkAttr(2), c.rows == 1 ? 15 : 7);
    }
}

TEST_F(MenusTest, ClosingTheItemMenuClearsBannerAndTitleRow) {
    SlideTargetBanner();
    std::strcpy(hero.name, "Hero");
    SlideInBanner(BannerKind::HeroName);
    OpenItemMenu();
    DrawItemCountLine();
    MoveItemSelection(1);
    CloseMenu(MenuKind::Item);
    EXPECT_EQ(battle.itemCursor, 0);
    for (int y = 0; y <= 10; y += 2) EXPECT_EQ(Row(y, 54, 20), Blank(20)) << y;
    EXPECT_EQ(Row(7), Blank(80));
    EXPECT_EQ(Row(8), Blank(80));
    // Erasing leaves ideographic spaces, which show nothing.
    for (int x = 0; x < 80; ++x) EXPECT_TRUE(Screen().At(x, 9).code == ' ' || Screen().At(x, 9).code == 0x8140) << x;
}

TEST_F(MenusTest, ClosingTheAbilityMenuLeavesTheBanner) {
    std::strcpy(hero.name, "Hero");
    SlideInBanner(BannerKind::HeroName);
    hero.level = 30;
    OpenAbilityMenu();
    MoveAbilitySelection(1);
    CloseMenu(MenuKind::Ability);
    EXPECT_EQ(battle.abilityCursor, 0);
    for (int y = 0; y <= 10; y += 2) EXPECT_EQ(Row(y, 54, 20), Blank(20)) << y;
    EXPECT_EQ(Row(9, 34, 4), "Hero");
}

TEST_F(MenusTest, ReopenedMenuStartsOnTheFirstRow) {
    OpenItemMenu();
    DrawItemCountLine();
    MoveItemSelection(1);
    CloseMenu(MenuKind::Item);
    OpenItemMenu();
    DrawItemCountLine();
    EXPECT_EQ(MarkAttr(2), 15);
    EXPECT_EQ(MarkAttr(4), 7);
    EXPECT_EQ(Row(10, 62, 6), "× 12 ");
}

TEST_F(MenusTest, TargetBannerSlidesToColumnTwentyFour) {
    MoveTo(0, 8);
    Write("###");
    SlideTargetBanner();
    EXPECT_EQ(headless::SleptMs(), 8);
    EXPECT_EQ(Row(7, 24, 26), "＜　対　象　の　選　択　＞");
    EXPECT_EQ(Row(7, 0, 24), Blank(24));
    EXPECT_EQ(Row(7, 50, 30), Blank(30));
    // The blanks after the first frames stop at the edge of the row.
    EXPECT_EQ(Row(8, 0, 3), "###");
}

TEST_F(MenusTest, SingleRowsAndTitles) {
    menuTop = 0;
    DrawCursorMarks(3);
    DrawAbilityName(3);
    EXPECT_EQ(Row(6, 54, 20), " ＜  BigRevolve  ＞ ");
    EraseMenuRow(3);
    EXPECT_EQ(Row(6, 54, 20), Blank(20));
    DrawItemTitle();
    EXPECT_EQ(Row(0, 54, 20), "________Item________");
    EraseMenuTitle();
    EXPECT_EQ(Row(0), Blank(80));
    DrawItemName(4);
    DrawAbilityName(6);
    DrawItemCount(0);
    for (int y = 0; y <= 12; ++y) EXPECT_EQ(Row(y, 54, 20), Blank(20)) << y;
}

}  // namespace
}  // namespace rf
