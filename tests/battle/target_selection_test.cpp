#include "battle/target_selection.h"

#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"

namespace rf {
namespace {

class TargetSelectionTest : public test::BattleTest {
protected:
    void Group(int n, int fallen = 0) {
        battle = {};
        test::OpenGroup(pawn, n);
        if (fallen > 0) {
            battle.defeated[fallen - 1] = 1;
            --battle.remaining;
            ++battle.defeatedCount;
        }
        DrawFormation(pawn, n);
    }
    std::uint16_t SymbolAttr(int t) { return AttrAt(25 + FormationCellOf(7, t).column, FormationCellOf(7, t).row); }
};

// A move reaches only a standing enemy straight above or below, never one further on.
TEST_F(TargetSelectionTest, RowMovesReachOnlyAStandingEnemyStraightAboveOrBelow) {
    struct Case {
        int size, fallen, from;
        bool up;
        int to;  // 0: no move, the target stays
    } cases[] = {
        {3, 0, 1, false, 3}, {3, 0, 3, true, 1},  // the single enemy below and back
        {5, 0, 3, false, 5}, {5, 0, 4, true, 3},  // the middle one and the corners
        {5, 0, 1, true, 0},  {5, 3, 4, true, 0},  // nothing above the top row; the middle has fallen
        {7, 6, 2, false, 0},                      // the one below has fallen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " " << c.from << (c.up ? " up" : " down"));
        Group(c.size, c.fallen);
        pawn.target = static_cast<std::int16_t>(c.from);
        EXPECT_EQ((c.up ? MoveTargetUp(pawn) : MoveTargetDown(pawn)) != 0, c.to != 0);
        EXPECT_EQ(pawn.target, c.to ? c.to : c.from);
    }
}

// Where the two rows stand column for column, up and then down comes back.
TEST_F(TargetSelectionTest, UpAndDownAgainComeBackInAlignedGroups) {
    for (int n : {4, 6, 7}) {
        Group(n);
        const int upper = n == 7 ? 4 : n / 2;
        for (int t = upper + 1; t <= n; ++t) {
            SCOPED_TRACE(testing::Message() << n << " " << t);
            pawn.target = static_cast<std::int16_t>(t);
            ASSERT_NE(MoveTargetUp(pawn), 0);
            EXPECT_LE(pawn.target, upper);
            ASSERT_NE(MoveTargetDown(pawn), 0);
            EXPECT_EQ(pawn.target, t);
        }
    }
}

TEST_F(TargetSelectionTest, RightStepsOverTheFallenAndSpaceGoesBackWithTargetOne) {
    Group(7, 5);
    pawn.target = 4;
    headless::Arrow(kKeyRight);  // 5 has fallen: 6
    headless::Arrow(kKeyDown);   // nothing below 6
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 6);
    EXPECT_EQ(SymbolAttr(6), 15);
    headless::Key(kKeySpace);
    EXPECT_EQ(SelectTarget(pawn), 0);
    EXPECT_EQ(pawn.target, 1);
    EXPECT_EQ(SymbolAttr(6), 7);
    EXPECT_EQ(Row(9, 34, 6), "　　　");  // the banner and its name are gone
}

// Left in the ability menu leads back to the targets, not to the commands:
// the next keys move the target, and no blow was struck.
TEST_F(TargetSelectionTest, LeftInTheAbilityMenuGoesBackToTheTargets) {
    Group(7);
    headless::Key(kKeyEnter);
    headless::Arrow(kKeyLeft);
    headless::Arrow(kKeyRight);
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 15);
    EXPECT_EQ(battle.actionCount, 0);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));  // the menu is closed
}

}  // namespace
}  // namespace rf
