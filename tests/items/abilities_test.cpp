#include "items/abilities.h"

#include "../battle/battle_fixtures.h"
#include "battle/attack.h"
#include "console/console.h"
#include "items/items.h"

namespace rf {
namespace {

class AbilitiesTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
        pawn.speed = 0;      // the hero's blows always land
        hero.speed = 1000;   // and the enemies' never do
        test::OpenGroup(pawn, 2);
        SeedBattleRandom(1);
    }
    int Run() {
        int r = -1;
        RunScript([&] { r = AbilityCommand(pawn); });
        return r;
    }
    // Makes ability i fell anything and the others harmless.
    void OnlyAbilityFells(int i) {
        for (auto& a : abilityTable.abilities) a.power = 0;
        abilityTable.abilities[i].power = 1000;
    }
    EnemyStatus pawn;
};

TEST_F(AbilitiesTest, LevelRule) {
    EXPECT_EQ(AvailableAbilities(1), 2);
    EXPECT_EQ(AvailableAbilities(11), 2);
    EXPECT_EQ(AvailableAbilities(12), 3);
    EXPECT_EQ(AvailableAbilities(17), 3);
    EXPECT_EQ(AvailableAbilities(18), 4);
    EXPECT_EQ(AvailableAbilities(24), 4);
    EXPECT_EQ(AvailableAbilities(25), 5);
    EXPECT_EQ(AvailableAbilities(99), 5);
}

TEST_F(AbilitiesTest, SpaceReturnsZeroAndLeftReturnsOneBothErasingTheMenu) {
    headless::Arrow(kKeyDown);
    headless::Key(kKeySpace);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(battle.abilityCursor, 0);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));
    EXPECT_EQ(Row(4, 54, 20), std::string(20, ' '));
    headless::Reset();
    headless::Arrow(kKeyDown);
    headless::Arrow(kKeyLeft);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(battle.abilityCursor, 0);
    EXPECT_EQ(Row(2, 54, 20), std::string(20, ' '));
}

TEST_F(AbilitiesTest, MenuOpensWithTheRowsTheLevelAllows) {
    hero.level = 11;
    Run();
    EXPECT_EQ(Row(0, 54, 20), "______Ability_______");
    EXPECT_EQ(Row(2, 62, 8), "SwordCut");
    EXPECT_EQ(Row(4, 60, 5), "Flame");
    EXPECT_EQ(Row(6, 54, 20), std::string(20, ' '));
    EXPECT_EQ(AttrAt(55, 2), 15);
    headless::Reset();
    hero.level = 25;
    Run();
    EXPECT_EQ(Row(10, 60, 17), "AbsoluteObedience");
}

TEST_F(AbilitiesTest, DownStopsAtTheLastAllowedRow) {
    hero.level = 11;
    for (int i = 0; i < 3; ++i) headless::Arrow(kKeyDown);
    Run();
    EXPECT_EQ(battle.abilityCursor, 1);
    headless::Reset();
    battle.abilityCursor = 0;
    hero.level = 18;
    for (int i = 0; i < 5; ++i) headless::Key('P');  // P is the down arrow's code
    Run();
    EXPECT_EQ(battle.abilityCursor, 3);
}

TEST_F(AbilitiesTest, StrikesWithTheSelectedAbility) {
    hero.level = 25;
    OnlyAbilityFells(4);
    for (int i = 0; i < 4; ++i) headless::Arrow(kKeyDown);
    headless::Key(kKeyEnter);
    EXPECT_EQ(Run(), kEnemyFell);
    EXPECT_EQ(battle.defeated[0], 1);
    EXPECT_EQ(battle.abilityCursor, 0);  // a fall resets the selection
}

TEST_F(AbilitiesTest, TwoStrikesEachWithTheEnemiesTurnAndTwoAgingSteps) {
    OnlyAbilityFells(4);  // SwordCut does no harm
    headless::Key(kKeyEnter);
    UseItem(kItemProtein);  // one ack queued below for its message
    headless::Reset();
    battle.itemsUsed = 0;
    headless::Key(kKeyEnter);  // strike
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter});  // the hit, two enemy blows
    headless::Key(kKeyRight);  // strike again
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter});
    EXPECT_EQ(Run(), -1);  // still in the menu
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.actionCount, 6);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 7);
    EXPECT_EQ(Row(0, 54, 20), "______Ability_______");
}

TEST_F(AbilitiesTest, FellingOneOfTwoAgesOnlyTheProteins) {
    OnlyAbilityFells(0);
    headless::Keys({kKeyEnter, kKeyEnter});
    UseItem(kItemProtein);
    UseItem(kItemBuckler);
    headless::Reset();
    headless::Key(kKeyEnter);
    EXPECT_EQ(Run(), kEnemyFell);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 10);
    EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, 11);
    EXPECT_EQ(battle.actionCount, 1);  // no enemy struck
    EXPECT_EQ(Row(2, 62, 8), "SwordCut");  // left for target selection to blank
}

TEST_F(AbilitiesTest, FellingTheLastAgesNothing) {
    OnlyAbilityFells(0);
    test::OpenGroup(pawn, 1);
    hero.nextExp = 100000;
    headless::Keys({kKeyEnter, kKeyEnter});
    UseItem(kItemBuckler);
    headless::Reset();
    headless::Keys({kKeyEnter, kKeyEnter});  // strike, acknowledge the gain
    EXPECT_EQ(Run(), kVictory);
    EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, 11);
}

TEST_F(AbilitiesTest, HeroFallingReturnsFour) {
    OnlyAbilityFells(4);
    hero.speed = 0;
    pawn.speed = 100;
    pawn.attack = 100;
    hero.hp = 1;
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter});  // strike, the hit, the fall
    EXPECT_EQ(Run(), kHeroFell);
    EXPECT_EQ(hero.hp, 0);
}

}  // namespace
}  // namespace rf
