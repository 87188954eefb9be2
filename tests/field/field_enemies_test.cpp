#include "field/field_enemies.h"

#include <string>

#include "console/console.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field_support.h"

namespace rf {
namespace {

class FieldEnemiesTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        hero.mapNumber = 5;
        hero.fieldX = 20;
        hero.fieldY = 10;
    }
    // Runs the turn of list entry i.
    int Turn(int i) {
        FieldEnemy& e = fieldEnemies.entries[i];
        return EnemyTurn(e.kind, e.x, e.y, e.groupSize);
    }
    void ExpectAt(int i, int x, int y) {
        EXPECT_EQ(fieldEnemies.entries[i].x, x);
        EXPECT_EQ(fieldEnemies.entries[i].y, y);
    }
};

TEST_F(FieldEnemiesTest, ChaseRule) {
    struct Case {
        int x, y, nx, ny;
        std::int64_t slept;
    };
    for (Case c : {Case{30, 10, 28, 10, 130},   // dx 10, dy 0: one step left
                   Case{30, 16, 28, 15, 260},   // h 5, dy 6: left, then up
                   Case{30, 14, 28, 14, 130},   // h 5, dy 4: left only
                   Case{20, 14, 20, 13, 130},   // dx 0: up
                   Case{10, 4, 12, 5, 260},     // from above left: right, then down
                   Case{21, 11, 19, 11, 130}})  // one column off: across, no vertical step
    {
        headless::Reset();
        SetEnemies({{4, 1, c.x, c.y}});
        DrawField();
        EXPECT_EQ(Turn(0), kTurnDone);
        ExpectAt(0, c.nx, c.ny);
        EXPECT_EQ(headless::SleptMs(), c.slept) << c.x << "," << c.y;
        EXPECT_EQ(At(c.nx, c.ny), "□");
        EXPECT_EQ(At(c.x, c.y), "  ");
    }
}

TEST_F(FieldEnemiesTest, EnemyOneColumnOffCrossesBackAndForth) {
    SetEnemies({{1, 1, 21, 11}});
    for (int turn = 0; turn < 4; ++turn) {
        EXPECT_EQ(Turn(0), kTurnDone);
        ExpectAt(0, turn % 2 == 0 ? 19 : 21, 11);
    }
}

TEST_F(FieldEnemiesTest, EnemyOnTheHerosCellStaysAndFightsNot) {
    SetEnemies({{1, 1, 20, 10}});
    EXPECT_EQ(Turn(0), kTurnDone);
    ExpectAt(0, 20, 10);
    EXPECT_EQ(headless::SleptMs(), 0);
}

TEST_F(FieldEnemiesTest, BlockedStepIsReplacedByTheOtherAxis) {
    // Left blocked, enemy below: up at once, then the vertical part waits and goes up again.
    Wall(5, 29, 16);
    SetEnemies({{1, 1, 30, 16}});
    EXPECT_EQ(Turn(0), kTurnDone);
    ExpectAt(0, 30, 14);
    EXPECT_EQ(headless::SleptMs(), 260);

    // Up blocked in the vertical part: one more step left instead, without a wait.
    headless::Reset();
    Wall(5, 20, 15);
    SetEnemies({{1, 1, 22, 16}});
    EXPECT_EQ(Turn(0), kTurnDone);
    ExpectAt(0, 18, 16);
    EXPECT_EQ(headless::SleptMs(), 260);

    // Both ways shut: the enemy stays.
    headless::Reset();
    Wall(5, 39, 12);
    Wall(5, 40, 11);
    SetEnemies({{1, 1, 40, 12}});
    EXPECT_EQ(Turn(0), kTurnDone);
    ExpectAt(0, 40, 12);
}

TEST_F(FieldEnemiesTest, StepsOffTheMapAreBlockedEvenThroughAFreeEdge) {
    hero.fieldX = 40;
    hero.fieldY = 0;
    SetEnemies({{1, 1, 58, 0}});
    // A right step from 58 would end at 60; the enemy below the hero's row at row 19 would leave downwards.
    FieldEnemy& e = fieldEnemies.entries[0];
    EXPECT_EQ(EnemyStep(kKeyRight, e.kind, e.x, e.y, e.groupSize), 0);
    EXPECT_EQ(EnemyStep(kKeyUp, e.kind, e.x, e.y, e.groupSize), 0);
    e.y = 19;
    EXPECT_EQ(EnemyStep(kKeyDown, e.kind, e.x, e.y, e.groupSize), 0);
    ExpectAt(0, 58, 19);
    // A wall beside a free cell: the enemy still makes its full step.
    Wall(5, 56, 19);
    EXPECT_EQ(TestStep(kKeyLeft, 58, 19), kStepShort);
    EXPECT_EQ(EnemyStep(kKeyLeft, e.kind, e.x, e.y, e.groupSize), kTurnDone);
    ExpectAt(0, 56, 19);
}

TEST_F(FieldEnemiesTest, TwoEnemiesPassThroughEachOther) {
    hero.fieldX = 10;
    SetEnemies({{1, 1, 30, 10}, {4, 1, 28, 10}});
    DrawField();
    Turn(0);
    ExpectAt(0, 28, 10);
    EXPECT_EQ(At(28, 10), "◎");
    Turn(1);
    ExpectAt(1, 26, 10);
    // The Rook's erasing blanked the Pawn that stood on its old cell.
    EXPECT_EQ(At(28, 10), "  ");
    EXPECT_EQ(At(26, 10), "□");
    Turn(0);
    ExpectAt(0, 26, 10);
    EXPECT_EQ(At(26, 10), "◎");
}

TEST_F(FieldEnemiesTest, KindsZeroAndSevenWalkAsKnightAndRook) {
    SetEnemies({{0, 1, 30, 10}, {7, 1, 30, 12}});
    Turn(0);
    Turn(1);
    EXPECT_EQ(At(28, 10), "△");
    EXPECT_EQ(At(28, 12), "□");
}

TEST_F(FieldEnemiesTest, EmptyEntryNeitherMovesNorBlanksTheTopLeft) {
    SetEnemies({{2, 3, 0, 0}});
    MoveTo(0, 0);
    Write("##");
    EXPECT_EQ(Turn(0), kTurnDone);
    ExpectAt(0, 0, 0);
    EXPECT_EQ(At(0, 0), "##");
}

TEST_F(FieldEnemiesTest, MapChangeDuringAWaitEndsTheTurn) {
    hero.mapNumber = 1;
    hero.fieldX = 57;
    hero.fieldY = 10;
    EnemyList(2, "1\n3 2 30 10\n");
    SetEnemies({{4, 1, 40, 10}});
    DrawField();
    headless::Key(kKeyRight, 50);
    EXPECT_EQ(Turn(0), kTurnDone);
    EXPECT_EQ(hero.mapNumber, 2);
    ASSERT_EQ(fieldEnemies.count, 1);
    // The new map's Bishop stands where its file puts it, drawn as a Bishop.
    EXPECT_EQ(fieldEnemies.entries[0].kind, 3);
    ExpectAt(0, 30, 10);
    EXPECT_EQ(At(30, 10), "○");
    EXPECT_EQ(At(40, 10), "  ");
    EXPECT_EQ(At(0, 10), "●");
}

TEST_F(FieldEnemiesTest, HeroMovesDuringTheWait) {
    SetEnemies({{1, 1, 40, 10}});
    DrawField();
    headless::Arrow(kKeyUp, 20);
    Turn(0);
    EXPECT_EQ(hero.fieldY, 9);
    EXPECT_EQ(At(20, 9), "●");
    ExpectAt(0, 38, 10);
}

TEST_F(FieldEnemiesTest, WipesFillThenClearTheFieldArea) {
    MoveTo(0, 20);
    Write("row twenty stays");
    WipeIn();
    for (int y = 0; y < 20; ++y) EXPECT_EQ(Row(y, 0, 60), std::string("■■■■■■■■■■■■■■■■■■■■■■■■■■■■■■")) << y;
    EXPECT_EQ(headless::SleptMs(), 600);
    WipeOut();
    for (int y = 0; y < 20; ++y) EXPECT_EQ(Row(y, 0, 60), std::string(60, ' ')) << y;
    EXPECT_EQ(Row(20, 0, 16), "row twenty stays");
    EXPECT_EQ(headless::SleptMs(), 1200);
}

}  // namespace
}  // namespace rf
