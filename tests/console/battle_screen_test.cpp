#include "console/battle_screen.h"

#include "../battle/battle_fixtures.h"

namespace rf {
namespace {

class BattleScreenTest : public test::GameTest {
protected:
    EnemyStatus pawn = test::MakePawn();
};

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

}  // namespace
}  // namespace rf
