#include "items/abilities.h"

#include "item_battle_fixture.h"
#include "battle/attack.h"
#include "console/console.h"
#include "items/items.h"

namespace rf {
namespace {

class AbilitiesTest : public test::ItemBattleTest {
protected:
    void SetUp() override {
        ItemBattleTest::SetUp();
        Open(2);
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
};

TEST_F(AbilitiesTest, LevelRule) {
    const int table[][2] = {{1, 2}, {11, 2}, {12, 3}, {17, 3}, {18, 4}, {24, 4}, {25, 5}, {99, 5}};
    for (const auto& row : table) EXPECT_EQ(AvailableAbilities(row[0]), row[1]) << row[0];
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

}  // namespace
}  // namespace rf
