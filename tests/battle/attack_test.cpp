#include "battle/attack.h"

#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"
#include "console/console.h"
#include "console/message_window.h"

namespace rf {
namespace {

using test::ForecastEnemyBlow;
using test::ForecastHeroBlow;
using test::SeedWhere;

class AttackTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
    }
    // Message line n (1 newest) as UTF-8 without trailing blanks.
    std::string Line(int n) {
        std::string row = Row(12 + n, 27, 51);
        return row.substr(0, row.find_last_not_of(' ') + 1);
    }
    EnemyStatus pawn;
};

TEST_F(AttackTest, BlowThatExactlyFellsTheOnlyEnemyWins) {
    test::OpenGroup(pawn, 1);
    hero.nextExp = 100000;
    hero.attack = 50;  // a protein's bonus: victory puts back the saved values
    hero.defence = 60;
    SeedWhere([&] { return !ForecastHeroBlow(pawn).evaded && ForecastHeroBlow(pawn).damage > 0; });
    int damage = ForecastHeroBlow(pawn).damage;
    pawn.hpSlots[0] = static_cast<std::int16_t>(damage);
    headless::Key(kKeyEnter);
    EXPECT_EQ(HeroBlow(pawn), kVictory);
    EXPECT_EQ(pawn.hpSlots[0], 0);
    EXPECT_EQ(battle.remaining, 0);
    EXPECT_EQ(battle.defeatedCount, 1);
    EXPECT_EQ(battle.defeated[0], 1);
    EXPECT_EQ(hero.attack, 10);
    EXPECT_EQ(hero.defence, 10);
    EXPECT_EQ(heroSnapshot.attack, 10);
    EXPECT_EQ(hero.level, 1);
    EXPECT_GT(hero.exp, 0u);
    EXPECT_EQ(Line(1), "経験値" + std::to_string(hero.exp) + "を得ました。");
    EXPECT_EQ(Line(2), "戦闘に勝ちました。");
    EXPECT_EQ(Line(3), "相手を倒しました。");
    EXPECT_EQ(Line(4), "相手に" + std::to_string(damage) + "のダメージ!!");
    EXPECT_FALSE(Screen().CursorVisible());
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

TEST_F(AttackTest, MissShowsItsMessageWaitsAndLeavesTheEnemyUnhurt) {
    test::OpenGroup(pawn, 2);
    pawn.speed = 1000;
    hero.speed = 1;
    RunScript([&] { HeroBlow(pawn); });  // no key: stops at the wait
    EXPECT_EQ(Line(1), "攻撃を回避されました。");
    headless::Reset();
    headless::Key(kKeyEnter);
    EXPECT_EQ(HeroBlow(pawn), kContinue);
    EXPECT_EQ(pawn.hpSlots[0], 20);
    EXPECT_EQ(battle.actionCount, 2);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(messageWindow.history[0], " ");  // acknowledged, the window is blank again
}

TEST_F(AttackTest, FallWhileOthersStandNeedsNoKey) {
    test::OpenGroup(pawn, 3);
    DrawFormation(pawn, 3);
    pawn.target = 2;
    battle.abilityCursor = 1;
    pawn.speed = 0;  // the blow always lands
    pawn.hpSlots[1] = 1;
    SeedWhere([&] { return ForecastHeroBlow(pawn).damage >= 1; });
    FormationCell cell = FormationCellOf(3, 2);
    EXPECT_EQ(Row(cell.row, 25 + cell.column, 2), "◎");
    EXPECT_EQ(HeroBlow(pawn), kEnemyFell);  // would throw ScriptEnded on a key wait
    EXPECT_EQ(battle.remaining, 2);
    EXPECT_EQ(battle.defeatedCount, 1);
    EXPECT_EQ(GroupSize(), 3);
    const std::int16_t expected[7] = {0, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(battle.defeated[i], expected[i]) << i;
    EXPECT_EQ(battle.abilityCursor, 0);
    EXPECT_EQ(Row(cell.row, 25 + cell.column, 2), "  ");
    EXPECT_EQ(Row(2, 25 + FormationCellOf(3, 1).column, 2), "◎");
    EXPECT_EQ(Line(1), "相手を倒しました。");
}

TEST_F(AttackTest, NegativeDamageIsDealtAndReportedAsZero) {
    test::OpenGroup(pawn, 1);
    pawn.speed = 0;
    pawn.defence = 100;
    hero.attack = 0;
    abilityTable.abilities[0].power = 0;
    abilityTable.abilities[0].accuracy = 0;
    SeedWhere([&] { return ForecastHeroBlow(pawn).damage < 0; });
    headless::Key(kKeyEnter);
    RunScript([&] { EXPECT_EQ(HeroBlow(pawn), kContinue); });
    EXPECT_EQ(pawn.hpSlots[0], 20);
    EXPECT_EQ(messageWindow.history[0], " ");  // acknowledged and cleared
    // The enemy's side: the hero keeps his hit points.
    pawn.attack = 0;
    hero.defence = 100;
    hero.speed = 0;
    pawn.speed = 100;
    abilityTable.abilities[0].accuracy = 0;
    SeedWhere([&] { return !ForecastEnemyBlow(pawn).evaded && ForecastEnemyBlow(pawn).damage < 0; });
    hero.hp = 50;
    RunScript([&] { EnemyBlow(pawn); });
    EXPECT_EQ(hero.hp, 50);
    EXPECT_EQ(Line(1), "主人公に0のダメージ!!");
}

TEST_F(AttackTest, VictoryWithALevelUp) {
    test::OpenGroup(pawn, 1);
    pawn.speed = 0;
    pawn.hpSlots[0] = 1;
    hero.exp = 90;
    hero.nextExp = 100;
    hero.hp = 40;
    SeedBattleRandom(77);
    headless::Key(kKeyEnter);
    RunScript([&] { EXPECT_EQ(HeroBlow(pawn), kVictory); });
    EXPECT_EQ(headless::KeysLeft(), 1u);  // no key wait after the level-up panel
    EXPECT_GE(hero.level, 2);
    EXPECT_LT(hero.exp, hero.nextExp);
    EXPECT_EQ(hero.hp, hero.maxHp);
    EXPECT_GT(hero.maxHp, 100);
    EXPECT_GT(hero.attack, 10);
    EXPECT_EQ(heroSnapshot.level, 1);
    EXPECT_EQ(heroSnapshot.maxHp, 100);
    EXPECT_GE(heroSnapshot.exp, 45u);  // the gain, for the panel (39 + 0 + 6 at least)
    EXPECT_EQ(Line(1), "主人公がレベルアップしました。");
    EXPECT_EQ(Line(2), "経験値" + std::to_string(heroSnapshot.exp) + "を得ました。");
}

TEST_F(AttackTest, LevelUpKeepsOnlyTheExperienceBeyondTheThreshold) {
    // A kind worth 1 point: the gain is 1 whatever the draw.
    EnemyStatus cheap;
    cheap.maxHp = 1;
    cheap.speed = 0;
    test::OpenGroup(cheap, 1);
    hero.exp = 99;
    hero.nextExp = 100;
    hero.level = 1;
    SeedBattleRandom(5);
    RunScript([&] { HeroBlow(cheap); });
    EXPECT_EQ(hero.level, 2);
    EXPECT_EQ(hero.exp, 0u);
    EXPECT_EQ(heroSnapshot.exp, 1u);
    // The new threshold follows the grown stats at level 2.
    int sum = hero.maxHp + hero.attack + hero.defence + hero.magicAttack + hero.magicDefence + hero.speed;
    int t = sum * 2;
    t = t % 100 >= 50 ? t - t % 100 + 100 : t - t % 100;
    EXPECT_EQ(hero.nextExp, static_cast<std::uint32_t>(t));
}

TEST_F(AttackTest, SeveralLevelsAtOnce) {
    test::OpenGroup(pawn, 1);
    pawn.speed = 0;
    pawn.hpSlots[0] = 1;
    hero.exp = 5000;
    hero.nextExp = 60;
    SeedBattleRandom(3);
    RunScript([&] { HeroBlow(pawn); });
    EXPECT_GE(hero.level, 4);
    EXPECT_LT(hero.exp, hero.nextExp);
    EXPECT_GE(hero.attack, 10 + hero.level - 1);  // every level adds at least 1
    EXPECT_EQ(hero.hp, hero.maxHp);
}

TEST_F(AttackTest, ItemsThatWouldTakeMoreThanTheGainGiveNothing) {
    test::OpenGroup(pawn, 1);
    pawn.speed = 0;
    pawn.hpSlots[0] = 1;
    battle.itemsUsed = 100;
    hero.exp = 10;
    hero.nextExp = 1000;
    headless::Key(kKeyEnter);
    HeroBlow(pawn);
    EXPECT_EQ(hero.exp, 10u);
    EXPECT_EQ(Line(1), "経験値0を得ました。");
}

TEST_F(AttackTest, HeroFallsAtThreeHpToABlowOfFive) {
    test::OpenGroup(pawn, 3);
    hero.hp = 3;
    hero.speed = 0;
    pawn.speed = 50;
    SeedWhere([&] { return !ForecastEnemyBlow(pawn).evaded && ForecastEnemyBlow(pawn).damage == 5; });
    headless::Key(kKeyEnter);
    EXPECT_EQ(EnemiesTurn(pawn), kHeroFell);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(battle.actionCount, 1);  // the other two did not strike
    EXPECT_EQ(Line(1), "GAME OVER");
    EXPECT_EQ(Line(2), "相手に敗れました。");
    EXPECT_EQ(Line(3), "主人公に5のダメージ!!");
    EXPECT_EQ(Line(4), "ポーンの攻撃!!");
    EXPECT_EQ(Row(14, 12, 2), "0 ");
    EXPECT_FALSE(Screen().CursorVisible());
}

TEST_F(AttackTest, FourEnemiesStrikeInTurnEachWithItsOwnWait) {
    test::OpenGroup(pawn, 4);
    hero.defence = 1000;
    hero.hp = 100;
    SeedBattleRandom(21);
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter});
    bool ended = false;
    try {
        EnemiesTurn(pawn);
    } catch (const headless::ScriptEnded&) {
        ended = true;
    }
    EXPECT_TRUE(ended);  // a fourth blow still waited
    EXPECT_EQ(battle.actionCount, 4);

    battle.actionCount = 0;
    headless::Reset();
    headless::Keys({kKeyEnter, kKeyEnter, kKeyEnter, kKeyEnter});
    EXPECT_EQ(EnemiesTurn(pawn), kContinue);
    EXPECT_EQ(battle.actionCount, 4);
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

TEST_F(AttackTest, EnemyBlowAnnouncesTheKindAndCountsDown) {
    test::OpenGroup(pawn, 1);
    hero.speed = 0;
    pawn.speed = 50;
    pawn.attack = 20;
    SeedWhere([&] { return !ForecastEnemyBlow(pawn).evaded; });
    int damage = ForecastEnemyBlow(pawn).damage;
    RunScript([&] { EnemyBlow(pawn); });
    EXPECT_EQ(hero.hp, 100 - damage);
    EXPECT_EQ(Line(1), "主人公に" + std::to_string(damage) + "のダメージ!!");
    EXPECT_EQ(Line(2), "ポーンの攻撃!!");
}

TEST_F(AttackTest, HeroEvadingShowsItsMessage) {
    test::OpenGroup(pawn, 1);
    hero.speed = 1000;
    pawn.speed = 1;
    RunScript([&] { EnemyBlow(pawn); });
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Line(1), "攻撃を回避しました。");
}

TEST_F(AttackTest, AbilityOutsideTheTableStrikesWithTheFirst) {
    test::OpenGroup(pawn, 1);
    hero.speed = 0;
    pawn.speed = 50;
    pawn.ability = 0;
    SeedBattleRandom(31);
    RunScript([&] { EnemyBlow(pawn); });
    const std::int16_t withFirst = hero.hp;
    for (std::int16_t bad : {std::int16_t{5}, std::int16_t{-1}, std::int16_t{300}}) {
        hero.hp = 100;
        headless::Reset();
        pawn.ability = bad;
        SeedBattleRandom(31);
        RunScript([&] { EnemyBlow(pawn); });
        EXPECT_EQ(hero.hp, withFirst) << bad;
    }
}

}  // namespace
}  // namespace rf
