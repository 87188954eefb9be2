// Enemy turns on the field, encounters and the main loop.
#include "field/field_enemies.h"

#include <array>

#include "console/console.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field_support.h"

namespace rf {
namespace {

class FieldEnemiesTest : public test::FieldTest {
protected:
    int Turn(int i) { return EnemyTurn(Of(i).kind, Of(i).x, Of(i).y, Of(i).groupSize); }
    std::string Pos(int i) { return std::to_string(Of(i).x) + "," + std::to_string(Of(i).y); }
    FieldEnemy& Of(int i) { return fieldEnemies.entries[i]; }
};

// The hero stands at (20, 10) of map 5.
TEST_F(FieldEnemiesTest, ChaseRuleWithBlockedSteps) {
    const struct {
        int kind, x, y, wallX, wallY;
        const char* after;
        std::int64_t slept;
        const char* drawn;  // at the enemy's cell afterwards
    } cases[] = {
        {65540, 30, 10, 0, 0, "28,10", 130, "□"},  // dx 10, dy 0: one step left; the kind taken as 16 bits
        {4, 30, 16, 0, 0, "28,15", 260, "□"},      // dx 10, dy 6: left, then up
        {0, 30, 14, 0, 0, "28,14", 130, "△"},      // dy 4: left only; kind 0 walks as a Knight
        {7, 20, 14, 0, 0, "20,13", 130, "□"},      // dx 0: up; kind 7 as a Rook
        {1, 21, 11, 0, 0, "19,11", 130, "◎"},      // one column off: crosses over...
        {1, 19, 11, 0, 0, "21,11", 130, "◎"},      // ...and back
        {1, 30, 16, 29, 16, "30,14", 260, "◎"},    // left blocked: up instead
        {1, 22, 16, 20, 15, "18,16", 260, "◎"},    // up blocked: left again
        {2, 0, 0, 1, 0, "0,0", 260, " #"},         // an empty entry neither moves nor blanks the top-left
    };
    hero.mapNumber = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        headless::Reset();
        Cell(5, 29, 16) = Cell(5, 20, 15) = ' ';
        if (c.wallX) Wall(5, c.wallX, c.wallY);
        SetEnemies({{c.kind, 1, c.x, c.y}});
        DrawField();
        EXPECT_EQ(Turn(0), kTurnDone);
        EXPECT_EQ(Pos(0), c.after);
        EXPECT_EQ(headless::SleptMs(), c.slept);
        EXPECT_EQ(At(Of(0).x, Of(0).y), c.drawn);
    }
}

// An enemy's or the hero's old cells show what is there without it.
TEST_F(FieldEnemiesTest, OldCellsShowWhatTheFieldHolds) {
    const struct {
        const char* what;
        std::initializer_list<FieldEnemy> enemies;
        int heroX, heroY, mover;  // mover -1: the hero steps left
        int x, y;                 // the old cells, checked afterwards
        const char* shown;
    } cases[] = {
        // Left blocked, it steps down off the right half of ■ and the # beside it.
        {"a wall half under it", {{1, 1, 30, 10}}, 20, 11, 0, 29, 10, "■# "},
        {"another enemy", {{1, 1, 28, 10}, {4, 1, 28, 10}}, 10, 10, 1, 28, 10, "◎"},
        {"an enemy under the hero", {{1, 1, 30, 11}}, 30, 11, -1, 30, 11, "◎"},
        {"the Queen's mark under the hero", {}, 30, 5, -1, 30, 5, "Ω"},
    };
    hero.mapNumber = 5;
    worldInfo.queenMark = {5, 31, 6};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        headless::Reset();
        Cell(5, 29, 10) = 0x81, Cell(5, 30, 10) = 0xA1, Cell(5, 31, 10) = '#';  // ■ then #
        SetEnemies(c.enemies);
        hero.fieldX = static_cast<std::int16_t>(c.heroX), hero.fieldY = static_cast<std::int16_t>(c.heroY);
        DrawField();
        DrawCurrentPieceMark();
        DrawSymbolAt("●"_sj, hero.fieldX, hero.fieldY);  // the hero on top, as after walking there
        if (c.mover < 0) MoveHero(kKeyLeft);
        else Turn(c.mover);
        EXPECT_EQ(At(c.x, c.y, static_cast<int>(test::ToCp932(c.shown).size())), c.shown);
    }
    EXPECT_EQ(AttrAt(30, 5), 15);
}

TEST_F(FieldEnemiesTest, MapChangeDuringAWaitEndsTheTurn) {
    hero.fieldX = 57;
    EnemyList(2, "1\n3 2 30 10\n");
    SetEnemies({{4, 1, 40, 10}});
    DrawField();
    headless::Key(kKeyRight, 50);
    EXPECT_EQ(Turn(0), kTurnDone);
    ASSERT_EQ(fieldEnemies.count, 1);
    // Map 2's Bishop stays where its file puts it.
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
        for (EnemyStatus& e : enemyTable.kinds) e.maxHp = e.attack = e.defence = e.magicDefence = 1;
        for (int x = 0; x < 60; ++x) Wall(5, x, 0);  // tells a redraw from what was there
        headless::RunUntil(600'000);
    }
    // Per foe: fight, target, strike; then experience and victory, and one
    // more for the field's own poll before the turn.
    void QueueBattleKeys(int groupSize) {
        for (int i = 0; i < 3 * groupSize + 3; ++i) headless::Key(kKeyEnter);
    }
    void ExpectFieldScreen() {
        EXPECT_EQ(Row(0, 10, 49) + Row(3, 69, 3) + Row(21, 0, 3) + At(20, 10), std::string(49, '#') + "_|_＞+●");
    }
};

TEST_F(EncounterTest, ContactAtZeroColumnsNotTwoAndTheFirstOfThreeFought) {
    SetEnemies({{1, 1, 24, 10}, {2, 3, 40, 5}, {3, 4, 40, 15}});
    DrawField();
    MainLoopPass();
    ASSERT_EQ(fieldEnemies.count, 3);  // two columns apart after its step
    QueueBattleKeys(1);
    MainLoopPass();
    ASSERT_EQ(fieldEnemies.count, 2);
    const FieldEnemy* e = fieldEnemies.entries;
    // The former entry 1 waits in slot 0; the new entry 1 took its turn.
    EXPECT_EQ((std::array{e[0].kind, e[0].x, e[0].y, e[1].kind, e[1].x, e[1].y}), (std::array{2, 38, 5, 3, 36, 15}));
    EXPECT_EQ(At(38, 5) + At(36, 15) + At(38, 15), "△○  ");
}

// The redraw after a battle brings back a mark that was on the screen; one
// never shown (a start map's) stays off, and a mover crossing its cell does
// not show it.
TEST_F(EncounterTest, LastEnemyFoughtAndTheRedrawShowsOnlyAMarkThatWasShown) {
    for (bool shown : {true, false}) {
        SetUp();
        worldInfo.queenMark = {5, 31, 6}, worldInfo.opening = {5, 1, 0};
        if (shown) DrawCurrentPieceMark();
        SetEnemies({{4, 7, 21, 10}});
        QueueBattleKeys(7);
        MainLoopPass();
        EXPECT_EQ(fieldEnemies.count, 0);
        ExpectFieldScreen();
        RestoreFieldCells(29, 5, 4);
        EXPECT_EQ(At(30, 5) + std::to_string(AttrAt(30, 5)), shown ? "Ω15" : "  7");
        EXPECT_EQ(Cell(5, 5, 0), shown ? ' ' : Cell(5, 5, 0));  // the strip stays as it was
    }
}

// Keys typed during the wipes and the opening were meant for walking: Down
// Down Right Right there would have used a potion at full hit points.
TEST_F(EncounterTest, KeysTypedBeforeTheBattleScreenStandsAreDropped) {
    SetEnemies({{1, 1, 22, 10}});
    hero.items[kPotion] = {1, 3};
    for (std::int64_t at : {130, 900, 1900})
        for (int scan : {kKeyDown, kKeyDown, kKeyRight, kKeyRight}) headless::Arrow(scan, at);
    QueueBattleKeys(1);
    MainLoopPass();
    EXPECT_EQ(fieldEnemies.count, 0);
    EXPECT_EQ(hero.items[kPotion].count, 3);
    EXPECT_EQ(headless::KeysLeft(), 1u);  // the field's own poll
    ExpectFieldScreen();
}

}  // namespace
}  // namespace rf
