#include "battle/formulas.h"

#include <cmath>

#include "battle_fixtures.h"

namespace rf {
namespace {

using test::ReferenceRandom;
using test::SeedSoNextDrawIs;

class FormulasTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        test::SetUpHero();
        test::SetUpAbilities();
        pawn = test::MakePawn();
    }
    EnemyStatus pawn;
};

TEST_F(FormulasTest, GeneratorFollowsItsSequenceForTwoSeeds) {
    SeedBattleRandom(1);
    EXPECT_EQ(DrawBattleRandom(), 41);
    EXPECT_EQ(DrawBattleRandom(), 18467);
    EXPECT_EQ(DrawBattleRandom(), 6334);
    EXPECT_EQ(DrawBattleRandom(), 26500);
    SeedBattleRandom(0);
    EXPECT_EQ(DrawBattleRandom(), 38);
    EXPECT_EQ(DrawBattleRandom(), 7719);
    EXPECT_EQ(DrawBattleRandom(), 21238);
    EXPECT_EQ(DrawBattleRandom(), 2437);
    // A seed with the top bit set wraps the same way.
    ReferenceRandom ref{0xFFFFFFF0u};
    SeedBattleRandom(0xFFFFFFF0u);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(DrawBattleRandom(), ref.Next());
}

TEST_F(FormulasTest, SpreadForMZero) {
    SeedSoNextDrawIs(0);
    EXPECT_EQ(SpreadTerm(0), -4);
    for (int k : {1, 5, 10}) {
        SeedSoNextDrawIs(k);
        EXPECT_EQ(SpreadTerm(0), -3) << k;
    }
    SeedSoNextDrawIs(50);
    EXPECT_EQ(SpreadTerm(0), 1);
    SeedSoNextDrawIs(100);
    EXPECT_EQ(SpreadTerm(0), 6);
    SeedSoNextDrawIs(101);  // 101 mod 101
    EXPECT_EQ(SpreadTerm(0), -4);
    // 0 covers -1 < x < 1, k from 31 to 49: twice as many as its neighbours.
    SeedSoNextDrawIs(31);
    EXPECT_EQ(SpreadTerm(0), 0);
    SeedSoNextDrawIs(30);
    EXPECT_EQ(SpreadTerm(0), -1);
    SeedSoNextDrawIs(49);
    EXPECT_EQ(SpreadTerm(0), 0);
}

TEST_F(FormulasTest, HeroDamageMixesIntegerAndFloatingSteps) {
    hero.attack = 10;
    hero.exp = 40;
    hero.level = 1;  // m = 1: k = r mod 103, spread k / 102 * 10 - 4
    pawn.defence = 4;
    pawn.magicDefence = 5;
    AbilityInfo a{};
    a.power = 2;
    a.accuracy = 3;
    SeedSoNextDrawIs(51);  // spread 1
    // 23 / 4 = 5.75, 40 / 20 = 2, +1 = 8.75
    EXPECT_EQ(HeroDamage(hero, pawn, a), 8);
    SeedSoNextDrawIs(0);  // spread -4
    EXPECT_EQ(HeroDamage(hero, pawn, a), 3);
    // The spread is the only draw.
    SeedBattleRandom(7);
    HeroDamage(hero, pawn, a);
    ReferenceRandom ref{7};
    ref.Next();
    EXPECT_EQ(DrawBattleRandom(), ref.Next());
}

TEST_F(FormulasTest, DamageTruncatesTowardZeroAndCanBeNegative) {
    AbilityInfo a{};
    a.power = 0;
    a.accuracy = 1;
    hero.exp = 0;
    hero.level = 0;
    pawn.defence = 2;  // 1 / 2 = 0.5, spread -4: -3.5 is cut to -3
    SeedSoNextDrawIs(0);
    EXPECT_EQ(HeroDamage(hero, pawn, a), -3);
    a.accuracy = 0;
    SeedSoNextDrawIs(0);
    EXPECT_EQ(HeroDamage(hero, pawn, a), -4);
}

TEST_F(FormulasTest, DamageIsCutTo16Bits) {
    hero.attack = 16384;
    hero.exp = 0;
    hero.level = 0;
    pawn.defence = 1;
    AbilityInfo a{};
    a.power = 4;  // base 65536
    a.accuracy = 0;
    SeedSoNextDrawIs(40);  // spread 0
    EXPECT_EQ(HeroDamage(hero, pawn, a), 0);
    a.accuracy = -32768;  // base 65536 - 32768
    SeedSoNextDrawIs(40);
    EXPECT_EQ(HeroDamage(hero, pawn, a), 32768 - 65536);
}

TEST_F(FormulasTest, EnemyDamageUsesTwoThirdsOfTheLevelAndTheHerosDefence) {
    hero.level = 3;  // m = 2: k = r mod 105, spread k / 104 * 10 - 4
    hero.defence = 2;
    hero.magicDefence = 5;
    hero.exp = 30;  // g = 20, 20 / 10 = 2
    pawn.attack = 6;
    AbilityInfo a{};
    a.power = 2;
    a.accuracy = 1;  // base 13, 13 / 2 = 6.5
    SeedSoNextDrawIs(0);
    EXPECT_EQ(EnemyDamage(hero, pawn, a), 4);  // 6.5 + 2 - 4
    SeedSoNextDrawIs(104);
    EXPECT_EQ(EnemyDamage(hero, pawn, a), 14);  // 6.5 + 2 + 6
    hero.defence = 4;  // a doubled defence halves t1 and t2
    SeedSoNextDrawIs(104);
    EXPECT_EQ(EnemyDamage(hero, pawn, a), 10);  // 3.25 + 1 + 6
}

TEST_F(FormulasTest, EnemyDamageExperienceTermWrapsIn32Bits) {
    hero.level = 0;
    hero.defence = 1;
    hero.magicDefence = 1;
    hero.exp = 0x80000003u;  // doubled wraps to 6, two thirds of it 2
    AbilityInfo a{};
    pawn.attack = 0;
    SeedSoNextDrawIs(40);
    EXPECT_EQ(EnemyDamage(hero, pawn, a), 2);
}

TEST_F(FormulasTest, ZeroDivisorsCountAsOne) {
    AbilityInfo a{};
    a.power = 2;
    a.accuracy = 3;
    hero.attack = 10;
    hero.exp = 40;
    hero.level = 0;
    pawn.defence = 0;
    pawn.magicDefence = 7;
    SeedSoNextDrawIs(40);
    EXPECT_EQ(HeroDamage(hero, pawn, a), 23 + 40);  // both divisors taken as 1
    pawn.defence = 3;
    pawn.magicDefence = 0;
    SeedSoNextDrawIs(40);
    EXPECT_EQ(HeroDamage(hero, pawn, a), 7 + 40);  // 23 / 3 = 7.67, 40 / 1
    hero.defence = 0;
    hero.magicDefence = 0;
    hero.exp = 3;  // g = 2
    pawn.attack = 4;
    SeedSoNextDrawIs(40);
    EXPECT_EQ(EnemyDamage(hero, pawn, a), 11 + 2);
    // A kind whose six stats add up to 0 earns nothing rather than crashing.
    EnemyStatus empty;
    SeedBattleRandom(5);
    EXPECT_EQ(KillExperience(empty), 0);
}

TEST_F(FormulasTest, EvadeTieLandsAndRangesDecide) {
    // Both sides 0: a tie, the blow lands.
    SeedBattleRandom(3);
    EXPECT_EQ(EvadeCheck(0, 0, 0), 0);
    // Defender 15..25 against attacker 30..40: never evaded; against 1..2: always.
    SeedBattleRandom(11);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(EvadeCheck(10, 10, 3), 0);
        ASSERT_EQ(EvadeCheck(10, 1, 1), 1);
    }
}

TEST_F(FormulasTest, EvadeDrawsDefenderFirst) {
    // d = 2: D = 3 + r1 mod 3; a = 1, c = 3: H = 3 + r2 mod 2.
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        ReferenceRandom ref{seed};
        int dSide = 3 + ref.Next() % 3;
        int hSide = 3 + ref.Next() % 2;
        SeedBattleRandom(seed);
        ASSERT_EQ(EvadeCheck(2, 1, 3), dSide > hSide ? 1 : 0) << seed;
    }
}

TEST_F(FormulasTest, SpeedOfMinusOneDoesNotDivideByZero) {
    SeedBattleRandom(3);
    EXPECT_EQ(EvadeCheck(-1, -1, 0), 0);  // -1 + 0 + 0 against 0 + 0
    EXPECT_EQ(FleeCheck(-1, -1, 1), 1);   // -2 against -4
}

TEST_F(FormulasTest, FleeWeightCountsStandingEnemies) {
    pawn.speed = 10;
    EXPECT_EQ(FleeWeight(pawn, 1), 7);
    EXPECT_EQ(FleeWeight(pawn, 3), 22);
    EXPECT_EQ(FleeWeight(pawn, 0), 0);
    pawn.speed = 20000;
    EXPECT_EQ(FleeWeight(pawn, 7), static_cast<std::int16_t>(105000 - 131072));
}

TEST_F(FormulasTest, FleeTieFailsAndLevelMultipliesTheFixedParts) {
    SeedBattleRandom(1);
    EXPECT_EQ(FleeCheck(0, 0, 5), 0);
    int successes = 0;
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        SeedBattleRandom(seed);
        ASSERT_EQ(FleeCheck(10, 7, 2), 0) << seed;  // P <= 50, Q >= 56
        SeedBattleRandom(seed);
        successes += FleeCheck(10, 7, 1);  // P 20..30, Q 28..35
    }
    EXPECT_GT(successes, 0);
    EXPECT_LT(successes, 100);
}

TEST_F(FormulasTest, KillExperienceRange) {
    pawn.maxHp = 41;  // with 5, 5, 2, 2 and 5: a sum of 60
    SeedSoNextDrawIs(0);
    EXPECT_EQ(KillExperience(pawn), 70);
    SeedSoNextDrawIs(59);
    EXPECT_EQ(KillExperience(pawn), 129);
    SeedSoNextDrawIs(60);
    EXPECT_EQ(KillExperience(pawn), 70);
    SeedBattleRandom(42);
    for (int i = 0; i < 500; ++i) {
        int e = KillExperience(pawn);
        ASSERT_GE(e, 70);
        ASSERT_LE(e, 129);
    }
}

TEST_F(FormulasTest, VictoryExperienceActionsAndItems) {
    BattleState b;
    b.defeatedCount = 3;
    b.actionCount = 39;
    EXPECT_EQ(VictoryExperience(100, b), 300);
    b.actionCount = 40;
    EXPECT_EQ(VictoryExperience(100, b), 272);  // 300 / 1.1
    b.actionCount = 49;
    EXPECT_EQ(VictoryExperience(100, b), 272);
    b.actionCount = 85;
    EXPECT_EQ(VictoryExperience(100, b), 136);  // 300 / 2.2
    b.actionCount = 10;
    b.itemsUsed = 2;
    EXPECT_EQ(VictoryExperience(100, b), 290);
    // The product is 16-bit: 30000 * 3 = 90000 wraps to 24464.
    b.itemsUsed = 0;
    EXPECT_EQ(VictoryExperience(30000, b), 24464);
}

TEST_F(FormulasTest, VictoryExperienceNeverGoesBelowZero) {
    BattleState b;
    b.defeatedCount = 1;
    b.itemsUsed = 20;  // 100 taken off a gain of 70
    EXPECT_EQ(VictoryExperience(70, b), 0);
    b.itemsUsed = 14;  // exactly the gain
    EXPECT_EQ(VictoryExperience(70, b), 0);
    b.itemsUsed = 13;
    EXPECT_EQ(VictoryExperience(70, b), 5);
}

void SetSix(HeroStatus& h, int sum) {
    h.attack = h.defence = h.magicAttack = h.magicDefence = h.speed = 1;
    h.maxHp = static_cast<std::int16_t>(sum - 5);
}

TEST_F(FormulasTest, NextExpThresholdRounding) {
    struct Case {
        int sum, level;
        std::uint32_t expected;
    } cases[] = {
        {57, 1, 60}, {61, 2, 100}, {75, 2, 200}, {9, 1, 9}, {45, 1, 50}, {44, 1, 40},
        {95, 1, 100}, {149, 1, 100}, {150, 1, 200}, {10, 1, 10}, {5, 1, 5},
    };
    for (const Case& c : cases) {
        SetSix(hero, c.sum);
        hero.level = static_cast<std::int16_t>(c.level);
        NextExpThreshold(hero);
        EXPECT_EQ(hero.nextExp, c.expected) << c.sum << " at " << c.level;
    }
}

TEST_F(FormulasTest, NextExpThresholdIsUnsigned16Bit) {
    hero.maxHp = 32767;
    hero.attack = 32732;  // 65499
    hero.defence = hero.magicAttack = hero.magicDefence = hero.speed = 0;
    hero.level = 1;
    NextExpThreshold(hero);
    EXPECT_EQ(hero.nextExp, 65500u);
    SetSix(hero, 32796);  // 65592 wraps to 56
    hero.maxHp = 32767;
    hero.attack = 24;
    hero.defence = 5;
    hero.magicAttack = hero.magicDefence = hero.speed = 0;
    hero.level = 2;
    NextExpThreshold(hero);
    EXPECT_EQ(hero.nextExp, 60u);
}

TEST_F(FormulasTest, LevelUpGrowthExactDrawsAndBonus) {
    struct Case {
        std::uint32_t beyond;
        int growth[6];
    } cases[] = {
        {0, {4, 1, 1, 1, 1, 1}},
        {150, {4, 2, 1, 1, 1, 1}},
        {299, {5, 2, 1, 2, 2, 1}},
        {600 + 150, {4, 2, 1, 1, 1, 1}},  // only the remainder of 300 counts
    };
    for (const Case& c : cases) {
        test::SetUpHero();
        hero.nextExp = 100;
        hero.exp = 100 + c.beyond;
        HeroStatus before = hero;
        SeedBattleRandom(1);
        LevelUpGrowth(hero);
        EXPECT_EQ(hero.maxHp - before.maxHp, c.growth[0]) << c.beyond;
        EXPECT_EQ(hero.attack - before.attack, c.growth[1]) << c.beyond;
        EXPECT_EQ(hero.defence - before.defence, c.growth[2]) << c.beyond;
        EXPECT_EQ(hero.magicAttack - before.magicAttack, c.growth[3]) << c.beyond;
        EXPECT_EQ(hero.magicDefence - before.magicDefence, c.growth[4]) << c.beyond;
        EXPECT_EQ(hero.speed - before.speed, c.growth[5]) << c.beyond;
        EXPECT_EQ(DrawBattleRandom(), 23281);  // twelve draws taken, the thirteenth is next
    }
}

TEST_F(FormulasTest, LevelUpGrowthBounds) {
    SeedBattleRandom(12345);
    for (int i = 0; i < 500; ++i) {
        test::SetUpHero();
        hero.nextExp = 10;
        hero.exp = 10 + static_cast<std::uint32_t>(i);
        HeroStatus before = hero;
        LevelUpGrowth(hero);
        ASSERT_GE(hero.maxHp - before.maxHp, 3);
        ASSERT_LE(hero.maxHp - before.maxHp, 8);
        for (auto field : {&HeroStatus::attack, &HeroStatus::defence, &HeroStatus::magicAttack,
                           &HeroStatus::magicDefence, &HeroStatus::speed}) {
            ASSERT_GE(hero.*field - before.*field, 1);
            ASSERT_LE(hero.*field - before.*field, 3);
        }
    }
}

}  // namespace
}  // namespace rf
