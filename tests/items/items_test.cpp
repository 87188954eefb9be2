// The items and the abilities: their menus, and their commands in battle
// for a hero with all three items and the five abilities against a pawn that
// never lands a blow (each enemy turn is one message to acknowledge).
#include "items/items.h"

#include <string>

#include "battle/attack.h"
#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "items/abilities.h"
#include "items/menus.h"
#include "platform/console_session.h"
#include "text/cp932.h"

namespace rf {
namespace {

class ItemsTest : public test::BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        Open(1);
    }
    void Open(int pawns) {
        pawn.speed = 0;
        hero.speed = 1000;
        test::OpenGroup(pawn, pawns);
        SeedBattleRandom(1);
    }
    void Acks(int n) {
        for (int i = 0; i < n; ++i) headless::Key(kKeyEnter);
    }
    // The effect marks on rows 16..18.
    std::string Marks() { return Row(16, 1, 2) + Row(17, 1, 2) + Row(18, 1, 2); }
    // What a command returns; -1 while it still waits for keys.
    template <typename F>
    int Result(F command) {
        int r = -1;
        RunScript([&] { r = command(); });
        return r;
    }
};

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
        EXPECT_EQ(itemEffects.slots[TimedEffectOf(kProtein)][s].turnsLeft, -1);
        EXPECT_EQ(messageWindow.history[0], "プロテインの効果が切れました。"_sj);
        EXPECT_EQ(headless::KeysLeft(), static_cast<std::size_t>(2 - s));
    }
    EXPECT_EQ(hero.attack, 30);
    EXPECT_EQ(itemEffects.activeEffects, 0);
}

TEST_F(ItemsTest, NoneLeftIsRefusedAndLeavingWithSpaceOrLeftTakesNoTurn) {
    // A count below 0 counts as none.
    struct NoneLeft {
        std::int16_t count;
        int key;  // that leaves
    };
    const NoneLeft cases[] = {{0, kKeySpace}, {-1, kKeyLeft}};
    for (const auto& [count, key] : cases) {
        SCOPED_TRACE(count);
        headless::Reset();
        hero.items[kPotion].count = count;
        headless::Keys({kKeyEnter, kKeyEnter});
        headless::Arrow(kKeyDown);
        headless::Key(key);
        EXPECT_EQ(Result([&] { return ItemCommand(pawn); }), 0);
        EXPECT_EQ(hero.items[kPotion].count, count);
        EXPECT_EQ(battle.actionCount, 0);
        EXPECT_EQ(battle.itemCursor, 0);
        EXPECT_EQ(messageWindow.history[0], "そのアイテムは持っていません。"_sj);
        EXPECT_EQ(Row(2, 54, 20), std::string(20, ' '));
    }
}

// A held Enter (a repeat every 30 ms for four seconds) uses a potion, gets
// through its message and the enemies' turn, and uses no second one: the
// menu takes keys once none has come for a moment, so the next press after
// letting go uses the next. A classic game takes them at once, as the
// original, and drinks on.
TEST_F(ItemsTest, AHeldEnterUsesOnePotionUnlessClassic) {
    struct Case {
        bool classic;
        std::int16_t left;  // of five potions
    };
    for (const Case c : {Case{false, 3}, Case{true, 0}}) {
        SCOPED_TRACE(c.classic);
        SetUp();
        settings.classic = c.classic;
        hero.items[kPotion].count = 5;
        for (std::int64_t at = 0; at < 4000; at += 30) headless::Key(kKeyEnter, at);
        headless::Key(kKeyEnter, 5000);  // let go, and pressed again
        headless::Key(kKeyEnter);        // its message acknowledged
        headless::Key(kKeySpace);
        RunScript([&] { ItemCommand(pawn); });
        EXPECT_EQ(hero.items[kPotion].count, c.left);
        settings.classic = false;
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

TEST_F(ItemsTest, AnAbilityFellingOneOfTwoAgesOnlyTheProteinsAndFellingTheLastNothing) {
    struct Felling {
        int pawns;
        int result;                // of the command
        std::int16_t proteinLeft;  // turns
    };
    const Felling cases[] = {{2, kEnemyFell, 10}, {1, kVictory, 11}};
    for (const auto& [pawns, result, proteinLeft] : cases) {
        SCOPED_TRACE(pawns);
        SetUp();
        Open(pawns);
        hero.nextExp = 100000;
        abilityTable.abilities[1].power = 1000;  // the second ability fells
        Acks(2);
        UseItem(kProtein);
        UseItem(kBuckler);
        headless::Arrow(kKeyDown);
        headless::Arrow(kKeyRight);  // strikes as Enter does
        headless::Key(kKeyEnter);    // acknowledges a victory's gain
        EXPECT_EQ(Result([&] { return AbilityCommand(pawn); }), result);
        EXPECT_EQ(itemEffects.slots[TimedEffectOf(kProtein)][0].turnsLeft, proteinLeft);
        EXPECT_EQ(itemEffects.slots[TimedEffectOf(kBuckler)][0].turnsLeft, 11);
        EXPECT_EQ(battle.actionCount, 1);    // no enemy struck
        EXPECT_EQ(battle.abilityCursor, 0);  // back to the first after a fall
    }
}

class MenusTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        hero.items[0].count = 12, hero.items[1].count = 3, hero.items[2].count = -4;
    }
    // Both cursor marks of a menu row share one attribute.
    std::uint16_t MarkAttr(int y) {
        EXPECT_EQ(AttrAt(55, y), AttrAt(71, y));
        return AttrAt(55, y);
    }
};

TEST_F(MenusTest, ItemMenuDropsInAndMovesDown) {
    OpenItemMenu();  // its frame and names are in the recorded games
    DrawItemCountLine();
    MoveItemSelection(1);
    EXPECT_EQ(MarkAttr(2) * 100 + MarkAttr(4), 715);
    // 3 is shorter than 12: its second digit is gone.
    EXPECT_EQ(Row(10, 54, 20), " ＜     × 3     ＞ ");
    EXPECT_EQ(AttrAt(65, 10) * 100 + console.attribute, 1507);
    MoveItemSelection(1);  // a count below 0 is none
    EXPECT_EQ(Row(10, 62, 6), "× 0  ");
}

// The ability menu offers one more row at each unlock level, and not a level before.
TEST_F(MenusTest, AbilityMenuGrowsAtItsUnlockLevels) {
    struct Offered {
        std::int16_t level;
        int rows;
    };
    const Offered cases[] = {{1, 2}, {11, 2}, {12, 3}, {17, 3}, {18, 4}, {24, 4}, {25, 5}, {99, 5}};
    for (const auto& [level, rows] : cases) {
        hero.level = level;
        headless::Screen().Reset();
        OpenAbilityMenu();
        int shown = 0;
        for (int row = 1; row <= 5; ++row) shown += Row(2 * row, 55, 2) == "＜";
        EXPECT_EQ(shown, rows) << "level " << level;
        CloseMenu(MenuKind::Ability);
    }
    // Each name at its own column between the marks.
    const char* const names[] = {"一文字", "フレイム", "大回転斬り", "地獄炎", "絶対服従"};
    for (auto& ability : abilityTable.abilities)
        test::SetName(ability.name, sizeof ability.name, Utf8ToCp932(names[&ability - abilityTable.abilities]));
    headless::Screen().Reset();
    OpenAbilityMenu();
    std::string rows;
    for (int row = 1; row <= 5; ++row) rows += Row(2 * row, 54, 20) + "|";
    EXPECT_EQ(
        rows,
        " ＜     一文字   ＞ | ＜   フレイム   ＞ | ＜  大回転斬り  ＞ | ＜     地獄炎   ＞ | ＜   絶対服従   ＞ |");
}

}  // namespace
}  // namespace rf
