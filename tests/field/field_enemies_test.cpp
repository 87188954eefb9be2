#include "field/field_enemies.h"

#include <string>

#include "console/console.h"
#include "field/field_view.h"
#include "field_support.h"

namespace rf {
namespace {

class FieldEnemiesTest : public test::FieldTest {
protected:
    int Turn(int i) {
        FieldEnemy& e = fieldEnemies.entries[i];
        return EnemyTurn(e.kind, e.x, e.y, e.groupSize);
    }
    std::string Pos(int i) { return std::to_string(fieldEnemies.entries[i].x) + "," + std::to_string(fieldEnemies.entries[i].y); }
};

// The hero stands at (20, 10).
TEST_F(FieldEnemiesTest, ChaseRuleWithBlockedSteps) {
    struct Case {
        int kind, x, y, wallX, wallY;
        const char* after;
        std::int64_t slept;
        const char* symbol;
    };
    const Case cases[] = {
        {4, 30, 10, 0, 0, "28,10", 130, "□"},   // dx 10, dy 0: one step left
        {4, 30, 16, 0, 0, "28,15", 260, "□"},   // dx 10, dy 6: left, then up
        {0, 30, 14, 0, 0, "28,14", 130, "△"},   // dy 4: left only; kind 0 walks as a Knight
        {7, 20, 14, 0, 0, "20,13", 130, "□"},   // dx 0: up; kind 7 as a Rook
        {1, 30, 16, 29, 16, "30,14", 260, "◎"},  // left blocked: up instead
        {1, 22, 16, 20, 15, "18,16", 260, "◎"},  // up blocked: left again
        {1, 20, 10, 0, 0, "20,10", 0, "◎"},     // on the hero's cell: stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        headless::Reset();
        Cell(5, 29, 16) = Cell(5, 20, 15) = ' ';
        if (c.wallX) Wall(5, c.wallX, c.wallY);
        SetEnemies({{c.kind, 1, c.x, c.y}});
        hero.mapNumber = 5;
        DrawField();
        EXPECT_EQ(Turn(0), kTurnDone);
        EXPECT_EQ(Pos(0), c.after);
        EXPECT_EQ(headless::SleptMs(), c.slept);
        if (c.slept) { EXPECT_EQ(At(fieldEnemies.entries[0].x, fieldEnemies.entries[0].y), c.symbol); }
    }
}

TEST_F(FieldEnemiesTest, EnemyOneColumnOffCrossesBackAndForth) {
    SetEnemies({{1, 1, 21, 11}});
    for (const char* after : {"19,11", "21,11", "19,11"}) {
        EXPECT_EQ(Turn(0), kTurnDone);
        EXPECT_EQ(Pos(0), after);
    }
}

TEST_F(FieldEnemiesTest, TwoEnemiesPassThroughEachOther) {
    hero.fieldX = 10;
    SetEnemies({{1, 1, 30, 10}, {4, 1, 28, 10}});
    DrawField();
    Turn(0);
    Turn(1);
    // The Rook's erasing blanked the Pawn on its old cell.
    EXPECT_EQ(Pos(0) + " " + Pos(1) + " " + At(28, 10) + At(26, 10), "28,10 26,10   □");
    Turn(0);
    EXPECT_EQ(At(26, 10), "◎");
}

TEST_F(FieldEnemiesTest, EmptyEntryNeitherMovesNorBlanksTheTopLeft) {
    SetEnemies({{2, 3, 0, 0}});
    MoveTo(0, 0);
    Write("##");
    EXPECT_EQ(Turn(0), kTurnDone);
    EXPECT_EQ(Pos(0) + At(0, 0), "0,0##");
}

TEST_F(FieldEnemiesTest, MapChangeDuringAWaitEndsTheTurn) {
    hero.mapNumber = 1;
    hero.fieldX = 57;
    EnemyList(2, "1\n3 2 30 10\n");
    SetEnemies({{4, 1, 40, 10}});
    DrawField();
    headless::Key(kKeyRight, 50);
    EXPECT_EQ(Turn(0), kTurnDone);
    EXPECT_EQ(hero.mapNumber, 2);
    ASSERT_EQ(fieldEnemies.count, 1);
    // The new map's Bishop stays where its file puts it.
    EXPECT_EQ(Pos(0), "30,10");
    EXPECT_EQ(At(30, 10) + At(40, 10), "○  ");
}

}  // namespace
}  // namespace rf
