#include "battle/target_selection.h"

#include "battle/attack.h"
#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"
#include "console/console.h"

namespace rf {
namespace {

class TargetSelectionTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
        pawn.speed = 0;
        hero.speed = 1000;
        SeedBattleRandom(1);
    }
    void Group(int n, std::initializer_list<int> fallen = {}) {
        test::OpenGroup(pawn, n);
        for (int t : fallen) {
            battle.defeated[t - 1] = 1;
            --battle.remaining;
            ++battle.defeatedCount;
        }
        DrawFormation(pawn, n);
    }
    int Up(int from) {
        pawn.target = static_cast<std::int16_t>(from);
        return MoveTargetUp(pawn) ? pawn.target : 0;
    }
    int Down(int from) {
        pawn.target = static_cast<std::int16_t>(from);
        return MoveTargetDown(pawn) ? pawn.target : 0;
    }
    int Select() {
        int r = -1;
        RunScript([&] { r = SelectTarget(pawn); });
        return r;
    }
    std::uint16_t SymbolAttr(int t) {
        FormationCell c = FormationCellOf(GroupSize(), t);
        return AttrAt(25 + c.column, c.row);
    }
    EnemyStatus pawn;
};

TEST_F(TargetSelectionTest, RowMovesForFiveEnemies) {
    Group(5);
    EXPECT_EQ(Down(3), 5);
    EXPECT_EQ(Up(3), 1);
    EXPECT_EQ(Up(4), 3);
    EXPECT_EQ(Up(5), 3);
    EXPECT_EQ(Down(1), 3);
    EXPECT_EQ(Down(2), 3);
    EXPECT_EQ(Down(4), 0);
    EXPECT_EQ(Up(1), 0);
    EXPECT_EQ(pawn.target, 1);  // no move changes nothing
    Group(5, {3});
    EXPECT_EQ(Up(4), 0);
    EXPECT_EQ(pawn.target, 4);
}

TEST_F(TargetSelectionTest, RowMovesForOtherSizes) {
    Group(1);
    EXPECT_EQ(Down(1), 0);
    Group(2);
    EXPECT_EQ(Down(1), 0);
    EXPECT_EQ(Up(2), 0);
    Group(3);
    EXPECT_EQ(Up(3), 1);
    EXPECT_EQ(Down(2), 3);
    Group(4);
    EXPECT_EQ(Up(4), 2);
    EXPECT_EQ(Down(1), 3);
    Group(6);
    EXPECT_EQ(Up(6), 3);
    EXPECT_EQ(Down(2), 5);
    Group(7);
    EXPECT_EQ(Down(4), 0);
    EXPECT_EQ(Down(3), 7);
    EXPECT_EQ(Up(5), 1);
    EXPECT_EQ(Up(7), 3);
    Group(7, {6});
    EXPECT_EQ(Down(2), 0);  // the move never searches further
}

TEST_F(TargetSelectionTest, MoveDrawsTheOldTargetPlain) {
    Group(5);
    pawn.target = 1;
    HighlightTarget(pawn, 5);
    EXPECT_EQ(SymbolAttr(1), 15);
    MoveTargetDown(pawn);
    EXPECT_EQ(SymbolAttr(1), 7);
}

TEST_F(TargetSelectionTest, OpeningHighlightsTheTargetAndSlidesTheBanners) {
    Group(3);
    Select();
    EXPECT_EQ(SymbolAttr(1), 15);
    EXPECT_EQ(SymbolAttr(2), 7);
    EXPECT_EQ(Row(7, 24, 26), "＜　対　象　の　選　択　＞");
    EXPECT_EQ(Row(7, 50, 26), std::string(26, ' '));
    EXPECT_EQ(Row(9, 34, 6), "ポーン");
}

TEST_F(TargetSelectionTest, LeftAndRightStepOverTheFallen) {
    Group(3, {2});
    headless::Arrow(kKeyRight);
    Select();
    EXPECT_EQ(pawn.target, 3);
    EXPECT_EQ(SymbolAttr(3), 15);
    EXPECT_EQ(SymbolAttr(1), 7);
    headless::Reset();
    headless::Arrow(kKeyLeft);
    Select();
    EXPECT_EQ(pawn.target, 1);
    headless::Reset();
    headless::Arrow(kKeyLeft);  // nothing lower than 1
    Select();
    EXPECT_EQ(pawn.target, 1);
}

TEST_F(TargetSelectionTest, RightCrossesTheRowsOfSeven) {
    Group(7, {5});
    pawn.target = 4;
    headless::Arrow(kKeyDown);   // nothing below 4
    headless::Arrow(kKeyRight);  // 5 has fallen: 6
    Select();
    EXPECT_EQ(pawn.target, 6);
    headless::Reset();
    headless::Arrow(kKeyRight);
    headless::Arrow(kKeyRight);  // 7 is the last
    Select();
    EXPECT_EQ(pawn.target, 7);
    headless::Reset();
    headless::Key('H');  // up, as the arrow
    Select();
    EXPECT_EQ(pawn.target, 3);
}

TEST_F(TargetSelectionTest, SpaceGoesBackWithTargetOne) {
    Group(5, {1});
    pawn.target = 3;
    headless::Arrow(kKeyDown);
    headless::Key(kKeySpace);
    EXPECT_EQ(Select(), 0);
    EXPECT_EQ(pawn.target, 1);
    EXPECT_EQ(SymbolAttr(5), 7);
    EXPECT_EQ(Row(7, 25, 26), std::string(26, ' '));
    EXPECT_EQ(Row(9, 34, 6), "　　　");  // the banner's name is gone
    // Enemy 1 has fallen: the next selection starts on the first standing after it.
    Select();
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 15);
}

TEST_F(TargetSelectionTest, NoStandingEnemyAfterTheTargetHighlightsNothing) {
    Group(3, {2, 3});
    pawn.target = 3;
    Select();
    EXPECT_EQ(pawn.target, 3);
    EXPECT_EQ(SymbolAttr(1), 7);
}

TEST_F(TargetSelectionTest, AbilityMenuLeftKeepsTheTargetAndSpaceGoesBack) {
    Group(3);
    pawn.target = 2;
    headless::Key(kKeyEnter);
    headless::Arrow(kKeyLeft);  // out of the ability menu, still choosing
    Select();
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 15);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));
    headless::Reset();
    headless::Key(kKeyEnter);
    headless::Key(kKeySpace);  // out of the menu and of target selection
    EXPECT_EQ(Select(), 0);
    EXPECT_EQ(pawn.target, 1);
}

TEST_F(TargetSelectionTest, FellingTheTargetEndsSelectionAndAimsAtTheNext) {
    Group(3);
    for (auto& a : abilityTable.abilities) a.power = 1000;
    headless::Keys({kKeyEnter, kKeyEnter});
    EXPECT_EQ(Select(), 0);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.defeated[0], 1);
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 7);  // not highlighted until selection begins again
    for (int row = 0; row <= 10; ++row) EXPECT_EQ(Row(row, 54, 20), std::string(20, ' ')) << row;
    EXPECT_EQ(Row(7, 25, 26), std::string(26, ' '));
}

TEST_F(TargetSelectionTest, VictoryAndDefeatPassThrough) {
    Group(1);
    for (auto& a : abilityTable.abilities) a.power = 1000;
    hero.nextExp = 100000;
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter});
    EXPECT_EQ(Select(), kVictory);
    ResetGameState();
    headless::Reset();
    test::SetUpHero();
    test::SetUpAbilities();
    pawn = test::MakePawn();
    Group(1);
    hero.hp = 1;
    pawn.attack = 100;
    pawn.speed = 100;
    hero.speed = 0;
    abilityTable.abilities[0].power = 0;
    pawn.defence = 1000;  // the hero's blow cannot fell it
    SeedBattleRandom(4);
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter, kKeyEnter});
    EXPECT_EQ(Select(), kHeroFell);
}

}  // namespace
}  // namespace rf
