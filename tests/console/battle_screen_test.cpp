#include "console/battle_screen.h"

#include <cstring>
#include <string>
#include <utility>

#include "../battle/battle_fixtures.h"

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
    EnemyStatus pawn = test::MakePawn();
};

TEST_F(BattleScreenTest, CommandBoxesSlideToTheirSteppedRestingPlaces) {
    SlideInCommandBoxes();
    EXPECT_EQ(heroPanelLeft, 1);
    EXPECT_EQ(headless::SleptMs(), 100);
    const int left[4] = {7, 5, 3, 1};
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const int x0 = left[n - 1];
        const int y0 = 3 * (n - 1);
        EXPECT_EQ(Row(y0, x0, 14), "  ＿＿＿＿＿＿");
        EXPECT_TRUE(AllAttr(y0, x0 + 2, 12, n == 1 ? 15 : 7));
        // No frame of the slide is left behind.
        EXPECT_EQ(Row(y0 + 1, x0 + 14, 66 - x0), Blank(66 - x0));
    }
}

TEST_F(BattleScreenTest, EveryFormationSizeDrawsItsEnemiesAndNothingElse) {
    std::string expected;
    for (int n = 1; n <= 7; ++n) {
        headless::Reset();
        DrawFormation(pawn, n);
        std::string all;
        for (int y = 1; y <= 5; ++y) all += Row(y, 25, 24);
        std::erase(all, ' ');
        EXPECT_EQ(all, expected += "◎") << n;
    }
}

TEST_F(BattleScreenTest, TheThreeBanners) {
    SlideInBanner(BannerKind::EnemyAttack);
    EXPECT_EQ(battleLeft, 25);
    EXPECT_EQ(headless::SleptMs(), 10);
    EXPECT_EQ(Row(8, 25, 55), "   ＿＿＿＿＿＿＿＿＿＿" + Blank(32));
    EXPECT_EQ(Row(9, 25, 23), " ／　　 敵の攻撃 　　／");
    // The hero's name is centred by its byte length, an enemy's placed by its kind.
    const struct { BannerKind kind; const char* hero; int enemy, column; const char* shown; } cases[] = {
        {BannerKind::HeroName, "Braver", kPawn, 33, "Braver"}, {BannerKind::HeroName, "Alberto", kPawn, 33, "Alberto"},
        {BannerKind::HeroName, "Maximilian", kPawn, 31, "Maximilian"}, {BannerKind::EnemyName, "", kBishop, 32, "ポーン"}};
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

}  // namespace
}  // namespace rf
