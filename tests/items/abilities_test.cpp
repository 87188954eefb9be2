#include "items/abilities.h"

#include "item_battle_fixture.h"
#include "battle/attack.h"
#include "items/items.h"

namespace rf {
namespace {

class AbilitiesTest : public test::ItemBattleTest {
protected:
    int Run() { return Result([&] { return AbilityCommand(pawn); }); }
    // Only ability i fells anything; the given items are running, and the turn is fresh.
    void Prepare(int i, std::initializer_list<int> items) {
        for (auto& a : abilityTable.abilities) a.power = 0;
        abilityTable.abilities[i].power = 1000;
        Acks(static_cast<int>(items.size()));
        for (int kind : items) UseItem(kind);
        headless::Reset();
        battle.itemsUsed = 0;
    }
};

TEST_F(AbilitiesTest, TwoStrikesEachWithTheEnemiesTurnAndTwoAgingSteps) {
    Open(2);
    Prepare(4, {kItemProtein});  // SwordCut does no harm
    // Strike, acknowledge the hit and two enemy blows; strike again with Right.
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter, kKeyEnter, kKeyRight, kKeyEnter, kKeyEnter, kKeyEnter});
    EXPECT_EQ(Run(), -1);  // every key used, still in the menu
    EXPECT_EQ(battle.actionCount, 6);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 7);
}

TEST_F(AbilitiesTest, FellingOneOfTwoAgesOnlyTheProteinsAndFellingTheLastNothing) {
    const struct { int pawns, result; std::int16_t proteinLeft; } cases[] = {{2, kEnemyFell, 10}, {1, kVictory, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pawns);
        SetUp();
        Open(c.pawns);
        hero.nextExp = 100000;
        Prepare(0, {kItemProtein, kItemBuckler});
        headless::Keys({kKeyEnter, kKeyEnter});  // strike; acknowledge a victory's gain
        EXPECT_EQ(Run(), c.result);
        EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, c.proteinLeft);
        EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, 11);
        EXPECT_EQ(battle.actionCount, 1);  // no enemy struck
    }
}

}  // namespace
}  // namespace rf
