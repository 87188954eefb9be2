#include "battle/level_up_screen.h"

#include <cstring>
#include <string>

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

constexpr int L = 25;

class LevelUpScreenTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::strcpy(hero.name, "Maximilian");
        heroSnapshot.level = 4;
        heroSnapshot.maxHp = 60;
        heroSnapshot.attack = 10;
        heroSnapshot.defence = 9;
        heroSnapshot.magicAttack = 8;
        heroSnapshot.magicDefence = 7;
        heroSnapshot.speed = 6;
        heroSnapshot.exp = 25;  // gained in this battle
        hero = heroSnapshot;
        std::strcpy(hero.name, "Maximilian");
        hero.level = 5;
        hero.maxHp = 65;
        hero.attack = 13;
        hero.defence = 10;
        hero.magicAttack = 9;
        hero.magicDefence = 8;
        hero.speed = 7;
        hero.exp = 12;  // left over toward the next level
    }
    std::string Blank(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
    std::string Line(int glyphs, const char* glyph) {
        std::string s;
        for (int i = 0; i < glyphs; ++i) s += glyph;
        return s;
    }
    void RunPanel() {
        ClearLevelUpPanel();
        DrawLevelUpFrame();
        ShowLevelUpIncreases();
        ShowLevelUpValues();
    }
};

TEST_F(LevelUpScreenTest, ClearBlanksTheFiftyThreeCellsOfRowsZeroToTen) {
    for (int y = 0; y <= 11; ++y) {
        MoveTo(0, y);
        Write(std::string(80, '#'));
    }
    ClearLevelUpPanel();
    for (int y = 0; y <= 10; ++y) {
        EXPECT_EQ(Row(y, L, 53), Blank(53)) << y;
        EXPECT_EQ(Row(y, L - 1, 1), "#");
        EXPECT_EQ(Row(y, L + 53, 1), "#");
    }
    EXPECT_EQ(Row(11, L, 53), std::string(53, '#'));
}

TEST_F(LevelUpScreenTest, FrameWithTheTitleOverTheTopLine) {
    DrawLevelUpFrame();
    // The title covers L+6..L+40; writing over half of the line glyph at
    // L+5..L+6 blanks its other half.
    EXPECT_EQ(Row(0, L + 1, 4), Line(2, "＿"));
    EXPECT_EQ(Row(0, L + 5, 1), " ");
    EXPECT_EQ(Row(0, L + 6, 35), "Maximilian - LEVEL UP + STATUS UP -");
    EXPECT_EQ(Row(0, L + 41, 12), Line(6, "＿"));
    EXPECT_EQ(Row(0, L + 53, 1), " ");
    for (int y = 1; y <= 9; ++y) EXPECT_EQ(Row(y, L, 54), "|" + Blank(52) + "|") << y;
    EXPECT_EQ(Row(10, L, 54), "|" + Line(26, "＿") + "|");
}

TEST_F(LevelUpScreenTest, IncreasesSlideInAndStayAtThirty) {
    ShowLevelUpIncreases();
    const char* labels[] = {"レベル", "体力", "攻撃力", "防御力", "魔法攻撃力", "魔法防御力", "素早さ", "経験値"};
    const char* increases[] = {"1", "5", "3", "1", "1", "1", "1", "25"};
    for (int k = 0; k < 8; ++k) {
        const int y = 2 + k;
        const std::string label = labels[k];
        EXPECT_EQ(Row(y, L + 2, 27).substr(0, label.size()), label) << y;
        EXPECT_EQ(Row(y, L + 17, 12), "<==" + Blank(9)) << y;
        EXPECT_EQ(Row(y, L + 29, 1), "+") << y;
        const std::string inc = increases[k];
        EXPECT_EQ(Row(y, L + 30, 24), inc + Blank(24 - static_cast<int>(inc.size()))) << y;
    }
    // 400 for the labels, 21 columns per count (0..diff), then 26 counts of experience.
    const int counts = 2 + 6 + 4 + 2 + 2 + 2 + 2;
    EXPECT_EQ(headless::SleptMs(), 8 * 50 + counts * 21 + 26);
}

TEST_F(LevelUpScreenTest, SeveralLevelsShowTheLevelsGained) {
    hero.level = 6;
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(2, L + 29, 3), "+2 ");
}

TEST_F(LevelUpScreenTest, NegativeIncreaseShowsOnlyThePlus) {
    hero.speed = 5;
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(8, L + 29, 24), "+" + Blank(23));
}

TEST_F(LevelUpScreenTest, WideIncreaseLeavesNoStrayDigits) {
    hero.maxHp = 60 + 120;
    DrawLevelUpFrame();
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(3, L + 29, 25), "+120" + Blank(20) + "|");
}

TEST_F(LevelUpScreenTest, FourDigitIncreaseKeepsTheFrame) {
    hero.maxHp = 60 + 1000;
    DrawLevelUpFrame();
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(3, L + 29, 25), "+1000" + Blank(19) + "|");
}

TEST_F(LevelUpScreenTest, KeyDuringTheExperienceCountWritesTheFullAmount) {
    heroSnapshot.exp = 5000;
    // Labels and slides take 400 + 20 * 21 ms; the key comes 10 counts later.
    headless::Key('a', 400 + 20 * 21 + 10);
    ShowLevelUpIncreases();
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(Row(9, L + 29, 6), "+5000 ");
    EXPECT_EQ(headless::SleptMs(), 400 + 20 * 21 + 10);
}

TEST_F(LevelUpScreenTest, ArrowDuringTheCountIsConsumedWhole) {
    heroSnapshot.exp = 5000;
    headless::Arrow(kKeyDown, 400 + 20 * 21 + 10);
    ShowLevelUpIncreases();
    EXPECT_EQ(headless::KeysLeft(), 0u);  // the 80 would acknowledge the next message
    EXPECT_EQ(Row(9, L + 29, 6), "+5000 ");
}

TEST_F(LevelUpScreenTest, ValuesRiseToTheirRows) {
    ShowLevelUpIncreases();
    const auto before = headless::SleptMs();
    ShowLevelUpValues();
    const char* values[] = {"5", "65", "13", "10", "9", "8", "7", "12"};
    for (int k = 0; k < 8; ++k) {
        const int y = 2 + k;
        const std::string v = values[k];
        EXPECT_EQ(Row(y, L + 38, 15), ":     " + v + Blank(9 - static_cast<int>(v.size()))) << y;
    }
    // Row r rises through 10 - r rows.
    EXPECT_EQ(headless::SleptMs() - before, 5 * (8 + 7 + 6 + 5 + 4 + 3 + 2 + 1));
}

TEST_F(LevelUpScreenTest, WideValuesLeaveNoStrayDigits) {
    hero.maxHp = 12345;
    hero.attack = -20;
    ShowLevelUpValues();
    EXPECT_EQ(Row(3, L + 38, 15), ":     12345    ");
    EXPECT_EQ(Row(4, L + 38, 15), ":     -20      ");
    for (int y = 5; y <= 9; ++y) EXPECT_EQ(Row(y, L + 46, 7), Blank(7)) << y;
}

TEST_F(LevelUpScreenTest, ExperienceRowShowsTheLowSixteenBits) {
    hero.exp = 0x10000u + 77u;
    ShowLevelUpValues();
    EXPECT_EQ(Row(9, L + 38, 9), ":     77 ");
}

TEST_F(LevelUpScreenTest, WholePanel) {
    RunPanel();
    // Labels, 20 sliding counts, 26 experience steps, 36 rising rows.
    EXPECT_EQ(headless::SleptMs(), 400 + 20 * 21 + 26 + 36 * 5);
    EXPECT_EQ(Row(0, L + 6, 35), "Maximilian - LEVEL UP + STATUS UP -");
    EXPECT_EQ(Row(4, L, 54), "| 攻撃力         <==         +3" + Blank(7) + ":     13" + Blank(7) + "|");
    EXPECT_EQ(Row(9, L, 54), "| 経験値         <==         +25" + Blank(6) + ":     12" + Blank(7) + "|");
    EXPECT_EQ(battleLeft, 25);
}

}  // namespace
}  // namespace rf
