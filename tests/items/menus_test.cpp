#include "items/menus.h"

#include "../battle/battle_fixtures.h"
#include "text/cp932.h"

namespace rf {
namespace {

class MenusTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        hero.items[0].count = 12, hero.items[1].count = 3, hero.items[2].count = -4;
    }
    // Both cursor marks of a menu row share one attribute.
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
    EXPECT_EQ(Row(2, 54, 20) + Row(4, 54, 20) + Row(6, 54, 20),
              " ＜  ポーション  ＞  ＜  プロテイン  ＞  ＜  バックラー  ＞ ");
    EXPECT_EQ(MarkAttr(2) * 100 + AttrAt(59, 2), 1507);
    DrawItemCountLine();
    MoveItemSelection(1);
    EXPECT_EQ(MarkAttr(2) * 100 + MarkAttr(4), 715);
    // 3 is shorter than 12: its second digit is gone.
    EXPECT_EQ(Row(10, 54, 20), " ＜     × 3     ＞ ");
    EXPECT_EQ(AttrAt(65, 10) * 100 + console.attribute, 1507);
    MoveItemSelection(1);  // a count below 0 is none
    EXPECT_EQ(Row(10, 62, 6), "× 0  ");
}

// The ability menu offers one more row at each unlock level, and not a level before.
TEST_F(MenusTest, AbilityMenuGrowsAtItsUnlockLevels) {
    const struct {
        std::int16_t level;
        int rows;
    } cases[] = {{1, 2}, {11, 2}, {12, 3}, {17, 3}, {18, 4}, {24, 4}, {25, 5}, {99, 5}};
    for (const auto& c : cases) {
        hero.level = c.level;
        headless::Screen().Reset();
        OpenAbilityMenu();
        int rows = 0;
        for (int row = 1; row <= 5; ++row) rows += Row(2 * row, 55, 2) == "＜";
        EXPECT_EQ(rows, c.rows) << "level " << c.level;
        CloseMenu(MenuKind::Ability);
    }
    // Each name at its own column between the marks.
    const char* const names[] = {"一文字", "フレイム", "大回転斬り", "地獄炎", "絶対服従"};
    for (auto& ability : abilityTable.abilities)
        test::SetName(ability.name, sizeof ability.name, Utf8ToCp932(names[&ability - abilityTable.abilities]));
    headless::Screen().Reset();
    OpenAbilityMenu();
    std::string rows;
    for (int row = 1; row <= 5; ++row) rows += Row(2 * row, 54, 20) + "|";
    EXPECT_EQ(
        rows,
        " ＜     一文字   ＞ | ＜   フレイム   ＞ | ＜  大回転斬り  ＞ | ＜     地獄炎   ＞ | ＜   絶対服従   ＞ |");
}

}  // namespace
}  // namespace rf
