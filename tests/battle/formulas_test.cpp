// The battle's formulas (the spread, damage, evasion and flight,
// experience, growth), and blows struck with them.
#include "battle/formulas.h"

#include "battle/attack.h"
#include "battle_fixtures.h"

namespace rf {
namespace {

using test::SeedSoNextDrawIs;
using FormulasTest = test::BattleTest;

TEST_F(FormulasTest, SpreadForMZero) {
    // 0 covers -1 < x < 1 (k 31..49): twice as many draws as its neighbours.
    const int cases[][2] = {{0, -4}, {1, -3}, {10, -3}, {50, 1}, {100, 6}, {101, -4}, {30, -1}, {31, 0}, {49, 0}};
    for (auto [k, spread] : cases) {
        SeedSoNextDrawIs(k);
        EXPECT_EQ(SpreadTerm(0), spread) << k;
    }
}

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
    pawn.maxHp = 41;  // a sum of 60
    for (auto [draw, expected] : {std::pair{0, 70}, {59, 129}, {60, 70}}) {
        SeedSoNextDrawIs(draw);
        EXPECT_EQ(KillExperience(pawn), expected) << draw;
    }
    EXPECT_EQ(KillExperience(EnemyStatus{}), 0);  // a sum of 0 does not divide
    // BattleState{remaining, actions, defeated, items}
    EXPECT_EQ(VictoryExperience(100, {0, 39, 3, 0}), 300);
    EXPECT_EQ(VictoryExperience(100, {0, 40, 3, 0}), 272);  // / 1.1
    EXPECT_EQ(VictoryExperience(100, {0, 10, 3, 2}), 290);
    EXPECT_EQ(VictoryExperience(30000, {0, 0, 3, 0}), 24464);  // the product is 16-bit
    EXPECT_EQ(VictoryExperience(70, {0, 0, 1, 20}), 0);        // never below 0
}

TEST_F(FormulasTest, NextExpThresholdRounding) {
    const int cases[][3] = {{57, 1, 60}, {61, 2, 100}, {75, 2, 200}, {9, 1, 9}, {149, 1, 100}, {65499, 1, 65500}};
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

}  // namespace
}  // namespace rf
