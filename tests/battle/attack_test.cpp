#include "battle/attack.h"

#include "battle/battle_state.h"
#include "battle_fixtures.h"
#include "console/battle_screen.h"

namespace rf {
namespace {

using AttackTest = test::BattleTest;

// A blow of exactly the target's hit points fells it: the last one wins,
// any other fells without a key and ends the turn.
TEST_F(AttackTest, BlowOfExactlyTheHitPointsFells) {
    for (int size : {1, 3}) {
        SCOPED_TRACE(size);
        SetUp();
        test::OpenGroup(pawn, size);
        DrawFormation(pawn, size);
        pawn.target = static_cast<std::int16_t>(size == 1 ? 1 : 2);
        hero.nextExp = 100000;
        battle.abilityCursor = 1;
        test::SeedWhere([&] { return test::Forecast(true, pawn).value_or(0) > 0; });
        pawn.hpSlots[pawn.target - 1] = static_cast<std::int16_t>(*test::Forecast(true, pawn));
        if (size == 1) headless::Key(kKeyEnter);
        EXPECT_EQ(HeroBlow(pawn), size == 1 ? kVictory : kEnemyFell);  // a key wait would throw
        EXPECT_EQ(headless::KeysLeft(), 0u);
        EXPECT_EQ(battle.defeated[pawn.target - 1], 1);
        EXPECT_EQ(battle.remaining, size - 1);
    }
    EXPECT_EQ(battle.abilityCursor, 0);
    EXPECT_EQ(Row(2, 25 + FormationCellOf(3, 1).column, 6), "◎    ");  // 2 erased, 1 stands
}

TEST_F(AttackTest, VictoryPutsBackTheSavedValuesAndLevelsUpWithoutAKeyAfterThePanel) {
    for (std::uint32_t exp : {0u, 90u, 5000u}) {
        SCOPED_TRACE(exp);
        SetUp();
        test::OpenGroup(pawn, 1);
        pawn.speed = 0;
        pawn.hpSlots[0] = 1;
        hero.nextExp = exp == 0 ? 100000 : hero.nextExp;
        hero.exp = exp;
        hero.hp = 40;
        hero.attack = 50, hero.defence = 60;  // a protein's and a buckler's bonus
        SeedBattleRandom(77);
        headless::Key(kKeyEnter);
        RunScript([&] { EXPECT_EQ(HeroBlow(pawn), kVictory); });
        if (exp == 0) {
            EXPECT_EQ(hero.attack * 100 + hero.defence, 1010);
            EXPECT_EQ(headless::KeysLeft(), 0u);
            EXPECT_EQ(Line(1) + Line(2), "経験値" + std::to_string(hero.exp) + "を得ました。戦闘に勝ちました。");
            continue;
        }
        EXPECT_EQ(headless::KeysLeft(), 1u);  // no key wait after the level-up panel
        EXPECT_GE(hero.level, exp > 1000 ? 4 : 2);
        EXPECT_LT(hero.exp, hero.nextExp);
        EXPECT_EQ(hero.hp, hero.maxHp);
        EXPECT_EQ(Line(1) + Line(2), "主人公がレベルアップしました。経験値" + std::to_string(heroSnapshot.exp) + "を得ました。");
    }
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
