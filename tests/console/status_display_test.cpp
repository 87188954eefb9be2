#include "console/status_display.h"

#include "test_support.h"

namespace rf {
namespace {

using StatusDisplayTest = test::GameTest;

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

}  // namespace
}  // namespace rf
