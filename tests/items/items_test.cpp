#include "items/items.h"

#include "../battle/battle_fixtures.h"
#include "battle/attack.h"
#include "console/console.h"
#include "console/message_window.h"

namespace rf {
namespace {

class ItemsTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
        // The enemy never lands a blow: each of its turns is one message to acknowledge.
        pawn.speed = 0;
        hero.speed = 1000;
        test::OpenGroup(pawn, 1);
        SeedBattleRandom(1);
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
    EnemyStatus pawn;
};

TEST_F(ItemsTest, PotionHealsUpToTwentyAndReports) {
    hero.hp = 95;
    Acks(1);
    UseItem(kItemPotion);
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(hero.items[kPotion].count, 2);
    EXPECT_EQ(battle.itemsUsed, 1);
    EXPECT_EQ(Line(1), "Heroの体力が5回復しました。");

    hero.hp = 10;
    Acks(1);
    UseItem(kItemPotion);
    EXPECT_EQ(hero.hp, 30);
    EXPECT_EQ(Line(1), "Heroの体力が20回復しました。");
}

TEST_F(ItemsTest, PotionAtFullHpIsStillUsed) {
    Acks(1);
    UseItem(kItemPotion);
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(hero.items[kPotion].count, 2);
    EXPECT_EQ(Line(1), "Heroの体力が0回復しました。");
}

TEST_F(ItemsTest, ProteinRaisesAttackAndShowsItsMarkAndBar) {
    hero.attack = 30;
    Acks(1);
    UseItem(kItemProtein);
    EXPECT_EQ(hero.attack, 35);
    EXPECT_EQ(hero.items[kProtein].count, 2);
    EXPECT_EQ(itemEffects.activeEffects, 1);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 11);
    EXPECT_EQ(Row(16, 1, 2), "SA");
    EXPECT_EQ(AttrAt(1, 16), 15);
    EXPECT_EQ(Row(16, 5, 18), std::string(18, '-'));
    EXPECT_EQ(Line(1), "Heroの攻撃力がアップした。");
    EXPECT_EQ(console.attribute, 7);
}

TEST_F(ItemsTest, BucklerRaisesDefenceAndEndsAfterElevenSteps) {
    Acks(2);
    UseItem(kItemBuckler);
    EXPECT_EQ(hero.defence, 15);
    EXPECT_EQ(Row(16, 1, 2), "SD");
    EXPECT_EQ(Line(1), "Heroの防御力がアップした。");
    for (int i = 0; i < 10; ++i) AgeItemEffects();
    EXPECT_EQ(hero.defence, 15);
    EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, 1);
    AgeItemEffects();
    EXPECT_EQ(hero.defence, 10);
    EXPECT_EQ(itemEffects.bucklerSlots[0].turnsLeft, -1);
    EXPECT_EQ(itemEffects.rowInUse[0], 0);
    EXPECT_EQ(itemEffects.activeEffects, 0);
    EXPECT_EQ(Row(16, 1, 2), "  ");
    EXPECT_EQ(Line(1), "バックラーの効果が切れました。");
    EXPECT_EQ(headless::KeysLeft(), 0u);
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

TEST_F(ItemsTest, ProteinMessagesComeBeforeBucklerMessagesInOneStep) {
    Acks(2);
    UseItem(kItemBuckler);
    UseItem(kItemProtein);
    itemEffects.proteinSlots[0].turnsLeft = 1;
    itemEffects.bucklerSlots[0].turnsLeft = 1;
    Acks(2);
    AgeItemEffects();
    EXPECT_EQ(Line(1), "バックラーの効果が切れました。");
    EXPECT_EQ(Line(2), "プロテインの効果が切れました。");
}

TEST_F(ItemsTest, FreedRowIsTakenByTheNextEffect) {
    Acks(3);
    UseItem(kItemProtein);
    UseItem(kItemBuckler);
    itemEffects.proteinSlots[0].turnsLeft = 0;
    EndProteinEffect();
    EXPECT_EQ(itemEffects.rowInUse[0], 0);
    UseItem(kItemBuckler);
    EXPECT_EQ(itemEffects.bucklerSlots[1].row, 0);
    EXPECT_EQ(Row(16, 1, 2), "SD");
    EXPECT_EQ(Row(17, 1, 2), "SD");
}

TEST_F(ItemsTest, MenuOpensWithTheCountLine) {
    RunItemCommand();
    EXPECT_EQ(Row(0, 54, 20), "________Item________");
    EXPECT_EQ(Row(2, 54, 20), " ＜  ポーション  ＞ ");
    EXPECT_EQ(Row(4, 59, 10), "プロテイン");
    EXPECT_EQ(Row(6, 59, 10), "バックラー");
    EXPECT_EQ(Row(10, 55, 2), "＜");
    EXPECT_EQ(Row(10, 62, 2), "×");
    EXPECT_EQ(Row(10, 65, 1), "3");
    EXPECT_EQ(Row(10, 71, 2), "＞");
    EXPECT_EQ(AttrAt(55, 2), 15);
    EXPECT_EQ(AttrAt(55, 4), 7);
    EXPECT_EQ(AttrAt(65, 10), 15);
    EXPECT_EQ(AttrAt(55, 10), 7);
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

TEST_F(ItemsTest, UseTakesATurnWithTheEnemiesAndTwoAgingSteps) {
    Acks(0);
    headless::Arrow(kKeyDown);  // protein
    headless::Key(kKeyEnter);
    Acks(2);  // the use, the enemy's blow
    headless::Key(kKeySpace);
    EXPECT_EQ(RunItemCommand(), 0);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.actionCount, 2);  // the use and the enemy's blow
    EXPECT_EQ(battle.itemsUsed, 1);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 9);
    EXPECT_EQ(hero.items[kProtein].count, 2);
}

TEST_F(ItemsTest, MovingToTheProteinShowsItsCount) {
    hero.items[kProtein].count = 7;
    headless::Arrow(kKeyDown);
    RunItemCommand();
    EXPECT_EQ(battle.itemCursor, 1);
    EXPECT_EQ(Row(10, 65, 1), "7");
    EXPECT_EQ(AttrAt(65, 10), 15);
    EXPECT_EQ(AttrAt(55, 2), 7);
    EXPECT_EQ(AttrAt(55, 4), 15);
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

TEST_F(ItemsTest, LastItemUsedThenRefused) {
    hero.items[kPotion].count = 1;
    headless::Key(kKeyEnter);
    Acks(2);
    headless::Key(kKeyRight);  // Right uses too
    Acks(1);
    headless::Key(kKeySpace);
    EXPECT_EQ(RunItemCommand(), 0);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.items[kPotion].count, 0);
    EXPECT_EQ(battle.itemsUsed, 1);
    EXPECT_EQ(messageWindow.history[0], "そのアイテムは持っていません。"_sj);
}

TEST_F(ItemsTest, FourthEffectRefusedWhilePotionStillAccepted) {
    hero.items[kProtein].count = 5;
    Acks(3);
    UseItem(kItemProtein);
    UseItem(kItemProtein);
    UseItem(kItemBuckler);
    ASSERT_EQ(itemEffects.activeEffects, 3);
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
    EXPECT_EQ(RunItemCommand(), 0);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.items[kProtein].count, 3);
    EXPECT_EQ(hero.items[kBuckler].count, 2);
    EXPECT_EQ(hero.items[kPotion].count, 2);
    EXPECT_EQ(battle.itemsUsed, 1);
    EXPECT_EQ(Line(1), "");
}

TEST_F(ItemsTest, RefusalTextForAFourthEffect) {
    hero.items[kProtein].count = 5;
    Acks(3);
    UseItem(kItemProtein);
    UseItem(kItemProtein);
    UseItem(kItemProtein);
    headless::Reset();
    headless::Arrow(kKeyDown);
    headless::Key(kKeyEnter);
    RunItemCommand();
    EXPECT_EQ(Line(1), "アイテムは同時に３つまでしか使えません。");
    EXPECT_EQ(hero.items[kProtein].count, 2);
}

TEST_F(ItemsTest, HeroFallingEndsTheMenuAtOnce) {
    pawn.speed = 100;
    hero.speed = 0;
    hero.hp = 1;
    pawn.attack = 50;
    headless::Arrow(kKeyDown);
    headless::Key(kKeyEnter);  // protein
    Acks(2);                   // the use, the fall
    EXPECT_EQ(RunItemCommand(), kHeroFell);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(Row(4, 59, 10), "プロテイン");  // the menu stays for the battle's end
}

}  // namespace
}  // namespace rf
