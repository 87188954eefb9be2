// Shared set-up of the battle tests: a hero, a kind to fight, the five
// abilities, and ways to put the battle generator where a test needs it.
#pragma once

#include <cstdint>
#include <cstring>

#include "battle/formulas.h"
#include "core/game_state.h"
#include "core/sjis.h"
#include "test_support.h"

namespace rf::test {

// The sequence the generator must follow, kept apart from the game's code.
struct ReferenceRandom {
    std::uint32_t state;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

// Seeds the generator so that its next draw is r (0..32767).
inline void SeedSoNextDrawIs(int r) {
    constexpr std::uint32_t kInverse = 3115528533u;  // 214013 * kInverse = 1 mod 2^32
    std::uint32_t after = static_cast<std::uint32_t>(r) << 16;
    SeedBattleRandom((after - 2531011u) * kInverse);
}

inline void SetName(char* field, std::size_t capacity, std::string_view bytes) {
    std::memset(field, 0, capacity);
    std::memcpy(field, bytes.data(), bytes.size() < capacity - 1 ? bytes.size() : capacity - 1);
}

inline void SetUpHero() {
    SetName(hero.name, sizeof hero.name, "Hero");
    hero.maxHp = 100;
    hero.hp = 100;
    hero.attack = 10;
    hero.defence = 10;
    hero.magicAttack = 5;
    hero.magicDefence = 5;
    hero.speed = 10;
    hero.level = 1;
    hero.exp = 0;
    hero.nextExp = 60;
    hero.items[kPotion] = {1, 3};
    hero.items[kProtein] = {2, 3};
    hero.items[kBuckler] = {3, 3};
    hero.savedAttack = hero.attack;
    hero.savedDefence = hero.defence;
}

inline void SetUpAbilities() {
    const char* names[] = {"SwordCut", "Flame", "BigRevolveSword", "HellFlame", "AbsoluteObedience"};
    for (int i = 0; i < 5; ++i) {
        SetName(abilityTable.abilities[i].name, sizeof abilityTable.abilities[i].name, names[i]);
        abilityTable.abilities[i].power = static_cast<std::int16_t>(i + 1);
        abilityTable.abilities[i].accuracy = static_cast<std::int16_t>(i + 1);
    }
}

inline EnemyStatus MakePawn() {
    EnemyStatus e;
    SetName(e.name, sizeof e.name, "ポーン"_sj);
    SetName(e.symbol, sizeof e.symbol, "◎"_sj);
    e.kind = kPawn;
    e.target = 1;
    e.maxHp = 20;
    e.attack = 5;
    e.defence = 5;
    e.magicAttack = 2;
    e.magicDefence = 2;
    e.speed = 5;
    e.ability = 0;
    for (auto& slot : e.hpSlots) slot = e.maxHp;
    return e;
}

}  // namespace rf::test
