#include "battle/formulas.h"

#include "battle_fixtures.h"

namespace rf {
namespace {

using test::SeedSoNextDrawIs;
using FormulasTest = test::BattleTest;

TEST_F(FormulasTest, GeneratorFollowsItsSequenceForTwoSeeds) {
    const int expected[2][4] = {{38, 7719, 21238, 2437}, {41, 18467, 6334, 26500}};
    for (std::uint32_t seed : {0u, 1u}) {
        SeedBattleRandom(seed);
        for (int r : expected[seed]) EXPECT_EQ(DrawBattleRandom(), r) << seed;
    }
}

TEST_F(FormulasTest, SpreadForMZero) {
    // 0 covers -1 < x < 1 (k 31..49): twice as many draws as its neighbours.
    const int cases[][2] = {{0, -4}, {50, 1}, {100, 6}, {101, -4}, {30, -1}, {31, 0}, {49, 0}};
    for (auto [k, spread] : cases) {
        SeedSoNextDrawIs(k);
        EXPECT_EQ(SpreadTerm(0), spread) << k;
    }
    for (int k = 1; k <= 10; ++k) {
        SeedSoNextDrawIs(k);
        EXPECT_EQ(SpreadTerm(0), -3) << k;
    }
}

TEST_F(FormulasTest, DamageOfBothSides) {
    struct Case {
        bool enemyStrikes;
        int attack, level, defence, magicDefence, power, accuracy, draw, expected;
        std::uint32_t exp;
    } cases[] = {
        {false, 10, 1, 4, 5, 2, 3, 51, 8, 40},  // 23 / 4 + 40 / 20 + 1, cut from 8.75
        {false, 10, 0, 2, 2, 0, 1, 0, -3, 0},   // 0.5 - 4: cut toward zero
        {false, 16384, 0, 1, 2, 4, 0, 40, 0, 0},  // 65536 is cut to 16 bits
        {false, 16384, 0, 1, 2, 4, -32768, 40, -32768, 0},
        {false, 10, 0, 0, 7, 2, 3, 40, 63, 40},  // zero divisors count as 1
        {false, 10, 0, 3, 0, 2, 3, 40, 47, 40},
        {true, 6, 3, 2, 5, 2, 1, 0, 4, 30},     // 6.5 + 20 / 10 - 4
        {true, 6, 3, 4, 5, 2, 1, 104, 10, 30},  // a doubled defence halves both terms
        {true, 4, 0, 0, 0, 2, 3, 40, 13, 3},
        {true, 0, 0, 1, 1, 0, 0, 40, 2, 0x80000003u},  // doubled, the experience wraps to 6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.expected);
        hero.level = static_cast<std::int16_t>(c.level);
        hero.exp = c.exp;
        AbilityInfo a{};
        a.power = static_cast<std::int16_t>(c.power);
        a.accuracy = static_cast<std::int16_t>(c.accuracy);
        const auto atk = static_cast<std::int16_t>(c.attack);
        const auto def = static_cast<std::int16_t>(c.defence);
        const auto mdef = static_cast<std::int16_t>(c.magicDefence);
        if (c.enemyStrikes) std::tie(pawn.attack, hero.defence, hero.magicDefence) = std::tie(atk, def, mdef);
        else std::tie(hero.attack, pawn.defence, pawn.magicDefence) = std::tie(atk, def, mdef);
        SeedSoNextDrawIs(c.draw);
        EXPECT_EQ(c.enemyStrikes ? EnemyDamage(hero, pawn, a) : HeroDamage(hero, pawn, a), c.expected);
    }
}

TEST_F(FormulasTest, EvadeAndFlee) {
    SeedBattleRandom(3);
    EXPECT_EQ(EvadeCheck(0, 0, 0), 0);   // a tie lands
    EXPECT_EQ(EvadeCheck(-1, -1, 0), 0);  // a speed of -1 divides by nothing
    EXPECT_EQ(FleeCheck(-1, -1, 1), 1);
    SeedBattleRandom(1);
    EXPECT_EQ(FleeCheck(0, 0, 5), 0);  // a tie fails
    SeedBattleRandom(0);  // draws 38, 7719: the defender's side comes first
    EXPECT_EQ(EvadeCheck(2, 1, 3), 1);
    int fled = 0;
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        SeedBattleRandom(seed);
        ASSERT_EQ(EvadeCheck(10, 10, 3), 0);  // 15..25 against 30..40
        ASSERT_EQ(EvadeCheck(10, 1, 1), 1);
        ASSERT_EQ(FleeCheck(10, 7, 2), 0);  // the level multiplies: P <= 50, Q >= 56
        fled += FleeCheck(10, 7, 1);
    }
    EXPECT_GT(fled, 0);
    EXPECT_LT(fled, 100);
    pawn.speed = 10;
    EXPECT_EQ(FleeWeight(pawn, 3), 22);
    pawn.speed = 20000;
    EXPECT_EQ(FleeWeight(pawn, 7), static_cast<std::int16_t>(105000 - 131072));
}

TEST_F(FormulasTest, KillExperienceRange) {
    pawn.maxHp = 41;  // a sum of 60
    for (auto [draw, expected] : {std::pair{0, 70}, {59, 129}, {60, 70}}) {
        SeedSoNextDrawIs(draw);
        EXPECT_EQ(KillExperience(pawn), expected) << draw;
    }
    EXPECT_EQ(KillExperience(EnemyStatus{}), 0);  // a sum of 0 does not divide
}

TEST_F(FormulasTest, VictoryExperience) {
    struct Case {
        int kill, defeated, actions, items, expected;
    } cases[] = {
        {100, 3, 39, 0, 300}, {100, 3, 40, 0, 272}, {100, 3, 85, 0, 136}, {100, 3, 10, 2, 290},
        {30000, 3, 0, 0, 24464},  // the product is 16-bit
        {70, 1, 0, 20, 0}, {70, 1, 0, 14, 0}, {70, 1, 0, 13, 5},  // never below 0
    };
    for (const Case& c : cases) {
        BattleState b;
        b.defeatedCount = static_cast<std::int16_t>(c.defeated);
        b.actionCount = static_cast<std::int16_t>(c.actions);
        b.itemsUsed = static_cast<std::int16_t>(c.items);
        EXPECT_EQ(VictoryExperience(static_cast<std::int16_t>(c.kill), b), c.expected) << c.actions << " " << c.items;
    }
}

TEST_F(FormulasTest, NextExpThresholdRounding) {
    const int cases[][3] = {{57, 1, 60}, {61, 2, 100}, {75, 2, 200}, {9, 1, 9},    {45, 1, 50},
                            {44, 1, 40}, {149, 1, 100}, {150, 1, 200}, {65499, 1, 65500}};
    for (auto [sum, level, expected] : cases) {
        hero.defence = hero.magicAttack = hero.magicDefence = hero.speed = 1;
        hero.maxHp = static_cast<std::int16_t>(std::min(sum - 4, 32767));
        hero.attack = static_cast<std::int16_t>(sum - 4 - hero.maxHp);
        hero.level = static_cast<std::int16_t>(level);
        NextExpThreshold(hero);
        EXPECT_EQ(hero.nextExp, static_cast<std::uint32_t>(expected)) << sum << " at " << level;
    }
}

TEST_F(FormulasTest, LevelUpGrowth) {
    constexpr std::int16_t HeroStatus::*kFields[] = {&HeroStatus::maxHp, &HeroStatus::attack,
        &HeroStatus::defence, &HeroStatus::magicAttack, &HeroStatus::magicDefence, &HeroStatus::speed};
    struct Case {
        std::uint32_t beyond;
        int growth[6];
    } cases[] = {{0, {4, 1, 1, 1, 1, 1}}, {299, {5, 2, 1, 2, 2, 1}}, {750, {4, 2, 1, 1, 1, 1}}};
    for (const Case& c : cases) {
        hero.exp = hero.nextExp + c.beyond;  // only the remainder of 300 gives a bonus
        const HeroStatus before = hero;
        SeedBattleRandom(1);
        LevelUpGrowth(hero);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(hero.*kFields[i] - before.*kFields[i], c.growth[i]) << c.beyond;
        EXPECT_EQ(DrawBattleRandom(), 23281);  // twelve draws taken
    }
    SeedBattleRandom(12345);
    for (std::uint32_t i = 0; i < 500; ++i) {
        hero.exp = hero.nextExp + i;
        const HeroStatus before = hero;
        LevelUpGrowth(hero);
        for (int f = 0; f < 6; ++f) {
            ASSERT_GE(hero.*kFields[f] - before.*kFields[f], f == 0 ? 3 : 1);
            ASSERT_LE(hero.*kFields[f] - before.*kFields[f], f == 0 ? 8 : 3);
        }
    }
}

}  // namespace
}  // namespace rf
