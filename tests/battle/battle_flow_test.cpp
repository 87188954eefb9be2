// Whole battles through RunBattle, driven by scripted keys with the clock
// fixed, so the generator's seed is known.
#include <vector>

#include "battle/battle_driver.h"
#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"
#include "console/console.h"
#include "items/items.h"

namespace rf {
namespace {

constexpr std::int64_t kSecond = 1'234'567;

class BattleFlowTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        headless::Reset(kSecond);
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
        hero.nextExp = 100000;
    }
    std::string Line(int n) {
        std::string row = Row(12 + n, 27, 51);
        std::size_t end = row.find_last_not_of(' ');
        return end == std::string::npos ? "" : row.substr(0, end + 1);
    }
    bool Run(int size) {
        bool finished = false;
        RunScript([&] {
            EXPECT_EQ(RunBattle(pawn, static_cast<std::int16_t>(size)), 0);
            finished = true;
        });
        return finished;
    }
    void ExpectBattleStateClear() {
        EXPECT_EQ(battle.remaining, 0);
        EXPECT_EQ(battle.actionCount, 0);
        EXPECT_EQ(battle.defeatedCount, 0);
        EXPECT_EQ(battle.itemsUsed, 0);
        for (std::int16_t f : battle.defeated) EXPECT_EQ(f, 0);
        EXPECT_EQ(battle.commandCursor, 0);
        EXPECT_EQ(battle.abilityCursor, 0);
        EXPECT_EQ(battle.itemCursor, 0);
    }
    // The hero's blows always land and fell at once; the enemies' never land.
    void HeroOverwhelms() {
        for (auto& a : abilityTable.abilities) a.power = 1000;
        pawn.speed = 0;
        hero.speed = 1000;
    }
    void Down(int times) {
        for (int i = 0; i < times; ++i) headless::Arrow(kKeyDown);
    }
    void Enter(int times = 1) {
        for (int i = 0; i < times; ++i) headless::Key(kKeyEnter);
    }
    EnemyStatus pawn;
};

TEST_F(BattleFlowTest, OpeningPreparesHeroGroupAndScreen) {
    hero.hp = 3;
    pawn.target = 5;
    pawn.hpSlots[2] = -4;
    Run(3);  // stops in the command loop
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(pawn.target, 1);
    for (std::int16_t hp : pawn.hpSlots) EXPECT_EQ(hp, 20);
    EXPECT_EQ(battle.remaining, 3);
    EXPECT_EQ(GroupSize(), 3);
    EXPECT_EQ(hero.savedAttack, 10);
    EXPECT_EQ(Row(0, 25, 23), " ___Enemy View_________");
    EXPECT_EQ(Row(2, 34, 6), "◎  ◎");
    EXPECT_EQ(Row(4, 36, 2), "◎");
    EXPECT_EQ(Row(1, 10, 8), "たたかう");
    EXPECT_EQ(AttrAt(9, 0), 15);  // box 1 highlighted from the start
    EXPECT_EQ(AttrAt(7, 3), 7);
    EXPECT_EQ(Row(12, 7, 6), "Lv : 1");
    EXPECT_EQ(Row(14, 7, 15), "HP : 100 / 100 ");
    for (int r = 16; r <= 18; ++r) EXPECT_EQ(Row(r, 4, 1), "+");
    // The generator was seeded with the clock's second.
    test::ReferenceRandom ref{static_cast<std::uint32_t>(kSecond)};
    EXPECT_EQ(DrawBattleRandom(), ref.Next());
}

TEST_F(BattleFlowTest, VictoryFromFightToOutcome) {
    HeroOverwhelms();
    Enter(3);  // fight, target, strike
    Enter(1);  // the experience message
    Enter(1);  // the outcome
    EXPECT_TRUE(Run(1));
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_GT(hero.exp, 0u);
    EXPECT_EQ(Line(1), "バトルに勝ちました。");
    EXPECT_EQ(Line(2), "");
    ExpectBattleStateClear();
    EXPECT_FALSE(Screen().CursorVisible());
}

TEST_F(BattleFlowTest, DefeatShowsItsOutcomeOnce) {
    pawn.attack = 10000;
    pawn.speed = 100;
    hero.speed = 0;
    Down(1);
    Enter(1);  // defend
    Enter(1);  // GAME OVER
    Enter(1);  // the outcome
    EXPECT_TRUE(Run(2));
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(hero.defence, 10);  // the doubling is undone also on a fall
    EXPECT_EQ(hero.exp, 0u);
    EXPECT_EQ(Line(1), "バトルに負けました。");
    EXPECT_EQ(Row(9, 33, 8), "敵の攻撃");
    ExpectBattleStateClear();
}

TEST_F(BattleFlowTest, SuccessfulFlight) {
    pawn.speed = 0;
    hero.speed = 1000;  // P = 2000 and more against Q = 0
    Down(3);
    Enter(1);  // flee
    Enter(1);  // the outcome
    RunScript([&] { RunBattle(pawn, 1); });
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(Line(1), "にげることに成功しました。");
    EXPECT_EQ(Line(2), "");
    ExpectBattleStateClear();
}

TEST_F(BattleFlowTest, SuccessfulFlightShowsItsTwoMessagesFirst) {
    pawn.speed = 0;
    hero.speed = 1000;
    Run(1);
    const std::int64_t opening = headless::NowMs();
    headless::Reset(kSecond);
    Down(3);
    Enter(1);
    // Stop the clock 300 ms into the second message (the first takes 28 x 50 ms).
    headless::SetLimits(200'000'000, opening + 1400 + 300);
    EXPECT_THROW(RunBattle(pawn, 1), headless::Watchdog);
    EXPECT_EQ(Line(2), "主人公の「にげる」..........");
    EXPECT_EQ(Line(1).substr(0, 6), "成功");
}

TEST_F(BattleFlowTest, FailedFlightCostsATurn) {
    hero.speed = 0;  // P = 0 against Q = 28 and more
    pawn.speed = 10;
    hero.defence = 1000;
    hero.items[kProtein].count = 1;
    Down(2);
    Enter(1);  // item
    headless::Arrow(kKeyDown);
    Enter(1);  // protein
    Enter(2);  // its message, the enemy's blow
    headless::Key(kKeySpace);  // back to the commands
    Down(1);
    Enter(1);  // flee
    Enter(1);  // the enemy's blow
    Enter(1);  // the failed flight's own acknowledgement, not a second flight
    Run(1);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.commandCursor, 3);
    EXPECT_EQ(battle.actionCount, 4);  // item, blow, failed flight, blow
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 7);
    EXPECT_EQ(Line(1), "");  // the blow's own acknowledgement cleared the window
}

TEST_F(BattleFlowTest, DefendDoublesDefenceForTheBlowsAndRestoresIt) {
    hero.defence = 20;
    hero.speed = 0;
    pawn.speed = 100;  // every blow lands
    pawn.attack = 400;
    SeedBattleRandom(static_cast<std::uint32_t>(kSecond));
    hero.defence = 40;
    int damage = test::ForecastEnemyBlow(pawn).damage;
    hero.defence = 20;
    Down(1);
    Enter(1);  // defend
    Enter(1);  // the blow
    Run(1);
    EXPECT_EQ(hero.hp, 100 - damage);
    EXPECT_EQ(hero.defence, 20);
    EXPECT_EQ(battle.actionCount, 2);
    EXPECT_EQ(battle.commandCursor, 1);
    EXPECT_EQ(AttrAt(7, 3), 15);  // the highlight stays on ぼうぎょ
    // Enter defends again.
    headless::Reset(kSecond);
    battle = {};
    Down(1);
    Enter(1);
    Enter(1);
    Enter(1);  // defend again
    Enter(1);
    Run(1);
    EXPECT_EQ(battle.actionCount, 4);
    EXPECT_EQ(hero.defence, 20);
}

TEST_F(BattleFlowTest, BucklerEndingInTheFirstAgingStepOfADefendTurn) {
    hero.defence = 20;
    hero.items[kBuckler].count = 1;
    headless::Key(kKeyEnter);
    UseItem(kItemBuckler);  // defence 25
    itemEffects.bucklerSlots[0].turnsLeft = 1;  // ends in the defend turn's first step
    hero.speed = 0;
    pawn.speed = 100;
    pawn.attack = 400;
    SeedBattleRandom(static_cast<std::uint32_t>(kSecond));
    hero.defence = 40;  // the blows meet the doubled defence without the buckler
    int damage = test::ForecastEnemyBlow(pawn).damage;
    hero.defence = 25;
    headless::Reset(kSecond);
    Down(1);
    Enter(1);  // defend
    Enter(1);  // the buckler's end
    Enter(1);  // the blow
    Run(1);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.hp, 100 - damage);
    EXPECT_EQ(hero.defence, 20);
    EXPECT_EQ(itemEffects.activeEffects, 0);
}

TEST_F(BattleFlowTest, BucklerEndingInTheSecondAgingStepOfADefendTurn) {
    hero.defence = 20;
    headless::Key(kKeyEnter);
    UseItem(kItemBuckler);
    itemEffects.bucklerSlots[0].turnsLeft = 2;  // ends after the blows
    hero.speed = 0;
    pawn.speed = 100;
    pawn.attack = 400;
    SeedBattleRandom(static_cast<std::uint32_t>(kSecond));
    hero.defence = 50;
    int damage = test::ForecastEnemyBlow(pawn).damage;
    hero.defence = 25;
    headless::Reset(kSecond);
    Down(1);
    Enter(3);  // defend, the blow, the buckler's end
    Run(1);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(hero.hp, 100 - damage);
    EXPECT_EQ(hero.defence, 20);  // not 22
}

TEST_F(BattleFlowTest, PotionInBattleAfterABlowOfFive) {
    hero.speed = 0;
    pawn.speed = 100;
    // Find a clock second whose first blow deals 5.
    std::int64_t second = kSecond;
    for (;; ++second) {
        SeedBattleRandom(static_cast<std::uint32_t>(second));
        hero.defence = 20;
        if (test::ForecastEnemyBlow(pawn).damage == 5) break;
    }
    hero.defence = 10;
    headless::Reset(second);
    Down(1);
    Enter(2);  // defend, the blow
    Down(1);
    Enter(1);  // item
    Enter(1);  // potion; stops at the heal message
    Run(1);
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Line(1), "Heroの体力が5回復しました。");
    EXPECT_EQ(Row(9, 34, 4), "Hero");  // the hero's banner, from 25 + 11 - 4 / 2
    EXPECT_EQ(Row(7, 24, 26), "＜　対　象　の　選　択　＞");
    EXPECT_EQ(Row(0, 54, 20), "________Item________");
}

TEST_F(BattleFlowTest, LeavingMenusWithSpaceAndLeft) {
    HeroOverwhelms();
    Down(2);
    Enter(1);  // item
    headless::Arrow(kKeyLeft);  // out again, no turn
    headless::Arrow(kKeyUp);
    headless::Arrow(kKeyUp);
    Enter(1);  // fight
    Enter(1);  // ability menu
    headless::Arrow(kKeyLeft);  // back to the targets
    Enter(1);  // ability menu again
    headless::Key(kKeySpace);  // back to the commands
    Run(2);
    EXPECT_EQ(battle.actionCount, 0);
    EXPECT_EQ(battle.commandCursor, 0);
    EXPECT_EQ(Row(0, 54, 20), std::string(20, ' '));
    EXPECT_EQ(Row(7, 25, 26), std::string(26, ' '));
    EXPECT_EQ(pawn.target, 1);
}

TEST_F(BattleFlowTest, CommandKeysAndTheirLimits) {
    headless::Arrow(kKeyUp);    // nothing above たたかう
    headless::Key('P');         // down, as the arrow
    headless::Arrow(kKeyLeft);  // ignored here
    headless::Key(kKeySpace);   // ignored here
    Down(5);                    // stops at にげる
    Run(1);
    EXPECT_EQ(battle.commandCursor, 3);
    EXPECT_EQ(AttrAt(3, 9), 15);
    EXPECT_EQ(AttrAt(9, 0), 7);
}

TEST_F(BattleFlowTest, KilledTargetMovesOnAndWinsLater) {
    HeroOverwhelms();
    Enter(3);  // fight, target 1, strike: falls, back to the commands
    Enter(3);  // fight, target 2, strike: the last one
    Enter(2);  // experience, outcome
    EXPECT_TRUE(Run(2));
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(Line(1), "バトルに勝ちました。");
}

TEST_F(BattleFlowTest, NextBattleStartsOnFightWithAClearRecord) {
    pawn.speed = 0;
    hero.speed = 1000;
    Down(3);
    Enter(2);  // flee, outcome
    EXPECT_TRUE(Run(1));
    ExpectBattleStateClear();
    HeroOverwhelms();
    headless::Reset(kSecond);
    Enter(5);
    EXPECT_TRUE(Run(1));  // Enter at once is a fight
    EXPECT_EQ(Line(1), "バトルに勝ちました。");
}

TEST_F(BattleFlowTest, EffectsCarryOverIntoTheNextBattle) {
    pawn.speed = 0;
    hero.speed = 1000;
    Down(2);
    Enter(1);
    headless::Arrow(kKeyDown);
    Enter(1);  // protein
    Enter(2);  // its message, the enemy's blow
    headless::Key(kKeySpace);
    Down(1);
    Enter(2);  // flee, outcome
    EXPECT_TRUE(Run(1));
    EXPECT_EQ(hero.attack, 15);  // a flight keeps the bonus
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 9);
    EXPECT_EQ(itemEffects.activeEffects, 1);
    headless::Reset(kSecond);
    Down(1);
    Enter(2);  // defend, the blow
    Run(1);
    EXPECT_EQ(itemEffects.proteinSlots[0].turnsLeft, 7);
    EXPECT_EQ(hero.savedAttack, 15);
}

TEST_F(BattleFlowTest, GroupSizeOutsideOneToSevenIsClamped) {
    Run(9);
    EXPECT_EQ(battle.remaining, 7);
    EXPECT_EQ(Row(2, 30, 14), "◎  ◎  ◎  ◎");
    EXPECT_EQ(Row(4, 32, 10), "◎  ◎  ◎");
    headless::Reset(kSecond);
    ResetGameState();
    test::SetUpHero();
    pawn = test::MakePawn();
    Run(0);
    EXPECT_EQ(battle.remaining, 1);
    EXPECT_EQ(Row(3, 36, 2), "◎");
    headless::Reset(kSecond);
    battle = {};
    Run(-3);
    EXPECT_EQ(battle.remaining, 1);
}

struct Recording {
    std::vector<platform::Cell> cells;
    HeroStatus hero;
    EnemyStatus enemy;
    ItemEffectState effects;
    std::int64_t endMs;
};

bool operator==(const HeroStatus& a, const HeroStatus& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool operator==(const EnemyStatus& a, const EnemyStatus& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(BattleFlowTest, SameSecondAndSameKeysRunIdentically) {
    auto play = [&]() {
        ResetGameState();
        headless::Reset(kSecond);
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
        hero.exp = 50;
        const int keys[] = {kKeyDown, kKeyEnter, kKeyEnter, kKeyEnter, kKeyEnter, kKeyUp, kKeyEnter, kKeyEnter};
        for (int k : keys) {
            if (k == kKeyDown || k == kKeyUp) headless::Arrow(k);
            else headless::Key(k);
        }
        for (int i = 0; i < 40; ++i) headless::Key(kKeyEnter);
        RunScript([&] { RunBattle(pawn, 3); });
        Recording r;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 80; ++x) r.cells.push_back(Screen().At(x, y));
        r.hero = hero;
        r.enemy = pawn;
        r.effects = itemEffects;
        r.endMs = headless::NowMs();
        return r;
    };
    Recording first = play();
    Recording second = play();
    EXPECT_TRUE(first.cells == second.cells);
    EXPECT_TRUE(first.hero == second.hero);
    EXPECT_TRUE(first.enemy == second.enemy);
    EXPECT_EQ(first.endMs, second.endMs);
    EXPECT_LT(first.enemy.hpSlots[0], 20);  // the battle did something
}

}  // namespace
}  // namespace rf
