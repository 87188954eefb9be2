// Shared set-up of the battle tests: a hero, a kind to fight, five
// abilities of rising power, and ways to put the battle generator where a test needs it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "battle/formulas.h"
#include "console/console.h"
#include "test_support.h"

namespace rf::test {

// Seeds the generator so that its next draw is r (0..32767).
inline void SeedSoNextDrawIs(int r) {
    constexpr std::uint32_t kInverse = 3115528533u;  // 214013 * kInverse = 1 mod 2^32
    SeedBattleRandom(((static_cast<std::uint32_t>(r) << 16) - 2531011u) * kInverse);
}

inline void SetName(char* field, std::size_t capacity, std::string_view bytes) {
    std::memset(field, 0, capacity);
    std::memcpy(field, bytes.data(), std::min(bytes.size(), capacity - 1));
}

inline EnemyStatus MakePawn() {
    EnemyStatus e;
    SetName(e.name, sizeof e.name, "ポーン"_sj);
    SetName(e.symbol, sizeof e.symbol, "◎"_sj);
    e.kind = kPawn, e.target = 1, e.maxHp = 20;
    e.attack = e.defence = e.speed = 5;
    e.magicAttack = e.magicDefence = 2;
    for (auto& slot : e.hpSlots) slot = e.maxHp;
    return e;
}

// The damage of the next blow (none when evaded), learned from the real
// formulas; the generator is put back so the blow itself draws the same numbers.
inline std::optional<int> Forecast(bool heroStrikes, const EnemyStatus& e) {
    const BattleRandom saved = battleRandom;
    const AbilityInfo& a = abilityTable.abilities[heroStrikes ? battle.abilityCursor : e.ability];
    const int evaded =
        heroStrikes ? EvadeCheck(e.speed, hero.speed, a.accuracy) : EvadeCheck(hero.speed, e.speed, a.accuracy);
    std::optional<int> damage;
    if (!evaded) damage = heroStrikes ? HeroDamage(hero, e, a) : EnemyDamage(hero, e, a);
    battleRandom = saved;
    return damage;
}

// Seeds the generator with the first seed from 1 on for which `wanted` holds.
template <typename F>
void SeedWhere(F wanted) {
    for (std::uint32_t seed = 1; seed < 100000; ++seed) {
        SeedBattleRandom(seed);
        if (wanted()) return SeedBattleRandom(seed);
    }
    ADD_FAILURE() << "no seed found";
}

// A battle of n enemies as RunBattle leaves it before the first command.
inline void OpenGroup(EnemyStatus& e, int n) {
    battle.remaining = static_cast<std::int16_t>(n);
    e.target = 1;
    for (auto& slot : e.hpSlots) slot = e.maxHp;
}

class BattleTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        SetName(hero.name, sizeof hero.name, "Hero");
        hero.maxHp = hero.hp = 100;
        hero.attack = hero.defence = hero.speed = hero.savedAttack = hero.savedDefence = 10;
        hero.magicAttack = hero.magicDefence = 5;
        hero.level = 1, hero.exp = 0, hero.nextExp = 60;
        hero.items[kPotion] = {1, 3}, hero.items[kProtein] = {2, 3}, hero.items[kBuckler] = {3, 3};
        std::int16_t power = 0;  // 1 to 5
        for (AbilityInfo& a : abilityTable.abilities) a.power = a.accuracy = ++power;
        pawn = MakePawn();
    }
    // Message line n (1 newest) as UTF-8 without trailing blanks, nor the
    // waiting mark at its right end.
    std::string Line(int n) {
        std::string row = Row(12 + n, 27, 49);
        return row.erase(row.find_last_not_of(' ') + 1);  // all blank: npos + 1 is 0
    }
    EnemyStatus pawn;
};

}  // namespace rf::test
