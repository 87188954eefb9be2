#include "console/status_display.h"

#include <string>

#include "test_support.h"

namespace rf {
namespace {

class StatusDisplayTest : public test::GameTest {
protected:
    std::string Bar(int n) { return std::string(static_cast<std::size_t>(n), '-') + std::string(static_cast<std::size_t>(18 - n), ' '); }
};

TEST(BarLengthTest, TruncatesTheDoubleProduct) {
    // The quotient first: for 519, 1038 and 1065 a full bar falls just short of 18.
    // A maximum of 0 gives an empty bar.
    const int table[][3] = {{100, 100, 18}, {50, 100, 9}, {1, 100, 0}, {519, 519, 17}, {1038, 1038, 17},
                            {1065, 1065, 17}, {520, 520, 18}, {10, 0, 0}, {200, 100, 18}};
    for (const auto& row : table) EXPECT_EQ(HpBarLength(row[0], row[1]), row[2]) << row[0] << "/" << row[1];
    // An effect's turns left, 0 .. 11.
    const int expected[] = {0, 1, 3, 5, 7, 9, 10, 12, 14, 16, 18, 18};
    for (int t = 0; t <= 11; ++t) EXPECT_EQ(EffectBarLength(t), expected[t]) << t;
}

TEST_F(StatusDisplayTest, GaugeShowsBarAndHighlightedHp) {
    hero.hp = hero.maxHp = 100;
    DrawHpGauge();
    EXPECT_EQ(headless::SleptMs(), 18 * 30);
    EXPECT_EQ(Row(13, 1, 22), "---+" + Bar(18));
    EXPECT_EQ(Row(14, 1, 20), "   |  HP : 100 / 100");
    EXPECT_EQ(AttrAt(12, 14), 15);
    EXPECT_EQ(AttrAt(15, 14), 7);
}

TEST_F(StatusDisplayTest, CountingDownLeavesNoStaleDigitAndStopsAtZero) {
    struct Case { std::int16_t hp, damage; const char* line; int bar, sleptMs; };
    const Case cases[] = {{10, 1, "HP : 9  / 100", 1, 20}, {3, 5, "HP : 0 / 100 ", 0, 2 * 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hp);
        headless::Reset();
        hero.maxHp = 100;
        hero.hp = c.hp;
        DrawHpGauge();
        const auto before = headless::SleptMs();
        CountDownHp(c.damage);
        EXPECT_EQ(Row(14, 7, 13), c.line);
        EXPECT_EQ(Row(13, 5, 18), Bar(c.bar));
        EXPECT_EQ(headless::SleptMs() - before, c.sleptMs);  // no wait after the last point
    }
}

TEST_F(StatusDisplayTest, CountingUpStopsAtTheMaximumAndKeepsItWhereItWas) {
    hero.hp = hero.maxHp = 100;
    CountUpHp(20);  // at full nothing is written
    EXPECT_EQ(Row(14), std::string(80, ' '));
    DrawHpGauge();
    CountDownHp(95);
    CountUpHp(3);
    EXPECT_EQ(Row(14, 7, 14), "HP : 8   / 100");
    const auto before = headless::SleptMs();
    CountUpHp(200);
    EXPECT_EQ(Row(14, 7, 14), "HP : 100 / 100");
    EXPECT_EQ(headless::SleptMs() - before, 92 * 20);
}

}  // namespace
}  // namespace rf
