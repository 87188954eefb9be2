#include "battle/level_up_screen.h"

#include <cstring>

#include "console/console.h"
#include "console/message_window.h"
#include "test_support.h"

namespace rf {
namespace {

constexpr int L = 25;

class LevelUpScreenTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::strcpy(heroSnapshot.name, "Maximilian");
        heroSnapshot.level = 4, heroSnapshot.maxHp = 60, heroSnapshot.attack = 10;
        heroSnapshot.exp = 25;  // gained in this battle
        hero = heroSnapshot;
        hero.level = 5, hero.maxHp = 65, hero.attack = 13;
        hero.exp = 12;  // left over toward the next level
    }
};

// Two levels and a thousand hit points: wide counts and values leave no stray digits.
TEST_F(LevelUpScreenTest, WholePanelSlidesItsRowsInWithNoStrayDigits) {
    for (int y = 0; y <= 11; ++y) {
        MoveTo(0, y);
        Write(std::string(80, '#'));
    }
    hero.level = 6, hero.maxHp = 60 + 1000;
    ClearLevelUpPanel();
    DrawLevelUpFrame();
    ShowLevelUpIncreases();
    hero.maxHp = 12345;
    hero.exp = 0x10000u + 77u;  // the low sixteen bits
    ShowLevelUpValues();
    // Labels, 1012 sliding counts (1001 of them the hit points'), 26 experience steps, 36 rising rows.
    EXPECT_EQ(headless::SleptMs(), 400 + 1012 * 21 + 26 + 36 * 5);
    // The title at L+6..L+40 blanks the other half of the line glyph it covers;
    // the clearing stops at L+52.
    EXPECT_EQ(Row(0, L + 1, 53), "＿＿ Maximilian - LEVEL UP + STATUS UP -＿＿＿＿＿＿#");
    EXPECT_EQ(Row(2, L + 29, 3), "+2 ");
    EXPECT_EQ(Row(3, L + 29, 25), "+1000    :     12345    |");
    EXPECT_EQ(Row(4, L, 54), "| 攻撃力         <==         +3       :     13       |");
    EXPECT_EQ(Row(9, L + 38, 15), ":     77       ");
    EXPECT_EQ(Row(10, L - 1, 1) + Row(11, L, 3), "####");
    for (int row = 2; row <= 9; ++row) EXPECT_EQ(Row(row, L + 17, 3), "<==") << "row " << row;
}

TEST_F(LevelUpScreenTest, KeyDuringTheExperienceCountWritesTheFullAmount) {
    heroSnapshot.exp = 5000;
    // Labels and slides take 400 + 16 * 21 ms; the key comes 10 counts later.
    const std::int64_t at = 400 + 16 * 21 + 10;
    headless::Arrow(kKeyDown, at);
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(9, L + 29, 6), "+5000 ");
    EXPECT_EQ(headless::SleptMs(), at);
    // One code is read; the arrow's 80 only cuts the next message's typing short.
    EXPECT_EQ(headless::KeysLeft(), 1u);
    bool acknowledged = false;
    RunScript([&] {
        ShowMessageAndWait("OK");
        acknowledged = true;
    });
    EXPECT_FALSE(acknowledged);
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

}  // namespace
}  // namespace rf
