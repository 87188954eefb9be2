#include "items/abilities.h"

#include "battle/attack.h"
#include "item_battle_fixture.h"
#include "items/items.h"

namespace rf {
namespace {

using AbilitiesTest = test::ItemBattleTest;

TEST_F(AbilitiesTest, FellingOneOfTwoAgesOnlyTheProteinsAndFellingTheLastNothing) {
    const struct {
        int pawns, result;
        std::int16_t proteinLeft;
    } cases[] = {{2, kEnemyFell, 10}, {1, kVictory, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pawns);
        SetUp();
        Open(c.pawns);
        hero.nextExp = 100000;
        abilityTable.abilities[1].power = 1000;  // the second ability fells
        Acks(2);
        UseItem(kProtein);
        UseItem(kBuckler);
        headless::Arrow(kKeyDown);
        headless::Arrow(kKeyRight);  // strikes as Enter does
        headless::Key(kKeyEnter);    // acknowledges a victory's gain
        EXPECT_EQ(Result([&] { return AbilityCommand(pawn); }), c.result);
        EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, c.proteinLeft);
        EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, 11);
        EXPECT_EQ(battle.actionCount, 1);    // no enemy struck
        EXPECT_EQ(battle.abilityCursor, 0);  // back to the first after a fall
    }
}

}  // namespace
}  // namespace rf
