// Enemy turns on the field, encounters and the main loop.
#include "field/field_enemies.h"

#include <array>
#include <string>

#include "console/console.h"
#include "core/startup.h"
#include "field/field_view.h"
#include "field_support.h"

namespace rf {
namespace {

class FieldEnemiesTest : public test::FieldTest {
protected:
    int Turn(int i) { return EnemyTurn(Of(i).kind, Of(i).x, Of(i).y, Of(i).groupSize); }
    std::string Pos(int i) { return std::to_string(Of(i).x) + "," + std::to_string(Of(i).y); }
    FieldEnemy& Of(int i) { return fieldEnemies.entries[i]; }
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
        if (c.slept) { EXPECT_EQ(At(Of(0).x, Of(0).y), c.symbol); }
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
    hero.fieldX = 57;
    EnemyList(2, "1\n3 2 30 10\n");
    SetEnemies({{4, 1, 40, 10}});
    DrawField();
    headless::Key(kKeyRight, 50);
    EXPECT_EQ(Turn(0), kTurnDone);
    EXPECT_EQ(hero.mapNumber, 2);
    ASSERT_EQ(fieldEnemies.count, 1);
    // The new map's Bishop stays where its file puts it.
    EXPECT_EQ(Pos(0) + At(30, 10) + At(40, 10), "30,10○  ");
}

// Every battle ends with the first blow and its keys are queued, so these
// tests hold whatever battle runs behind RunBattle.
class EncounterTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        hero.mapNumber = 5;
        hero.maxHp = hero.hp = 30, hero.attack = 50, hero.level = 1, hero.nextExp = 4'000'000'000u;
        hero.defence = hero.magicDefence = hero.speed = 10;
        abilityTable.abilities[0] = AbilityInfo{"Sword", 0, 1, 1};
        for (int k = 0; k < 4; ++k) {
            EnemyStatus& e = enemyTable.kinds[k];
            e.maxHp = e.attack = e.defence = e.magicDefence = 1;
            for (auto& slot : e.hpSlots) slot = 1;
        }
        for (int x = 0; x < 60; ++x) Wall(5, x, 0);  // tells a redraw from what was there
        headless::RunUntil(600'000);
    }
    // Per foe: fight, target, strike; then experience and victory, and one
    // more for the field's own poll before the turn.
    void QueueBattleKeys(int groupSize) { for (int i = 0; i < 3 * groupSize + 3; ++i) headless::Key(kKeyEnter); }
    void ExpectFieldScreen() {
        EXPECT_EQ(Row(0, 10, 49) + Row(3, 69, 3) + Row(21, 0, 3) + At(20, 10), std::string(49, '#') + "_|_＞+●");
    }
};

TEST_F(EncounterTest, ContactAtZeroColumnsApartNotTwo) {
    SetEnemies({{1, 2, 24, 10}});
    DrawField();
    QueueBattleKeys(2);
    FieldEnemy& e = fieldEnemies.entries[0];
    EXPECT_EQ(EnemyTurn(e.kind, e.x, e.y, e.groupSize), kTurnDone);  // two columns apart
    EXPECT_EQ(EnemyTurn(e.kind, e.x, e.y, e.groupSize), kBattleFought);
    EXPECT_EQ(Row(10), std::string(80, ' '));  // the battle's screen was cleared away
}

TEST_F(EncounterTest, FirstOfThreeFoughtShiftsTheListAndThePassGoesOn) {
    SetEnemies({{1, 1, 22, 10}, {2, 3, 40, 5}, {3, 4, 40, 15}});
    DrawField();
    QueueBattleKeys(1);
    MainLoopPass();
    ASSERT_EQ(fieldEnemies.count, 2);
    const FieldEnemy* e = fieldEnemies.entries;
    // The former entry 1 waits in slot 0; the new entry 1 took its turn.
    EXPECT_EQ((std::array{e[0].kind, e[0].x, e[0].y, e[1].kind, e[1].x, e[1].y}), (std::array{2, 40, 5, 3, 38, 15}));
    ExpectFieldScreen();
    EXPECT_EQ(At(40, 5) + At(38, 15) + At(40, 15), "△○  ");
}

TEST_F(EncounterTest, LastEnemyFoughtAndTheRedrawLeavesOutThePieceMarks) {
    worldInfo.queenMark = {5, 31, 6}, worldInfo.opening = {5, 1, 0};
    DrawPieceMark("Ω"_sj, worldInfo.queenMark);
    SetEnemies({{4, 7, 21, 10}});
    QueueBattleKeys(7);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 0);
    ExpectFieldScreen();
    EXPECT_EQ(At(30, 5), "  ");
    EXPECT_EQ(Cell(5, 5, 0), ' ');  // the strip stays open
}

}  // namespace
}  // namespace rf
