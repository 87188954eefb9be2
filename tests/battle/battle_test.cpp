// The battle: its formulas (the spread, damage, evasion and flight,
// experience, growth) and blows struck with them; a target chosen among the
// standing enemies; whole battles through RunBattle, driven by scripted keys
// with the clock fixed, so the generator's seed is known; and the level-up
// panel.
#include "battle/battle_driver.h"
#include "battle/formulas.h"
#include "battle/target_selection.h"
#include "console/battle_screen.h"
#include "items/items.h"

#include "battle/attack.h"
#include "battle/battle_state.h"
#include "battle/level_up_screen.h"
#include "battle_fixtures.h"
#include "console/message_window.h"
#include "items/abilities.h"
#include "items/menus.h"
#include "platform/console_session.h"

#include <array>
#include <tuple>

namespace rf {
namespace {

using test::SeedSoNextDrawIs;
using FormulasTest = test::BattleTest;

// The spread's draw and its truncation, an enemy's experience from its
// draw, and an item's cost are in every recorded game's numbers; here the
// edges those games never reach.
TEST_F(FormulasTest, DamageOfBothSides) {
    // Striker's attack, level, experience; defender's defences; the ability; the draw.
    auto hit = [&](bool enemy, int atk, int level, std::uint32_t exp, int def, int mdef, int power, int acc, int draw) {
        hero.level = static_cast<std::int16_t>(level);
        hero.exp = exp;
        (enemy ? pawn.attack : hero.attack) = static_cast<std::int16_t>(atk);
        (enemy ? hero.defence : pawn.defence) = static_cast<std::int16_t>(def);
        (enemy ? hero.magicDefence : pawn.magicDefence) = static_cast<std::int16_t>(mdef);
        const AbilityInfo a{{}, 0, static_cast<std::int16_t>(power), static_cast<std::int16_t>(acc)};
        SeedSoNextDrawIs(draw);
        return enemy ? EnemyDamage(hero, pawn, a) : HeroDamage(hero, pawn, a);
    };
    EXPECT_EQ(hit(false, 10, 1, 40, 4, 5, 2, 3, 51), 8);    // 23 / 4 + 40 / 20 + 1, cut from 8.75
    EXPECT_EQ(hit(false, 10, 0, 0, 2, 2, 0, 1, 0), -3);     // 0.5 - 4: cut toward zero
    EXPECT_EQ(hit(false, 16384, 0, 0, 1, 2, 4, 0, 40), 0);  // 65536 is cut to 16 bits
    EXPECT_EQ(hit(false, 10, 0, 40, 0, 7, 2, 3, 40), 63);   // zero divisors count as 1
    EXPECT_EQ(hit(true, 4, 0, 3, 0, 0, 2, 3, 40), 13);
    EXPECT_EQ(hit(true, 6, 3, 30, 4, 5, 2, 1, 104), 10);  // a doubled defence halves both terms
}

TEST_F(FormulasTest, EvadeAndFlee) {
    SeedBattleRandom(3);
    EXPECT_EQ(EvadeCheck(0, 0, 0), 0);   // a tie lands
    EXPECT_EQ(FleeCheck(-1, -1, 1), 1);  // a speed of -1 divides by nothing
    SeedBattleRandom(1);
    EXPECT_EQ(FleeCheck(0, 0, 5), 0);  // a tie fails
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        SeedBattleRandom(seed);
        ASSERT_EQ(EvadeCheck(10, 10, 3), 0);  // 15..25 against 30..40
        ASSERT_EQ(FleeCheck(10, 7, 2), 0);    // the level multiplies: P <= 50, Q >= 56
    }
}

TEST_F(FormulasTest, KillAndVictoryExperience) {
    EXPECT_EQ(KillExperience(EnemyStatus{}), 0);  // a sum of 0 does not divide
    // BattleState{remaining, actions, defeated, items}
    EXPECT_EQ(VictoryExperience(100, {0, 39, 3, 0}), 300);
    EXPECT_EQ(VictoryExperience(100, {0, 40, 3, 0}), 272);     // / 1.1
    EXPECT_EQ(VictoryExperience(30000, {0, 0, 3, 0}), 24464);  // the product is 16-bit
    EXPECT_EQ(VictoryExperience(70, {0, 0, 1, 20}), 0);        // never below 0
}

TEST_F(FormulasTest, NextExpThresholdRounding) {
    struct Threshold {
        int sum;  // of the statuses
        int level, expected;
    };
    const Threshold cases[] = {{57, 1, 60}, {61, 2, 100}, {75, 2, 200}, {9, 1, 9}, {149, 1, 100}, {65499, 1, 65500}};
    for (auto [sum, level, expected] : cases) {
        hero.defence = hero.magicAttack = hero.magicDefence = hero.speed = 1;
        hero.maxHp = static_cast<std::int16_t>(std::min(sum - 4, 32767));
        hero.attack = static_cast<std::int16_t>(sum - 4 - hero.maxHp);
        hero.level = static_cast<std::int16_t>(level);
        NextExpThreshold(hero);
        EXPECT_EQ(hero.nextExp, static_cast<std::uint32_t>(expected)) << sum << " at " << level;
    }
}

TEST_F(FormulasTest, LevelUpGrowthStaysInItsBoundsWithABonusOnlyBeyondTheThreshold) {
    constexpr std::int16_t HeroStatus::*kOthers[] = {&HeroStatus::attack, &HeroStatus::defence,
                                                     &HeroStatus::magicAttack, &HeroStatus::magicDefence,
                                                     &HeroStatus::speed};
    SeedBattleRandom(12345);
    int bonuses[2] = {0, 0};  // experience just at the threshold, and 299 beyond it
    for (int i = 0; i < 600; ++i) {
        hero.exp = hero.nextExp + (i % 2 ? 299u : 0u);
        const HeroStatus before = hero;
        LevelUpGrowth(hero);
        ASSERT_TRUE(hero.maxHp - before.maxHp >= 3 && hero.maxHp - before.maxHp <= 8) << i;
        bonuses[i % 2] += hero.maxHp - before.maxHp == 8;
        for (auto f : kOthers) {
            ASSERT_TRUE(hero.*f - before.*f >= 1 && hero.*f - before.*f <= 3) << i;
            bonuses[i % 2] += hero.*f - before.*f == 3;
        }
    }
    EXPECT_EQ(bonuses[0], 0);
    EXPECT_GT(bonuses[1], 100);
}

using AttackTest = test::BattleTest;

// A gain worth several levels, and beyond 32767: all levels are gained, the
// hit points filled, and the gain is shown whole.
TEST_F(AttackTest, VictoryWorthSeveralLevelsGainsThemAllAndFillsTheHitPoints) {
    test::OpenGroup(pawn, 1);
    pawn.speed = 0, pawn.maxHp = 25000, pawn.hpSlots[0] = 1;
    hero.exp = 5000, hero.hp = 40;
    SeedBattleRandom(77);
    RunScript([&] { EXPECT_EQ(HeroBlow(pawn), kVictory); });
    EXPECT_GE(hero.level, 4);
    EXPECT_LT(hero.exp, hero.nextExp);
    EXPECT_EQ(hero.hp, hero.maxHp);
    EXPECT_GT(heroSnapshot.exp, 32767u);
    EXPECT_EQ(Line(3) + Line(2) + Line(1), "戦闘に勝ちました。経験値" + std::to_string(heroSnapshot.exp) +
                                               "を得ました。主人公がレベルアップしました。");
}

TEST_F(AttackTest, MissAndNegativeDamageLeaveTheTargetUnhurt) {
    test::OpenGroup(pawn, 2);
    pawn.speed = 1000, hero.speed = 1;
    RunScript([&] { HeroBlow(pawn); });  // stops at the wait
    EXPECT_EQ(Line(1), "攻撃を回避されました。");
    hero.speed = 0, hero.defence = 100;
    pawn.speed = 100, pawn.attack = abilityTable.abilities[0].power = 0;
    test::SeedWhere([&] { return test::Forecast(false, pawn).value_or(0) < 0; });
    RunScript([&] { EnemyBlow(pawn); });
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Line(1), "主人公に0のダメージ!!");
}

TEST_F(AttackTest, AbilityOutsideTheTableStrikesWithTheFirst) {
    test::OpenGroup(pawn, 1);
    hero.speed = 0, pawn.speed = 50;
    int withFirst = 0;
    for (int ability : {0, 5, -1, 300}) {
        hero.hp = 100;
        pawn.ability = static_cast<std::int16_t>(ability);
        SeedBattleRandom(31);
        RunScript([&] { EnemyBlow(pawn); });
        if (ability == 0) withFirst = hero.hp;
        EXPECT_EQ(hero.hp, withFirst) << ability;
    }
    EXPECT_LT(withFirst, 100);
}

class TargetSelectionTest : public test::BattleTest {
protected:
    void Group(int n, int fallen = 0) {
        battle = {};
        test::OpenGroup(pawn, n);
        if (fallen > 0) battle.defeated[fallen - 1] = 1, --battle.remaining, ++battle.defeatedCount;
        DrawFormation(pawn, n);
    }
    std::uint16_t SymbolAttr(int t) { return AttrAt(25 + FormationCellOf(7, t).column, FormationCellOf(7, t).row); }
};

// A move reaches only a standing enemy straight above or below, never one further on.
TEST_F(TargetSelectionTest, RowMovesReachOnlyAStandingEnemyStraightAboveOrBelow) {
    struct Move {
        int size;
        int fallen;  // 0: none
        int from;
        bool up;
        int to;  // 0: no move, it stays
    };
    const Move cases[] = {
        {3, 0, 1, false, 3}, {3, 0, 3, true, 1},  // the single enemy below and back
        {5, 0, 3, false, 5}, {5, 0, 4, true, 3},  // the middle one and the corners
        {5, 0, 1, true, 0},  {5, 3, 4, true, 0},  // nothing above the top row; the middle has fallen
        {7, 6, 2, false, 0},                      // the one below has fallen
    };
    for (auto [size, fallen, from, up, to] : cases) {
        SCOPED_TRACE(testing::Message() << size << " " << from << (up ? " up" : " down"));
        Group(size, fallen);
        pawn.target = static_cast<std::int16_t>(from);
        EXPECT_EQ((up ? MoveTargetUp(pawn) : MoveTargetDown(pawn)) != 0, to != 0);
        EXPECT_EQ(pawn.target, to ? to : from);
    }
}

// Where the two rows stand column for column, up and then down comes back.
TEST_F(TargetSelectionTest, UpAndDownAgainComeBackInAlignedGroups) {
    for (int n : {4, 6, 7}) {
        Group(n);
        const int upper = n == 7 ? 4 : n / 2;
        for (int t = upper + 1; t <= n; ++t) {
            SCOPED_TRACE(testing::Message() << n << " " << t);
            pawn.target = static_cast<std::int16_t>(t);
            ASSERT_NE(MoveTargetUp(pawn), 0);
            EXPECT_LE(pawn.target, upper);
            ASSERT_NE(MoveTargetDown(pawn), 0);
            EXPECT_EQ(pawn.target, t);
        }
    }
}

// Right steps over the fallen, and Space goes back with target 1. Left in
// the ability menu leads back to the targets, not to the commands: the next
// keys move the target, and no blow was struck.
TEST_F(TargetSelectionTest, RightStepsOverTheFallenSpaceGoesBackAndLeftInTheAbilityMenuToTheTargets) {
    Group(7, 5);
    pawn.target = 4;
    headless::Arrow(kKeyRight);  // 5 has fallen: 6
    headless::Arrow(kKeyDown);   // nothing below 6
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 6);
    EXPECT_EQ(SymbolAttr(6), 15);
    headless::Key(kKeySpace);
    EXPECT_EQ(SelectTarget(pawn), 0);
    EXPECT_EQ(pawn.target, 1);
    EXPECT_EQ(SymbolAttr(6), 7);
    EXPECT_EQ(Row(9, 34, 6), "　　　");  // the banner and its name are gone
    Group(7);
    headless::Key(kKeyEnter);
    headless::Arrow(kKeyLeft);
    headless::Arrow(kKeyRight);
    RunScript([&] { SelectTarget(pawn); });
    EXPECT_EQ(pawn.target, 2);
    EXPECT_EQ(SymbolAttr(2), 15);
    EXPECT_EQ(battle.actionCount, 0);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));  // the menu is closed
}

constexpr std::int64_t kSecond = 1'234'567;

class BattleFlowTest : public test::BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        headless::Reset(kSecond);
    }
    // Plays the keys ('^' 'v' '<' arrows, 'e' Enter, 's' Space) into a battle of `size`.
    bool Run(int size, std::string_view keys = "") {
        for (char k : keys) {
            if (k == 'e' || k == 's') headless::Key(k == 'e' ? kKeyEnter : kKeySpace);
            else headless::Arrow(k == '^' ? kKeyUp : k == 'v' ? kKeyDown : kKeyLeft);
        }
        bool finished = false;
        RunScript([&] { finished = RunBattle(pawn, static_cast<std::int16_t>(size)) == 0; });
        return finished && headless::KeysLeft() == 0;
    }
};

TEST_F(BattleFlowTest, OpeningClampsTheGroupToOneToSevenAndHighlightsTheFirstBox) {
    struct Opening {
        int size, group;  // asked for, and opened
    };
    for (auto [size, group] : {Opening{3, 3}, {9, 7}, {0, 1}}) {
        SetUp();
        Run(size);  // stops in the command loop
        EXPECT_EQ(battle.remaining, group) << size;
    }
    EXPECT_EQ(AttrAt(9, 0), 15);
}

TEST_F(BattleFlowTest, FlightAndDefeatShowTheirMessageOnceAndClearTheBattle) {
    struct End {
        const char* keys;
        const char* message;
        std::int16_t heroSpeed, pawnSpeed, pawnAttack;
    };
    const End cases[] = {
        {"vvvee", "にげることに成功しました。", 1000, 0, 5},  // flee (P 2000 and more against Q 0), the outcome
        // Defend, GAME OVER, the outcome; the second Pawn does not strike after the fall.
        {"veee", "バトルに負けました。", 0, 100, 10000},
    };
    for (auto [keys, message, heroSpeed, pawnSpeed, pawnAttack] : cases) {
        SCOPED_TRACE(message);
        SetUp();
        hero.speed = heroSpeed, pawn.speed = pawnSpeed, pawn.attack = pawnAttack;
        EXPECT_TRUE(Run(heroSpeed == 0 ? 2 : 1, keys));
        EXPECT_EQ(Line(1), message);
        const BattleState clear{};
        EXPECT_EQ(std::memcmp(&battle, &clear, sizeof battle), 0);
    }
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(hero.defence, 10);  // the doubling is undone also on a fall
}

// A failed flight costs a turn; its own last acknowledgement shows what it
// waits for (never ▼ in an empty window) with the commands marked behind it.
TEST_F(BattleFlowTest, FailedFlightCostsATurn) {
    hero.speed = 0, pawn.speed = 10;  // P = 0 against Q = 28 and more
    hero.defence = 1000;
    int emptyWaits = 0, failedWaits = 0;
    headless::SetKeyObserver([&] {
        if (headless::RowUtf8(13, 76, 2) != "▼") return;
        emptyWaits += Line(1).empty();
        failedWaits += Line(1) == "失敗しました。" && (AttrAt(3, 9) & platform::kUnderscore) != 0;
    });
    // Protein (its message, the blow), back, flee, the blow, the failed flight's own acknowledgement.
    Run(1, "vveveeesveee");
    headless::SetKeyObserver(nullptr);
    EXPECT_EQ(emptyWaits, 0);
    EXPECT_EQ(failedWaits, 1);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.commandCursor, 3);
    EXPECT_EQ(battle.actionCount, 4);  // item, blow, failed flight, blow
}

TEST_F(BattleFlowTest, DefendDoublesDefenceAndABucklerEndingInsideItLeavesNoTrace) {
    // No buckler: the blow meets 2 x 20; one ending in the turn's first aging
    // step: 2 x 20 too, in the second: 2 x 25.
    struct Buckler {
        int turnsLeft, defenceMet;
    };
    for (auto [turnsLeft, defenceMet] : {Buckler{0, 40}, {1, 40}, {2, 50}}) {
        SCOPED_TRACE(turnsLeft);
        SetUp();
        hero.speed = 0, pawn.speed = 100, pawn.attack = 400;  // every blow lands
        hero.defence = static_cast<std::int16_t>(defenceMet);
        SeedBattleRandom(static_cast<std::uint32_t>(kSecond));
        const int damage = test::Forecast(false, pawn).value_or(0);
        hero.defence = 20;
        if (turnsLeft > 0) {
            headless::Key(kKeyEnter);
            UseItem(kBuckler);
            itemEffects.slots[TimedEffectOf(kBuckler)][0].turnsLeft = static_cast<std::int16_t>(turnsLeft);
        }
        headless::Reset(kSecond);
        Run(1, turnsLeft > 0 ? "veee" : "vee");  // defend, the blow and the buckler's end in either order
        EXPECT_EQ(headless::KeysLeft(), 0u);
        EXPECT_EQ((std::array{battle.actionCount, hero.hp, hero.defence, itemEffects.activeEffects}),
                  (std::array<std::int16_t, 4>{2, static_cast<std::int16_t>(100 - damage), 20, 0}));
    }
}

TEST_F(BattleFlowTest, LeavingMenusClearsTheirTitlesAndTakesNoTurn) {
    // Item and out, fight, ability menu, down and back to the targets with
    // Left, again, down and out with Space: the cursor goes back to the first.
    Run(2, "vve<^^eev<evs");
    EXPECT_EQ(battle.actionCount + battle.commandCursor + battle.abilityCursor, 0);
    EXPECT_EQ(Row(0, 54, 20) + Row(2, 54, 20), std::string(40, ' '));
    EXPECT_EQ(Row(7, 25, 26), std::string(26, ' '));
}

// Nobody seeing the console skips frames and typing, never what they lead to:
// the same battle ends at the same time, with the same records, the cursor
// where it was and the same keys taken, also with keys timed to come during
// the typing (which they hurry) and the pauses.
TEST_F(BattleFlowTest, AnUnseenBattleEndsAsASeenOne) {
    struct Battle {
        const char* keys;
        int size;                  // the group's
        std::int64_t timedFromMs;  // when keys timed to come begin (-1: none)
    };
    const Battle cases[] = {
        {"eeeeeeeeeeeeeeeeeeee", 3, -1},  // fights, menus slid in, messages typed
        {"vveveeesveee", 1, -1},          // an item, back, a failed flight
        {"veeeeeeee", 2, 2500},           // defending, keys hurrying the typing
    };
    for (const auto& [keys, size, timedFromMs] : cases) {
        SCOPED_TRACE(keys);
        std::vector<std::string> ends;  // seen, then unseen
        for (bool unseen : {false, true}) {
            SetUp();
            hero.speed = 0, pawn.attack = 30;
            if (unseen) headless::Unseen();
            if (timedFromMs >= 0)
                for (int k = 0; k < 8; ++k) headless::Key(kKeyEnter, timedFromMs + 70 * k);
            Run(size, keys);
            ends.push_back(testing::PrintToString(std::tuple(headless::NowMs(), headless::SleptMs(), Screen().CursorX(),
                                                             Screen().CursorY(), headless::KeysLeft(), hero.hp,
                                                             hero.exp, battle.actionCount, battleLeft, heroPanelLeft)));
        }
        EXPECT_EQ(ends[1], ends[0]);
    }
}

constexpr int L = 25;

class LevelUpScreenTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        std::strcpy(heroSnapshot.name, "Maximilian");
        heroSnapshot.level = 4, heroSnapshot.maxHp = 60, heroSnapshot.attack = 10;
        heroSnapshot.exp = 25;  // gained in this battle
        hero = heroSnapshot;
        hero.level = 5, hero.maxHp = 65, hero.attack = 13;
        hero.exp = 12;  // left over toward the next level
    }
};

// Two levels and a thousand hit points: wide counts and values leave no stray digits.
TEST_F(LevelUpScreenTest, WholePanelSlidesItsRowsInWithNoStrayDigits) {
    for (int y = 0; y <= 11; ++y) {
        MoveTo(0, y);
        Write(std::string(80, '#'));
    }
    hero.level = 6, hero.maxHp = 60 + 1000;
    ClearLevelUpPanel();
    DrawLevelUpFrame();
    ShowLevelUpIncreases();
    hero.maxHp = 12345;
    hero.exp = 0x10000u + 77u;  // the low sixteen bits
    ShowLevelUpValues();
    // Labels, 1012 sliding counts (1001 of them the hit points'), 26 experience steps, 36 rising rows.
    EXPECT_EQ(headless::SleptMs(), 400 + 1012 * 21 + 26 + 36 * 5);
    // The title at L+6..L+40 blanks the other half of the line glyph it covers;
    // the clearing stops at L+52.
    EXPECT_EQ(Row(0, L + 1, 53), "＿＿ Maximilian - LEVEL UP + STATUS UP -＿＿＿＿＿＿#");
    EXPECT_EQ(Row(2, L + 29, 3), "+2 ");
    EXPECT_EQ(Row(3, L + 29, 25), "+1000    :     12345    |");
    EXPECT_EQ(Row(4, L, 54), "| 攻撃力         <==         +3       :     13       |");
    EXPECT_EQ(Row(9, L + 38, 15), ":     77       ");
    EXPECT_EQ(Row(10, L - 1, 1) + Row(11, L, 3), "####");
    for (int row = 2; row <= 9; ++row) EXPECT_EQ(Row(row, L + 17, 3), "<==") << "row " << row;
}

TEST_F(LevelUpScreenTest, KeyDuringTheExperienceCountWritesTheFullAmount) {
    heroSnapshot.exp = 5000;
    // Labels and slides take 400 + 16 * 21 ms; the key comes 10 counts later.
    const std::int64_t at = 400 + 16 * 21 + 10;
    headless::Arrow(kKeyDown, at);
    ShowLevelUpIncreases();
    EXPECT_EQ(Row(9, L + 29, 6), "+5000 ");
    EXPECT_EQ(headless::SleptMs(), at);
    // One code is read; the arrow's 80 only cuts the next message's typing short.
    EXPECT_EQ(headless::KeysLeft(), 1u);
    bool acknowledged = false;
    RunScript([&] {
        ShowMessageAndWait("OK");
        acknowledged = true;
    });
    EXPECT_FALSE(acknowledged);
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

}  // namespace
}  // namespace rf
