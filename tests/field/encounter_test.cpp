// Encounters and the main loop. Every battle ends with the first blow and
// its keys are queued, so the tests hold whatever battle runs behind RunBattle.
#include <array>
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
        std::strcpy(hero.name, "Hero");
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
    void QueueBattleKeys(int groupSize) {
        for (int i = 0; i < 3 * groupSize + 3; ++i) headless::Key(kKeyEnter);
    }
    void ExpectFieldScreen() {
        EXPECT_EQ(Row(0, 0, 59), std::string(59, '#'));
        EXPECT_EQ(Row(3, 69, 3) + Row(21, 0, 3), "_|_＞+");
        EXPECT_EQ(At(hero.fieldX, hero.fieldY), "●");
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

TEST_F(EncounterTest, LastEnemyFought) {
    SetEnemies({{4, 7, 21, 10}});
    QueueBattleKeys(7);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 0);
    ExpectFieldScreen();
}

TEST_F(EncounterTest, RedrawAfterABattleLeavesOutThePieceMarks) {
    worldInfo.queenMark = {5, 31, 6}, worldInfo.opening = {5, 1, 0};
    DrawPieceMark("Ω"_sj, worldInfo.queenMark);
    SetEnemies({{1, 1, 22, 10}, {2, 1, 50, 18}});
    DrawField();
    QueueBattleKeys(1);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 1);
    EXPECT_EQ(At(30, 5), "  ");
    EXPECT_EQ(Cell(5, 5, 0), ' ');  // the strip stays open
    EXPECT_EQ(Row(0, 10, 49), std::string(49, '#'));
}

}  // namespace
}  // namespace rf
