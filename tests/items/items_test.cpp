#include "items/items.h"

#include "console/message_window.h"
#include "item_battle_fixture.h"

namespace rf {
namespace {

using ItemsTest = test::ItemBattleTest;

TEST_F(ItemsTest, PotionHealsUpToFullAndCountDropsEvenAtFull) {
    for (int hp : {95, 100}) {
        hero.hp = static_cast<std::int16_t>(hp);
        Acks(1);
        UseItem(kPotion);
        EXPECT_EQ(hero.hp, 100);
        EXPECT_EQ(messageWindow.history[0],
                  test::ToCp932("Heroの体力が" + std::to_string(100 - hp) + "回復しました。"));
    }
    EXPECT_EQ(hero.items[kPotion].count, 1);
}

TEST_F(ItemsTest, ThreeProteinsEndTwoStepsApartEachWaitingOnce) {
    hero.attack = 30;
    Acks(6);  // three starts, three endings
    for (int i = 0; i < 3; ++i) {
        UseItem(kProtein);
        AgeItemEffects();
        AgeItemEffects();
    }
    EXPECT_EQ(Marks(), "SASASA");
    // Left with 5, 7 and 9 steps.
    const int endsAt[3] = {5, 7, 9};
    for (int s = 0, step = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        for (; step < endsAt[s]; ++step) AgeItemEffects();
        EXPECT_EQ(itemEffects.proteinSlots[s].turnsLeft, -1);
        EXPECT_EQ(messageWindow.history[0], "プロテインの効果が切れました。"_sj);
        EXPECT_EQ(headless::KeysLeft(), static_cast<std::size_t>(2 - s));
    }
    EXPECT_EQ(hero.attack, 30);
    EXPECT_EQ(itemEffects.activeEffects, 0);
}

TEST_F(ItemsTest, NoneLeftIsRefusedAndLeavingWithSpaceOrLeftTakesNoTurn) {
    // A count below 0 counts as none.
    const struct {
        std::int16_t count;
        int key;
    } cases[] = {{0, kKeySpace}, {-1, kKeyLeft}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        headless::Reset();
        hero.items[kPotion].count = c.count;
        headless::Keys({kKeyEnter, kKeyEnter});
        headless::Arrow(kKeyDown);
        headless::Key(c.key);
        EXPECT_EQ(Result([&] { return ItemCommand(pawn); }), 0);
        EXPECT_EQ(hero.items[kPotion].count, c.count);
        EXPECT_EQ(battle.actionCount, 0);
        EXPECT_EQ(battle.itemCursor, 0);
        EXPECT_EQ(messageWindow.history[0], "そのアイテムは持っていません。"_sj);
        EXPECT_EQ(Row(2, 54, 20), std::string(20, ' '));
    }
}

TEST_F(ItemsTest, FourthEffectRefusedWhilePotionStillAccepted) {
    Acks(3);
    UseItem(kProtein);
    UseItem(kProtein);
    UseItem(kBuckler);
    EXPECT_EQ(Marks(), "SASASD");
    headless::Arrow(kKeyDown);
    headless::Keys({kKeyEnter, kKeyEnter});  // a fourth protein, refused
    headless::Arrow(kKeyUp);
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter, kKeySpace});  // the potion
    battle.itemsUsed = 0;
    bool refused = false;
    headless::SetKeyObserver(
        [&] { refused |= messageWindow.history[0] == "アイテムは同時に３つまでしか使えません。"_sj; });
    EXPECT_EQ(Result([&] { return ItemCommand(pawn); }), 0);
    EXPECT_TRUE(refused);
    EXPECT_EQ(hero.items[kProtein].count, 1);
    EXPECT_EQ(hero.items[kPotion].count, 2);
}

}  // namespace
}  // namespace rf
