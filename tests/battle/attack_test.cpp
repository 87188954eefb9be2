#include "battle/attack.h"

#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"

namespace rf {
namespace {

using AttackTest = test::BattleTest;

TEST_F(AttackTest, BlowThatExactlyFellsTheOnlyEnemyWins) {
    test::OpenGroup(pawn, 1);
    hero.nextExp = 100000;
    hero.attack = 50;  // a protein's bonus: victory puts back the saved values
    hero.defence = 60;
    test::SeedWhere([&] { return test::Forecast(true, pawn).value_or(0) > 0; });
    pawn.hpSlots[0] = static_cast<std::int16_t>(*test::Forecast(true, pawn));
    headless::Key(kKeyEnter);
    EXPECT_EQ(HeroBlow(pawn), kVictory);
    EXPECT_EQ(headless::KeysLeft(), 0u);
    EXPECT_EQ(battle.defeated[0], 1);
    EXPECT_EQ(hero.attack, 10);
    EXPECT_EQ(hero.defence, 10);
    EXPECT_EQ(Line(1), "経験値" + std::to_string(hero.exp) + "を得ました。");
    EXPECT_EQ(Line(2), "戦闘に勝ちました。");
}

TEST_F(AttackTest, FallWhileOthersStandNeedsNoKey) {
    test::OpenGroup(pawn, 3);
    DrawFormation(pawn, 3);
    pawn.target = 2;
    battle.abilityCursor = 1;
    pawn.speed = 0;  // the blow always lands
    pawn.hpSlots[1] = 1;
    test::SeedWhere([&] { return test::Forecast(true, pawn).value_or(0) >= 1; });
    EXPECT_EQ(HeroBlow(pawn), kEnemyFell);  // would throw ScriptEnded on a key wait
    EXPECT_EQ(battle.remaining, 2);
    const std::int16_t expected[7] = {0, 1, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 7, battle.defeated));
    EXPECT_EQ(battle.abilityCursor, 0);
    EXPECT_EQ(Row(2, 25 + FormationCellOf(3, 1).column, 6), "◎    ");  // 2 erased, 1 stands
}

TEST_F(AttackTest, MissAndNegativeDamageLeaveTheTargetUnhurt) {
    test::OpenGroup(pawn, 2);
    pawn.speed = 1000;
    hero.speed = 1;
    RunScript([&] { HeroBlow(pawn); });  // stops at the wait
    EXPECT_EQ(Line(1), "攻撃を回避されました。");
    pawn.speed = pawn.attack = hero.attack = abilityTable.abilities[0].power = 0;
    abilityTable.abilities[0].accuracy = 0;
    pawn.defence = hero.defence = 100;
    test::SeedWhere([&] { return test::Forecast(true, pawn).value_or(0) < 0; });
    RunScript([&] { HeroBlow(pawn); });
    EXPECT_EQ(pawn.hpSlots[0], 20);
    EXPECT_EQ(Line(1), "相手に0のダメージ!!");
    hero.speed = 0;
    pawn.speed = 100;
    test::SeedWhere([&] { return test::Forecast(false, pawn).value_or(0) < 0; });
    RunScript([&] { EnemyBlow(pawn); });
    EXPECT_EQ(hero.hp, 100);
    EXPECT_EQ(Line(1), "主人公に0のダメージ!!");
}

TEST_F(AttackTest, VictoryWithLevelUps) {
    for (std::uint32_t exp : {90u, 5000u}) {
        SCOPED_TRACE(exp);
        SetUp();
        test::OpenGroup(pawn, 1);
        pawn.speed = 0;
        pawn.hpSlots[0] = 1;
        hero.exp = exp;
        hero.hp = 40;
        SeedBattleRandom(77);
        headless::Key(kKeyEnter);
        RunScript([&] { EXPECT_EQ(HeroBlow(pawn), kVictory); });
        EXPECT_EQ(headless::KeysLeft(), 1u);  // no key wait after the level-up panel
        EXPECT_GE(hero.level, exp > 1000 ? 4 : 2);
        EXPECT_LT(hero.exp, hero.nextExp);
        EXPECT_EQ(hero.hp, hero.maxHp);
        EXPECT_EQ(Line(1), "主人公がレベルアップしました。");
        EXPECT_EQ(Line(2), "経験値" + std::to_string(heroSnapshot.exp) + "を得ました。");
    }
}

TEST_F(AttackTest, HeroFallsAtThreeHpToABlowOfFive) {
    test::OpenGroup(pawn, 3);
    hero.hp = 3;
    hero.speed = 0;
    pawn.speed = 50;
    test::SeedWhere([&] { return test::Forecast(false, pawn) == 5; });
    headless::Key(kKeyEnter);
    EXPECT_EQ(EnemiesTurn(pawn), kHeroFell);
    EXPECT_EQ(hero.hp, 0);
    EXPECT_EQ(battle.actionCount, 1);  // the other two did not strike
    EXPECT_EQ(Line(1), "GAME OVER");
    EXPECT_EQ(Line(2), "相手に敗れました。");
}

TEST_F(AttackTest, AbilityOutsideTheTableStrikesWithTheFirst) {
    test::OpenGroup(pawn, 1);
    hero.speed = 0;
    pawn.speed = 50;
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

}  // namespace
}  // namespace rf
