// The battle screen's windows as the console draws them: the banners and
// the formations, the message window's typing and history, the hit point
// gauge and the effect bars.
#include "console/battle_screen.h"

#include <cstring>
#include <string>

#include "battle_fixtures.h"
#include "console/message_window.h"
#include "console/status_display.h"
#include "text/cp932.h"

namespace rf {
namespace {

using BattleScreenTest = test::BattleTest;
using MessageWindowTest = test::GameTest;
using StatusDisplayTest = test::GameTest;

TEST_F(BattleScreenTest, NamesInTheBanners) {
    // (The enemy's attack banner is in every recorded battle.) The hero's name is centred by its byte length, an
    // enemy's placed by its kind.
    struct Banner {
        BannerKind kind;
        const char* name;  // the hero's
        int enemy;         // the enemy's kind
        int column;        // where the name shown begins
        const char* shown;
    };
    const Banner cases[] = {{BannerKind::HeroName, "Braver", kPawn, 33, "Braver"},
                            {BannerKind::HeroName, "Alberto", kPawn, 33, "Alberto"},
                            {BannerKind::HeroName, "Maximilian", kPawn, 31, "Maximilian"},
                            {BannerKind::EnemyName, "", kBishop, 32, "ポーン"}};
    for (auto [kind, name, enemy, column, shown] : cases) {
        SCOPED_TRACE(testing::Message() << name << " " << enemy);
        headless::Reset();
        std::strncpy(hero.name, name, sizeof hero.name - 1);
        pawn.kind = static_cast<std::int16_t>(enemy);
        SlideInBanner(kind, &pawn);
        const int cells = kind == BannerKind::HeroName ? static_cast<int>(std::strlen(name)) : 6;
        EXPECT_EQ(Row(9, column - 1, cells + 2), " " + std::string(shown) + " ");
    }
}

// The groups no recorded game meets (those of 1 to 4 and 6 are fought in
// them) as the player sees them: rows 2 to 4 of the enemy window.
TEST_F(BattleScreenTest, GroupsOfFiveAndSevenStandInTheirFormations) {
    const char* const pictures[][3] = {
        {"   ◎    ◎   ", "      ◎      ", "   ◎    ◎   "},
        {"◎  ◎  ◎  ◎", "              ", "  ◎  ◎  ◎  "},
    };
    for (int n : {5, 7}) {
        headless::Reset();
        DrawFormation(pawn, n);
        for (int row = 0; row < 3; ++row) EXPECT_EQ(Row(2 + row, battleLeft + 5, 14), pictures[n / 6][row]) << n;
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

// The history scrolls newest first, shown unchanged and leaving no tail; a
// cleared line blanks exactly the window's width.
TEST_F(MessageWindowTest, HistoryScrollsNewestFirstUnchangedAndAClearedLineBlanksTheWindowsWidth) {
    ClearAllMessageLines();
    for (const char* t : {"a very long message", "two", "three", "four", "five", "100%d %s %%"}) ShowMessage(t);
    EXPECT_EQ(Row(13, 27, 12), "100%d %s %% ");  // shown unchanged
    EXPECT_EQ(Row(17, 27, 51), "two" + std::string(48, ' '));
    MoveTo(20, 17);
    Write(std::string(60, '#'));
    ClearMessageLine(5);
    EXPECT_EQ(Row(17, 26, 53), "#" + std::string(51, ' ') + "#");
}

TEST(BarLengthTest, TruncatesTheDoubleProduct) {
    // The quotient first: for 519, 1038 and 1065 a full bar falls just short of 18.
    // A maximum of 0 gives an empty bar.
    struct Bar {
        int hp, maxHp, length;
    };
    const Bar table[] = {{100, 100, 18},   {50, 100, 9},   {1, 100, 0}, {519, 519, 17}, {1038, 1038, 17},
                         {1065, 1065, 17}, {520, 520, 18}, {10, 0, 0},  {200, 100, 18}};
    for (const Bar& bar : table) EXPECT_EQ(HpBarLength(bar.hp, bar.maxHp), bar.length) << bar.hp << "/" << bar.maxHp;
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

}  // namespace
}  // namespace rf
