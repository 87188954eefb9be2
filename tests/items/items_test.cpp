#include "items/items.h"

#include <algorithm>
#include <string>
#include <vector>

#include "item_battle_fixture.h"
#include "battle/attack.h"
#include "battle/battle_state.h"
#include "console/console.h"
#include "console/message_window.h"

namespace rf {
namespace {

class ItemsTest : public test::ItemBattleTest {
protected:
    void SetUp() override {
        ItemBattleTest::SetUp();
        Open(1);
    }
    std::string Line(int n) {
        std::string row = Row(12 + n, 27, 51);
        return row.substr(0, row.find_last_not_of(' ') + 1);
    }
    void Acks(int n) {
        for (int i = 0; i < n; ++i) headless::Key(kKeyEnter);
    }
    int RunItemCommand() {
        int r = -1;
        RunScript([&] { r = ItemCommand(pawn); });
        return r;
    }
};

TEST_F(ItemsTest, PotionHealsUpToFullAndCountDrops) {
    struct Case { std::int16_t hp; const char* message; };
    const Case cases[] = {{95, "Heroの体力が5回復しました。"}, {100, "Heroの体力が0回復しました。"}};
    std::int16_t count = hero.items[kPotion].count;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hp);
        hero.hp = c.hp;
        Acks(1);
        UseItem(kItemPotion);
        EXPECT_EQ(hero.hp, 100);
        EXPECT_EQ(hero.items[kPotion].count, --count);
        EXPECT_EQ(Line(1), c.message);
    }
}

TEST_F(ItemsTest, ThreeProteinsEndTwoStepsApartInTheOrderStarted) {
    hero.attack = 30;
    Acks(3);
    UseItem(kItemProtein);
    AgeItemEffects();
    AgeItemEffects();
    UseItem(kItemProtein);
    AgeItemEffects();
    AgeItemEffects();
    UseItem(kItemProtein);
    EXPECT_EQ(hero.attack, 45);
    EXPECT_EQ(Row(16, 1, 2), "SA");
    EXPECT_EQ(Row(17, 1, 2), "SA");
    EXPECT_EQ(Row(18, 1, 2), "SA");
    EXPECT_EQ(itemEffects.activeEffects, 3);
    // The first has 7 steps left, the second 9, the third 11; each ending waits once.
    Acks(3);
    int endedAt[3] = {0, 0, 0};
    for (int step = 1; step <= 11; ++step) {
        AgeItemEffects();
        for (int s = 0; s < 3; ++s) {
            if (endedAt[s] == 0 && itemEffects.proteinSlots[s].turnsLeft == -1) {
                endedAt[s] = step;
                EXPECT_EQ(Line(1), "プロテインの効果が切れました。");
                EXPECT_EQ(headless::KeysLeft(), static_cast<std::size_t>(2 - s));
            }
        }
    }
    EXPECT_EQ(endedAt[0], 7);
    EXPECT_EQ(endedAt[1], 9);
    EXPECT_EQ(endedAt[2], 11);
    EXPECT_EQ(hero.attack, 30);
    EXPECT_EQ(itemEffects.activeEffects, 0);
}

TEST_F(ItemsTest, LeavingWithSpaceOrLeftTakesNoTurn) {
    for (int key : {kKeySpace, kKeyLeft}) {
        headless::Reset();
        battle.itemCursor = 0;
        headless::Arrow(kKeyDown);
        headless::Key(key);
        EXPECT_EQ(RunItemCommand(), 0);
        EXPECT_EQ(battle.actionCount, 0);
        EXPECT_EQ(battle.itemCursor, 0);
        EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));
        EXPECT_EQ(Row(2, 54, 20), std::string(20, ' '));
        EXPECT_EQ(Row(10, 54, 20), std::string(20, ' '));
    }
}

TEST_F(ItemsTest, EmptyOrNegativeCountIsRefusedWithoutATurn) {
    for (std::int16_t count : {std::int16_t{0}, std::int16_t{-1}}) {
        headless::Reset();
        hero.items[kPotion].count = count;
        headless::Key(kKeyEnter);
        Acks(1);
        headless::Key(kKeySpace);
        EXPECT_EQ(RunItemCommand(), 0);
        EXPECT_EQ(hero.items[kPotion].count, count);
        EXPECT_EQ(battle.actionCount, 0);
        EXPECT_EQ(battle.itemsUsed, 0);
        EXPECT_EQ(messageWindow.history[0], "そのアイテムは持っていません。"_sj);
    }
}

TEST_F(ItemsTest, FourthEffectRefusedWhilePotionStillAccepted) {
    hero.items[kProtein].count = 5;
    Acks(3);
    UseItem(kItemProtein);
    UseItem(kItemProtein);
    UseItem(kItemBuckler);
    ASSERT_EQ(itemEffects.activeEffects, 3);
    EXPECT_EQ(Row(16, 1, 2) + Row(17, 1, 2) + Row(18, 1, 2), "SASASD");
    headless::Reset();
    headless::Arrow(kKeyDown);
    headless::Key(kKeyEnter);  // a fourth protein
    Acks(1);
    headless::Arrow(kKeyDown);
    headless::Key(kKeyEnter);  // a buckler
    Acks(1);
    headless::Arrow(kKeyUp);
    headless::Arrow(kKeyUp);
    headless::Key(kKeyEnter);  // the potion
    Acks(2);
    headless::Key(kKeySpace);
    battle.itemsUsed = 0;
    std::vector<std::string> shown;
    headless::SetKeyObserver([&] { shown.push_back(messageWindow.history[0]); });
    EXPECT_EQ(RunItemCommand(), 0);
    const std::string refusal(std::string("アイテムは同時に３つまでしか使えません。"_sj));
    EXPECT_NE(std::find(shown.begin(), shown.end(), refusal), shown.end());
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.items[kProtein].count, 3);
    EXPECT_EQ(hero.items[kBuckler].count, 2);
    EXPECT_EQ(hero.items[kPotion].count, 2);
    EXPECT_EQ(battle.itemsUsed, 1);
    EXPECT_EQ(Line(1), "");
}

TEST_F(ItemsTest, EffectsCarryOverIntoTheNextBattle) {
    const std::int16_t attack = hero.attack;
    Acks(1);
    UseItem(kItemProtein);
    AgeItemEffects();
    const ItemEffectState running = itemEffects;
    ResetBattleState();  // the battle ends; the effect runs on
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, running.proteinSlots[0].turnsLeft);
    EXPECT_EQ(itemEffects.activeEffects, 1);
    EXPECT_EQ(hero.attack, attack + 5);
    // The next battle ages it on, and its end takes the bonus off.
    for (int i = 0; i < 9; ++i) AgeItemEffects();
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 1);
    Acks(1);
    AgeItemEffects();
    EXPECT_EQ(itemEffects.activeEffects, 0);
    EXPECT_EQ(hero.attack, attack);
    EXPECT_EQ(Line(1), "プロテインの効果が切れました。");
}

}  // namespace
}  // namespace rf
