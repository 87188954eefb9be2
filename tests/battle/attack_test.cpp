#include "battle/attack.h"

#include "battle_fixtures.h"

namespace rf {
namespace {

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

}  // namespace
}  // namespace rf
