// Encounters and the main loop. Every battle here is arranged to end with
// the first blow, and the keys a battle needs are queued, so the tests hold
// whatever battle runs behind RunBattle.
#include <cstring>
#include <string>

#include "console/console.h"
#include "core/startup.h"
#include "field/field_enemies.h"
#include "field/field_view.h"
#include "field_support.h"

namespace rf {
namespace {

class EncounterTest : public test::FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        hero.mapNumber = 5;
        hero.fieldX = 20;
        hero.fieldY = 10;
        std::strcpy(hero.name, "Hero");
        hero.maxHp = hero.hp = 30;
        hero.attack = 50;
        hero.defence = 10;
        hero.magicDefence = 10;
        hero.speed = 10;
        hero.level = 1;
        hero.nextExp = 4'000'000'000u;
        abilityTable.abilities[0] = AbilityInfo{"Sword", 0, 1, 1};
        for (int k = 0; k < 4; ++k) {
            EnemyStatus& e = enemyTable.kinds[k];
            std::strcpy(e.name, "Foe");
            e.maxHp = 1;
            e.attack = 1;
            e.defence = 1;
            e.magicDefence = 1;
            e.speed = 0;
            for (auto& slot : e.hpSlots) slot = 1;
        }
        // Draw the map's walls so a redraw can be told from what was there.
        for (int x = 0; x < 60; ++x) Wall(5, x, 0);
        headless::RunUntil(600'000);
    }
    // For each foe: fight, choose the target, strike; then acknowledge the
    // experience and the victory. One more Enter for the field's own poll
    // before the turn, which only redraws the hero in place.
    void QueueBattleKeys(int groupSize) {
        for (int i = 0; i < 3 * groupSize + 3; ++i) headless::Key(kKeyEnter);
    }
    void ExpectFieldScreen() {
        EXPECT_EQ(Row(0, 0, 59), std::string(59, '#'));
        EXPECT_EQ(Row(0, 61, 18), " _____MiniMap_____");
        EXPECT_EQ(Row(3, 69, 3), "_|_");
        EXPECT_EQ(Row(21, 0, 3), "＞+");
        EXPECT_EQ(Row(24, 0, 16), "□ ・・・ ルーク");
        EXPECT_EQ(At(hero.fieldX, hero.fieldY), "●");
    }
};

TEST_F(EncounterTest, StepOntoTheHerosRowStartsTheBattle) {
    SetEnemies({{1, 2, 24, 10}});
    DrawField();
    QueueBattleKeys(2);
    FieldEnemy& e = fieldEnemies.entries[0];
    // Two columns apart: no contact yet.
    EXPECT_EQ(EnemyTurn(e.kind, e.x, e.y, e.groupSize), kTurnDone);
    EXPECT_EQ(e.x, 22);
    EXPECT_EQ(At(22, 10), "◎");
    EXPECT_EQ(EnemyTurn(e.kind, e.x, e.y, e.groupSize), kBattleFought);
    EXPECT_EQ(e.x, 20);
    // The battle's screen was cleared away again.
    for (int y = 0; y < 25; ++y) EXPECT_EQ(Row(y), std::string(80, ' ')) << y;
    EXPECT_EQ(console.x, 0);
    EXPECT_EQ(console.y, 0);
}

TEST_F(EncounterTest, ThreeEnemiesFirstFoughtLaterOnesShiftDownAndTheNewSecondMoves) {
    SetEnemies({{1, 1, 22, 10}, {2, 3, 40, 5}, {3, 4, 40, 15}});
    DrawField();
    QueueBattleKeys(1);
    MainLoopPass();
    ASSERT_EQ(fieldEnemies.count, 2);
    EXPECT_EQ(fieldEnemies.entries[0].kind, 2);
    EXPECT_EQ(fieldEnemies.entries[0].groupSize, 3);
    // The former entry 1 moved into slot 0 and waits for the next pass.
    EXPECT_EQ(fieldEnemies.entries[0].x, 40);
    EXPECT_EQ(fieldEnemies.entries[0].y, 5);
    // The former entry 2 took its turn in this pass.
    EXPECT_EQ(fieldEnemies.entries[1].kind, 3);
    EXPECT_EQ(fieldEnemies.entries[1].x, 38);
    EXPECT_EQ(fieldEnemies.entries[1].y, 15);
    EXPECT_EQ(hero.fieldX, 20);
    EXPECT_EQ(hero.fieldY, 10);
    ExpectFieldScreen();
    EXPECT_EQ(At(40, 5), "△");
    EXPECT_EQ(At(38, 15), "○");
    EXPECT_EQ(At(40, 15), "  ");
}

TEST_F(EncounterTest, LastEnemyFoughtLeavesAnEmptyMapWhereKeysMoveAtOnce) {
    SetEnemies({{4, 7, 21, 10}});
    DrawField();
    QueueBattleKeys(7);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 0);
    ExpectFieldScreen();
    EXPECT_EQ(At(20, 10), "●");
    headless::RunUntil(0);
    headless::Arrow(kKeyDown, headless::NowMs());
    const auto slept = headless::SleptMs();
    RunScript([] {
        for (int i = 0; i < 10; ++i) MainLoopPass();
    });
    EXPECT_EQ(hero.fieldY, 11);
    EXPECT_EQ(headless::SleptMs(), slept);
}

TEST_F(EncounterTest, RedrawAfterABattleLeavesOutThePieceMarks) {
    worldInfo.queenMark = {5, 31, 6};
    worldInfo.opening = {5, 1, 0};
    DrawPieceMark("Ω"_sj, worldInfo.queenMark);
    EXPECT_EQ(At(30, 5), "Ω");
    SetEnemies({{1, 1, 22, 11}, {2, 1, 50, 18}});
    hero.fieldY = 11;
    DrawField();
    QueueBattleKeys(1);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 1);
    EXPECT_EQ(At(30, 5), "  ");
    EXPECT_EQ(AttrAt(30, 5), 7);
    // The strip the mark opened stays open.
    EXPECT_EQ(Cell(5, 5, 0), ' ');
    EXPECT_EQ(Row(0, 10, 49), std::string(49, '#'));
    EXPECT_EQ(At(hero.fieldX, hero.fieldY), "●");
    EXPECT_EQ(Row(21, 0, 3), "＞+");
}

TEST_F(EncounterTest, RemoveFieldEnemyClosesTheGapAndErasesTheSymbol) {
    SetEnemies({{1, 1, 10, 3}, {2, 2, 12, 4}, {3, 3, 14, 5}, {4, 4, 16, 6}});
    DrawField();
    RemoveFieldEnemy(1);
    EXPECT_EQ(fieldEnemies.count, 3);
    EXPECT_EQ(At(12, 4), "  ");
    EXPECT_EQ(fieldEnemies.entries[1].kind, 3);
    EXPECT_EQ(fieldEnemies.entries[2].kind, 4);
    // Out-of-range indexes are refused.
    RemoveFieldEnemy(3);
    RemoveFieldEnemy(-1);
    EXPECT_EQ(fieldEnemies.count, 3);
}

}  // namespace
}  // namespace rf
