#include "console/battle_screen.h"

#include <cstring>
#include <string>

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

class BattleScreenTest : public test::GameTest {
protected:
    // Every cell of x0 .. x0 + count - 1 on row y has the attribute.
    bool AllAttr(int y, int x0, int count, std::uint16_t attribute) {
        for (int x = x0; x < x0 + count; ++x)
            if (AttrAt(x, y) != attribute) return false;
        return true;
    }
    std::string Blank(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
    // Row text with the ideographic spaces that erasing leaves read as blanks.
    std::string Seen(int y, int x0, int count) {
        std::string s = Row(y, x0, count);
        for (std::size_t i; (i = s.find("\u3000")) != std::string::npos;) s.replace(i, 3, "  ");
        return s;
    }
    static EnemyStatus Pawn() {
        EnemyStatus e;
        std::strcpy(e.name, "Pawn");
        e.kind = kPawn;
        std::memcpy(e.symbol, "◎"_sj.data(), 2);
        return e;
    }
    void SetHeroName(const char* name) { std::strncpy(hero.name, name, sizeof hero.name - 1); }
};

TEST_F(BattleScreenTest, CommandBoxesSlideToTheirSteppedRestingPlaces) {
    SlideInCommandBoxes();
    EXPECT_EQ(heroPanelLeft, 1);
    EXPECT_EQ(headless::SleptMs(), 100);
    const int left[4] = {7, 5, 3, 1};
    for (int n = 1; n <= 4; ++n) {
        const int x0 = left[n - 1];
        const int y0 = 3 * (n - 1);
        const std::uint16_t attr = n == 1 ? 15 : 7;
        EXPECT_EQ(Row(y0, x0, 14), "  ＿＿＿＿＿＿") << n;
        EXPECT_EQ(Row(y0 + 1, x0, 14), "／          ／") << n;
        EXPECT_EQ(Row(y0 + 2, x0, 14), "￣￣￣￣￣￣  ") << n;
        EXPECT_TRUE(AllAttr(y0, x0 + 2, 12, attr)) << n;
        EXPECT_TRUE(AllAttr(y0 + 1, x0, 2, attr)) << n;
        EXPECT_TRUE(AllAttr(y0 + 1, x0 + 12, 2, attr)) << n;
        EXPECT_TRUE(AllAttr(y0 + 2, x0, 12, attr)) << n;
        // No frame of the slide is left behind.
        EXPECT_EQ(Row(y0, 0, x0 + 2), Blank(x0 + 2)) << n;
        for (int y = y0; y < y0 + 3; ++y) EXPECT_EQ(Row(y, x0 + 14, 80 - x0 - 14), Blank(80 - x0 - 14)) << n;
    }
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(BattleScreenTest, BoxOneHighlightIsRedrawnPlainByTheCommandCursor) {
    SlideInCommandBoxes();
    SetTextAttribute(kPlain);
    DrawCommandBox(1);
    Highlight();
    DrawCommandBox(2);
    EXPECT_TRUE(AllAttr(0, 9, 12, 7));
    EXPECT_TRUE(AllAttr(3, 7, 12, 15));
    EraseCommandBox(2);
    EXPECT_EQ(Row(3, 5, 14) + Row(4, 5, 14) + Row(5, 5, 14), Blank(42));
}

TEST_F(BattleScreenTest, LabelsSitInsideTheBoxesAtRest) {
    SlideInCommandBoxes();
    const auto before = headless::SleptMs();
    DrawCommandLabels();
    EXPECT_EQ(headless::SleptMs() - before, 400);
    EXPECT_EQ(Row(1, 7, 14), "／ たたかう ／");
    EXPECT_EQ(Row(4, 5, 14), "／ ぼうぎょ ／");
    EXPECT_EQ(Row(7, 3, 14), "／ アイテム ／");
    EXPECT_EQ(Row(10, 1, 14), "／  にげる  ／");
}

TEST_F(BattleScreenTest, EnemyViewFrame) {
    DrawEnemyView();
    EXPECT_EQ(Row(0, 25, 24), " ___Enemy View_________ ");
    for (int y = 1; y <= 5; ++y) EXPECT_EQ(Row(y, 25, 24), "|" + Blank(22) + "|") << y;
    EXPECT_EQ(Row(6, 25, 23), " ￣￣￣￣￣￣￣￣￣￣￣");
}

TEST_F(BattleScreenTest, FormationTableMatchesTheLayout) {
    EXPECT_EQ(FormationCellOf(1, 1).column, 11);
    EXPECT_EQ(FormationCellOf(5, 3).row, 3);
    EXPECT_EQ(FormationCellOf(7, 5).column, 7);
    EXPECT_EQ(FormationCellOf(7, 5).row, 4);
    EXPECT_EQ(FormationCellOf(6, 6).column, 15);
}

TEST_F(BattleScreenTest, EveryFormationSizeDrawsExactlyItsCells) {
    const EnemyStatus pawn = Pawn();
    for (int n = 1; n <= 7; ++n) {
        headless::Reset();
        DrawEnemyView();
        DrawFormation(pawn, n);
        std::string expected[7];
        for (int y = 1; y <= 5; ++y) expected[y] = "|" + Blank(22) + "|";
        // Two cells per symbol: put the glyph's first byte pair in place.
        for (int t = 1; t <= n; ++t) {
            FormationCell c = FormationCellOf(n, t);
            expected[c.row].replace(static_cast<std::size_t>(c.column), 2, "@@");
        }
        for (int y = 1; y <= 5; ++y) {
            std::string shown;
            for (int x = 25; x < 49; ++x) {
                const auto& cell = Screen().At(x, y);
                shown += cell.half != 0 ? '@' : static_cast<char>(cell.code);
                EXPECT_EQ(cell.attribute, 7);
            }
            EXPECT_EQ(shown, expected[y]) << "n=" << n << " row " << y;
        }
    }
}

TEST_F(BattleScreenTest, FormationOfFiveUsesTheWideGapForTheOuterPairs) {
    DrawFormation(Pawn(), 5);
    EXPECT_EQ(Row(2, 33, 8), "◎    ◎");
    EXPECT_EQ(Row(3, 33, 8), "   ◎   ");
    EXPECT_EQ(Row(4, 33, 8), "◎    ◎");
}

TEST_F(BattleScreenTest, HighlightLightsOnlyTheTarget) {
    EnemyStatus pawn = Pawn();
    DrawFormation(pawn, 5);
    pawn.target = 3;
    HighlightTarget(pawn, 5);
    EXPECT_TRUE(AllAttr(3, 36, 2, 15));
    EXPECT_TRUE(AllAttr(2, 33, 2, 7));
    EXPECT_TRUE(AllAttr(2, 39, 2, 7));
    EXPECT_TRUE(AllAttr(4, 33, 8, 7));
    EXPECT_EQ(console.attribute, 7);
    PlainTarget(pawn, 5);
    EXPECT_TRUE(AllAttr(3, 36, 2, 7));
    EraseTarget(pawn, 5);
    EXPECT_EQ(Row(3, 30, 20), Blank(20));
    EXPECT_EQ(Row(2, 33, 8), "◎    ◎");
}

TEST_F(BattleScreenTest, TargetOutsideTheFormationDrawsNothing) {
    EnemyStatus pawn = Pawn();
    for (int t : {0, 4, -1}) {
        pawn.target = static_cast<std::int16_t>(t);
        HighlightTarget(pawn, 3);
        PlainTarget(pawn, 3);
    }
    for (int y = 0; y < 7; ++y) EXPECT_EQ(Row(y), Blank(80)) << y;
}

TEST_F(BattleScreenTest, MessageFrame) {
    DrawMessageFrame();
    std::string over, under;
    for (int i = 0; i < 26; ++i) {
        over += "￣";
        under += "＿";
    }
    EXPECT_EQ(Row(12, 25, 54), "|" + over + "|");
    EXPECT_EQ(Row(18, 25, 54), "|" + under + "|");
    for (int y = 13; y <= 17; ++y) EXPECT_EQ(Row(y, 25, 54), "|" + Blank(52) + "|") << y;
    EXPECT_EQ(Row(12, 79, 1), " ");
}

TEST_F(BattleScreenTest, EnemyAttackBannerSlidesInAndRests) {
    SlideInBanner(BannerKind::EnemyAttack);
    EXPECT_EQ(battleLeft, 25);
    EXPECT_EQ(headless::SleptMs(), 10);
    EXPECT_EQ(Row(8, 25, 55), "   ＿＿＿＿＿＿＿＿＿＿" + Blank(32));
    EXPECT_EQ(Row(9, 25, 23), " ／　　 敵の攻撃 　　／");
    EXPECT_EQ(Seen(9, 48, 32), Blank(32));
    EXPECT_EQ(Row(10, 25, 55), " ￣￣￣￣￣￣￣￣￣￣" + Blank(34));
    EXPECT_EQ(Screen().At(28, 8).half, 1);
    EXPECT_EQ(Screen().At(27, 8).code, ' ');
}

TEST_F(BattleScreenTest, HeroNameIsCentredByItsByteLength) {
    const struct {
        const char* name;
        int column;
    } cases[] = {{"Braver", 33}, {"Alberto", 33}, {"Maximilian", 31}};
    for (const auto& c : cases) {
        headless::Reset();
        ResetGameState();
        SetHeroName(c.name);
        SlideInBanner(BannerKind::HeroName);
        EXPECT_EQ(battleLeft, 25);
        const int len = static_cast<int>(std::strlen(c.name));
        EXPECT_EQ(Row(9, c.column, len), c.name) << c.name;
        EXPECT_EQ(Row(9, 26, 2), "／");
        EXPECT_EQ(Row(9, 28, c.column - 28), Blank(c.column - 28)) << c.name;
        EXPECT_EQ(Row(9, c.column + len, 46 - c.column - len), Blank(46 - c.column - len)) << c.name;
        EXPECT_EQ(Row(9, 46, 2), "／");
        EXPECT_EQ(Seen(9, 48, 32), Blank(32));
    }
}

TEST_F(BattleScreenTest, EnemyNameBannerPlacesTheNameByKind) {
    EnemyStatus e = Pawn();
    const struct {
        int kind;
        int column;
    } cases[] = {{kKnight, 34}, {kPawn, 34}, {kRook, 34}, {kKing, 34}, {kQueen, 33}, {kBishop, 32}};
    for (const auto& c : cases) {
        headless::Reset();
        e.kind = static_cast<std::int16_t>(c.kind);
        SlideInBanner(BannerKind::EnemyName, &e);
        EXPECT_EQ(Row(9, c.column, 4), "Pawn") << c.kind;
        EXPECT_EQ(Row(9, 26, 2), "／");
        EXPECT_EQ(Row(9, 46, 2), "／");
    }
    headless::Reset();
    e.kind = 9;
    SlideInBanner(BannerKind::EnemyName, &e);
    EXPECT_EQ(Row(9, 26, 22), "／　　　　  　　　　／");
}

TEST_F(BattleScreenTest, NewBannerReplacesTheOldOneAndEraseBlanksTheArea) {
    SetHeroName("Maximilian");
    SlideInBanner(BannerKind::HeroName);
    SlideInBanner(BannerKind::EnemyAttack);
    EXPECT_EQ(Row(9, 26, 22), "／　　 敵の攻撃 　　／");
    EraseBanner();
    EXPECT_EQ(Row(8, 0, 80), Blank(80));
    EXPECT_EQ(Row(9, 26, 24), "　　　　　　　　　　　　");
    EXPECT_EQ(Row(10, 26, 20), "　　　　　　　　　　");
}

TEST_F(BattleScreenTest, ClearTitleRowBlanksFromOneColumnLeftOfTheWindows) {
    MoveTo(0, 7);
    Write(std::string(80, '#'));
    ClearTitleRow();
    EXPECT_EQ(Row(7, 24, 27), Blank(27));
    EXPECT_EQ(Row(7, 23, 1), "#");
    EXPECT_EQ(Row(7, 51, 1), "#");
}

}  // namespace
}  // namespace rf
