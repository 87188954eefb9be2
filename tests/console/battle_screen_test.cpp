// The battle screen's windows: the banners and the formations, the message
// window's typing and history, the hit point gauge and effect bars, and the
// level-up panel.
#include "console/battle_screen.h"

#include "battle/level_up_screen.h"
#include "console/message_window.h"
#include "console/status_display.h"

#include "../battle/battle_fixtures.h"

namespace rf {
namespace {

class BattleScreenTest : public test::GameTest {
protected:
    EnemyStatus pawn = test::MakePawn();
};
using MessageWindowTest = test::GameTest;
using StatusDisplayTest = test::GameTest;

TEST_F(BattleScreenTest, TheThreeBanners) {
    SlideInBanner(BannerKind::EnemyAttack);
    EXPECT_EQ(headless::SleptMs(), 10);
    EXPECT_EQ(Row(8, 25, 55), "   ＿＿＿＿＿＿＿＿＿＿" + std::string(32, ' '));
    EXPECT_EQ(Row(9, 25, 23), " ／　　 敵の攻撃 　　／");
    // The hero's name is centred by its byte length, an enemy's placed by its kind.
    const struct {
        BannerKind kind;
        const char* hero;
        int enemy, column;
        const char* shown;
    } cases[] = {{BannerKind::HeroName, "Braver", kPawn, 33, "Braver"},
                 {BannerKind::HeroName, "Alberto", kPawn, 33, "Alberto"},
                 {BannerKind::HeroName, "Maximilian", kPawn, 31, "Maximilian"},
                 {BannerKind::EnemyName, "", kBishop, 32, "ポーン"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hero << " " << c.enemy);
        headless::Reset();
        std::strncpy(hero.name, c.hero, sizeof hero.name - 1);
        pawn.kind = static_cast<std::int16_t>(c.enemy);
        SlideInBanner(c.kind, &pawn);
        const int cells = c.kind == BannerKind::HeroName ? static_cast<int>(std::strlen(c.hero)) : 6;
        EXPECT_EQ(Row(9, c.column - 1, cells + 2), " " + std::string(c.shown) + " ");
    }
}

// Each group as the player sees it: rows 2 to 4 of the enemy window.
TEST_F(BattleScreenTest, EachGroupStandsInItsFormation) {
    // clang-format off
    const char* const pictures[7][3] = {
        {"              ", "      ◎      ", "              "},
        {"              ", "    ◎  ◎    ", "              "},
        {"    ◎  ◎    ", "              ", "      ◎      "},
        {"    ◎  ◎    ", "              ", "    ◎  ◎    "},
        {"   ◎    ◎   ", "      ◎      ", "   ◎    ◎   "},
        {"  ◎  ◎  ◎  ", "              ", "  ◎  ◎  ◎  "},
        {"◎  ◎  ◎  ◎", "              ", "  ◎  ◎  ◎  "},
    };
    // clang-format on
    for (int n = 1; n <= 7; ++n) {
        SCOPED_TRACE(n);
        headless::Reset();
        DrawFormation(pawn, n);
        for (int row = 0; row < 3; ++row) EXPECT_EQ(Row(2 + row, battleLeft + 5, 14), pictures[n - 1][row]);
    }
}

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

TEST(BarLengthTest, TruncatesTheDoubleProduct) {
    // The quotient first: for 519, 1038 and 1065 a full bar falls just short of 18.
    // A maximum of 0 gives an empty bar.
    const int table[][3] = {{100, 100, 18},   {50, 100, 9},   {1, 100, 0}, {519, 519, 17}, {1038, 1038, 17},
                            {1065, 1065, 17}, {520, 520, 18}, {10, 0, 0},  {200, 100, 18}};
    for (const auto& row : table) EXPECT_EQ(HpBarLength(row[0], row[1]), row[2]) << row[0] << "/" << row[1];
    // An effect's turns left, 0 .. 11.
    const int expected[] = {0, 1, 3, 5, 7, 9, 10, 12, 14, 16, 18, 18};
    for (int t = 0; t <= 11; ++t) EXPECT_EQ(EffectBarLength(t), expected[t]) << t;
}

// Counting stops at 0 and at the maximum, and does not wait after the last point.
TEST_F(StatusDisplayTest, CountingStopsAtZeroAndAtTheMaximum) {
    hero.hp = hero.maxHp = 100;
    DrawHpGauge();
    EXPECT_EQ(AttrAt(12, 14), 15);  // the number stands out
    const auto before = headless::SleptMs();
    CountDownHp(150);
    EXPECT_EQ(Row(14, 7, 14), "HP : 0   / 100");
    EXPECT_EQ(Row(13, 4, 4), "+   ");  // the bar is gone
    EXPECT_EQ(headless::SleptMs() - before, 99 * 20);
    CountUpHp(200);
    EXPECT_EQ(Row(14, 7, 14), "HP : 100 / 100");
}

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
