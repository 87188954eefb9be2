#include "console/status_display.h"

#include <string>

#include "console/console.h"
#include "test_support.h"

namespace rf {
namespace {

class StatusDisplayTest : public test::GameTest {
protected:
    std::string Bar(int n) { return std::string(static_cast<std::size_t>(n), '-') + std::string(static_cast<std::size_t>(18 - n), ' '); }
    void SetHp(int hp, int maxHp) {
        hero.hp = static_cast<std::int16_t>(hp);
        hero.maxHp = static_cast<std::int16_t>(maxHp);
    }
};

TEST(HpBarLengthTest, TruncatesTheDoubleProduct) {
    EXPECT_EQ(HpBarLength(100, 100), 18);
    EXPECT_EQ(HpBarLength(50, 100), 9);
    EXPECT_EQ(HpBarLength(1, 100), 0);
    EXPECT_EQ(HpBarLength(99, 100), 17);
    // The quotient first: for these maxima a full bar falls just short of 18.
    EXPECT_EQ(HpBarLength(519, 519), 17);
    EXPECT_EQ(HpBarLength(1038, 1038), 17);
    EXPECT_EQ(HpBarLength(1065, 1065), 17);
    EXPECT_EQ(HpBarLength(520, 520), 18);
}

TEST(HpBarLengthTest, NoPositiveMaximumOrNoHpGivesAnEmptyBar) {
    EXPECT_EQ(HpBarLength(10, 0), 0);
    EXPECT_EQ(HpBarLength(0, 0), 0);
    EXPECT_EQ(HpBarLength(10, -5), 0);
    EXPECT_EQ(HpBarLength(-3, 100), 0);
    EXPECT_EQ(HpBarLength(200, 100), 18);  // never wider than the bar
}

TEST(EffectBarLengthTest, TurnsLeftToCells) {
    const int expected[] = {0, 1, 3, 5, 7, 9, 10, 12, 14, 16, 18, 18};
    for (int t = 0; t <= 11; ++t) EXPECT_EQ(EffectBarLength(t), expected[t]) << t;
    EXPECT_EQ(EffectBarLength(-1), 0);
    EXPECT_EQ(EffectBarLength(20), 18);
}

TEST_F(StatusDisplayTest, GaugeFillsCellByCellAndShowsTheNumbers) {
    SetHp(100, 100);
    DrawHpGauge();
    EXPECT_EQ(headless::SleptMs(), 18 * 30);
    EXPECT_EQ(Row(12, 1, 4), "   |");
    EXPECT_EQ(Row(13, 1, 22), "---+" + Bar(18));
    EXPECT_EQ(Row(14, 1, 20), "   |  HP : 100 / 100");
    for (int x = 12; x < 15; ++x) EXPECT_EQ(AttrAt(x, 14), 15) << x;
    EXPECT_EQ(AttrAt(11, 14), 7);
    EXPECT_EQ(AttrAt(15, 14), 7);
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(StatusDisplayTest, FullBarOfTheOddMaximaHasSeventeenCells) {
    for (int maxHp : {519, 1038, 1065}) {
        headless::Reset();
        SetHp(maxHp, maxHp);
        DrawHpGauge();
        EXPECT_EQ(Row(13, 5, 18), Bar(17)) << maxHp;
        EXPECT_EQ(headless::SleptMs(), 17 * 30);
    }
}

TEST_F(StatusDisplayTest, RedrawnGaugeLeavesNoTailOfALongerBar) {
    SetHp(100, 100);
    DrawHpGauge();
    SetHp(519, 519);
    DrawHpGauge();
    EXPECT_EQ(Row(13, 5, 18), Bar(17));
}

TEST_F(StatusDisplayTest, ZeroMaximumDrawsAnEmptyBar) {
    SetHp(0, 0);
    DrawHpGauge();
    EXPECT_EQ(Row(13, 1, 22), "---+" + Bar(0));
    EXPECT_EQ(Row(14, 7, 10), "HP : 0 / 0");
    EXPECT_EQ(headless::SleptMs(), 0);
}

TEST_F(StatusDisplayTest, MaximumReadsAsUnsigned) {
    SetHp(20000, 40000);
    DrawHpGauge();
    EXPECT_EQ(Row(14, 7, 18), "HP : 20000 / 40000");
    EXPECT_EQ(Row(13, 5, 18), Bar(9));
}

TEST_F(StatusDisplayTest, LevelLine) {
    hero.level = 12;
    DrawLevel();
    EXPECT_EQ(Row(12, 7, 7), "Lv : 12");
}

TEST_F(StatusDisplayTest, CountingDownFromTenLeavesNoStaleDigit) {
    SetHp(10, 100);
    DrawHpGauge();
    const auto before = headless::SleptMs();
    CountDownHp(1);
    EXPECT_EQ(hero.hp, 9);
    EXPECT_EQ(Row(14, 7, 13), "HP : 9  / 100");
    EXPECT_EQ(AttrAt(12, 14), 15);
    EXPECT_EQ(Row(13, 5, 18), Bar(1));
    EXPECT_EQ(headless::SleptMs() - before, 20);
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(StatusDisplayTest, CountingDownStopsAtZero) {
    SetHp(3, 100);
    DrawHpGauge();
    const auto before = headless::SleptMs();
    CountDownHp(5);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(Row(14, 7, 13), "HP : 0 / 100 ");
    EXPECT_EQ(Row(13, 5, 18), Bar(0));
    EXPECT_EQ(headless::SleptMs() - before, 2 * 20);  // no wait after the last point
}

TEST_F(StatusDisplayTest, NoDamageOrAFallenHeroChangesNothing) {
    SetHp(50, 100);
    DrawHpGauge();
    const auto before = headless::SleptMs();
    CountDownHp(0);
    CountDownHp(-4);
    EXPECT_EQ(hero.hp, 50);
    hero.hp = 0;
    CountDownHp(3);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(Row(14, 7, 14), "HP : 50 / 100 ");
    EXPECT_EQ(headless::SleptMs(), before);
}

TEST_F(StatusDisplayTest, CountingUpStopsAtTheMaximum) {
    SetHp(100, 100);
    DrawHpGauge();  // a battle draws the gauge at full hp
    CountDownHp(5);
    const auto before = headless::SleptMs();
    CountUpHp(20);
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Row(14, 7, 14), "HP : 100 / 100");
    EXPECT_EQ(Row(13, 5, 18), Bar(18));
    EXPECT_EQ(headless::SleptMs() - before, 5 * 20);
}

TEST_F(StatusDisplayTest, CountingUpAtTheMaximumWritesNothing) {
    SetHp(100, 100);
    CountUpHp(20);
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Row(14), std::string(80, ' '));
    EXPECT_EQ(Row(13), std::string(80, ' '));
    EXPECT_EQ(headless::SleptMs(), 0);
}

TEST_F(StatusDisplayTest, CountingDownAndUpAgainKeepsTheMaximumWhereItWas) {
    SetHp(100, 100);
    DrawHpGauge();
    CountDownHp(50);
    EXPECT_EQ(Row(14, 7, 14), "HP : 50  / 100");
    CountUpHp(1);
    EXPECT_EQ(Row(14, 7, 14), "HP : 51  / 100");
    CountDownHp(45);
    CountUpHp(2);
    EXPECT_EQ(Row(14, 7, 14), "HP : 8   / 100");
    CountUpHp(20);
    EXPECT_EQ(Row(14, 7, 14), "HP : 28  / 100");
}

TEST_F(StatusDisplayTest, CountingUpIsLimited) {
    SetHp(10, 100);
    CountUpHp(20);
    EXPECT_EQ(hero.hp, 30);
}

TEST_F(StatusDisplayTest, EffectFrameMarks) {
    DrawEffectFrames();
    for (int y = 16; y <= 18; ++y) EXPECT_EQ(Row(y, 0, 6), "    + ") << y;
    EXPECT_EQ(headless::SleptMs(), 30);
}

TEST_F(StatusDisplayTest, EffectGaugeNewThenAgedThenGone) {
    DrawEffectGauge(11, 1);
    EXPECT_EQ(headless::SleptMs(), 18 * 5);
    EXPECT_EQ(Row(17, 5, 18), Bar(18));
    DrawEffectGauge(10, 1);
    EXPECT_EQ(headless::SleptMs(), 18 * 5);
    EXPECT_EQ(Row(17, 5, 18), Bar(18));
    DrawEffectGauge(5, 1);
    EXPECT_EQ(Row(17, 5, 18), Bar(9));
    DrawEffectGauge(0, 1);
    EXPECT_EQ(Row(17, 5, 18), Bar(0));
    EXPECT_EQ(Row(16), std::string(80, ' '));
    EXPECT_EQ(Row(18), std::string(80, ' '));
}

TEST_F(StatusDisplayTest, EffectGaugeOutsideTheThreeRowsDrawsNothing) {
    DrawEffectGauge(10, 3);
    DrawEffectGauge(10, -1);
    for (int y = 12; y <= 20; ++y) EXPECT_EQ(Row(y), std::string(80, ' ')) << y;
}

}  // namespace
}  // namespace rf
