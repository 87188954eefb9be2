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
        EXPECT_TRUE(AllAttr(y0, x0 + 2, 12, attr)) << n;
        // No frame of the slide is left behind.
        EXPECT_EQ(Row(y0 + 1, x0 + 14, 66 - x0), Blank(66 - x0)) << n;
    }
}

TEST_F(BattleScreenTest, EveryFormationSizeDrawsExactlyItsCells) {
    const EnemyStatus pawn = Pawn();
    for (int n = 1; n <= 7; ++n) {
        headless::Reset();
        DrawEnemyView();
        DrawFormation(pawn, n);
        std::string expected[7];
        for (int y = 1; y <= 5; ++y) expected[y] = "|" + Blank(22) + "|";
        // The formation layout, column offset and row of every enemy.
        static constexpr int kCells[7][7][2] = {
            {{11, 3}},
            {{9, 3}, {13, 3}},
            {{9, 2}, {13, 2}, {11, 4}},
            {{9, 2}, {13, 2}, {9, 4}, {13, 4}},
            {{8, 2}, {14, 2}, {11, 3}, {8, 4}, {14, 4}},
            {{7, 2}, {11, 2}, {15, 2}, {7, 4}, {11, 4}, {15, 4}},
            {{5, 2}, {9, 2}, {13, 2}, {17, 2}, {7, 4}, {11, 4}, {15, 4}}};
        for (int t = 0; t < n; ++t)
            expected[kCells[n - 1][t][1]].replace(static_cast<std::size_t>(kCells[n - 1][t][0]), 2, "@@");
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

TEST_F(BattleScreenTest, HighlightLightsOnlyTheTarget) {
    EnemyStatus pawn = Pawn();
    DrawFormation(pawn, 5);
    pawn.target = 3;
    HighlightTarget(pawn, 5);
    EXPECT_TRUE(AllAttr(3, 36, 2, 15));
    EXPECT_TRUE(AllAttr(2, 33, 8, 7));
    PlainTarget(pawn, 5);
    EXPECT_TRUE(AllAttr(3, 36, 2, 7));
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
    EXPECT_EQ(Row(15, 25, 54), "|" + Blank(52) + "|");
}

TEST_F(BattleScreenTest, EnemyAttackBannerSlidesInAndRests) {
    SlideInBanner(BannerKind::EnemyAttack);
    EXPECT_EQ(battleLeft, 25);
    EXPECT_EQ(headless::SleptMs(), 10);
    EXPECT_EQ(Row(8, 25, 55), "   ＿＿＿＿＿＿＿＿＿＿" + Blank(32));
    EXPECT_EQ(Row(9, 25, 23), " ／　　 敵の攻撃 　　／");
    EXPECT_EQ(Seen(9, 48, 32), Blank(32));
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
        SCOPED_TRACE(c.name);
        const int len = static_cast<int>(std::strlen(c.name));
        const std::string gap = Blank(c.column - 28), tail = Blank(46 - c.column - len);
        EXPECT_EQ(Row(9, 26, 22), "／" + gap + c.name + tail + "／");
    }
}

TEST_F(BattleScreenTest, EnemyNameBannerPlacesTheNameByKind) {
    EnemyStatus e = Pawn();
    const struct {
        int kind;
        int column;
    } cases[] = {{kPawn, 34}, {kQueen, 33}, {kBishop, 32}};
    for (const auto& c : cases) {
        headless::Reset();
        e.kind = static_cast<std::int16_t>(c.kind);
        SlideInBanner(BannerKind::EnemyName, &e);
        EXPECT_EQ(Row(9, c.column, 4), "Pawn") << c.kind;
    }
}

}  // namespace
}  // namespace rf
