#include "battle/formulas.h"

#include <cmath>

namespace rf {
namespace {

// A divisor or modulus of 0 only comes from broken data; 1 keeps the rule
// defined and leaves the other terms as they are.
int NonZero(int n) { return n == 0 ? 1 : n; }
long long NonZero(long long n) { return n == 0 ? 1 : n; }

int Mod(int r, int n) { return r % NonZero(n); }

std::int16_t Cut16(long long v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }

// Truncation toward zero, through a wide integer so that no finite value of
// the rules can overflow before the 16-bit cut.
long long Trunc(double v) { return static_cast<long long>(std::trunc(v)); }

}  // namespace

void SeedBattleRandom(std::uint32_t seed) { battleRandom.state = seed; }

int DrawBattleRandom() {
    battleRandom.state = battleRandom.state * 214013u + 2531011u;
    return static_cast<int>((battleRandom.state >> 16) & 0x7FFFu);
}

int SpreadTerm(int m) {
    if (m < 0) m = 0;  // levels are read as non-negative
    int k = Mod(DrawBattleRandom(), 2 * m + 101);
    return static_cast<int>(Trunc(static_cast<double>(k) / (2 * m + 100) * 10 - 4));
}

std::int16_t HeroDamage(const HeroStatus& h, const EnemyStatus& e, const AbilityInfo& a) {
    int spread = SpreadTerm(h.level);
    int base = h.attack * a.power + a.accuracy;
    double t1 = static_cast<double>(base) / NonZero(static_cast<int>(e.defence));
    double t2 =
        static_cast<double>(h.exp) / static_cast<double>(NonZero(static_cast<long long>(e.defence) * e.magicDefence));
    return Cut16(Trunc(t1 + t2 + spread));
}

std::int16_t EnemyDamage(const HeroStatus& h, const EnemyStatus& e, const AbilityInfo& a) {
    int spread = SpreadTerm(h.level * 2 / 3);
    int base = e.attack * a.power + a.accuracy;
    double t1 = static_cast<double>(base) / NonZero(static_cast<int>(h.defence));
    std::uint32_t g = h.exp * 2u / 3u;
    double t2 =
        static_cast<double>(g) / static_cast<double>(NonZero(static_cast<long long>(h.defence) * h.magicDefence));
    return Cut16(Trunc(t1 + t2 + spread));
}

int EvadeCheck(int defenderSpeed, int attackerSpeed, int accuracy) {
    std::int16_t d = Cut16(defenderSpeed + defenderSpeed / 2 + Mod(DrawBattleRandom(), defenderSpeed + 1));
    std::int16_t hit =
        Cut16(static_cast<long long>(attackerSpeed) * accuracy + Mod(DrawBattleRandom(), attackerSpeed + 1));
    return d > hit ? 1 : 0;
}

std::int16_t FleeWeight(const EnemyStatus& e, int remaining) { return Cut16(Trunc(e.speed * (remaining * 3.0 / 4.0))); }

int FleeCheck(int heroSpeed, int fleeWeight, int level) {
    std::int16_t p = Cut16(2LL * heroSpeed * level + Mod(DrawBattleRandom(), heroSpeed + 1));
    std::int16_t q = Cut16(4LL * fleeWeight * level + Mod(DrawBattleRandom(), fleeWeight + 1));
    return p > q ? 1 : 0;
}

std::int16_t KillExperience(const EnemyStatus& e) {
    int s = e.maxHp + e.attack + e.defence + e.magicAttack + e.magicDefence + e.speed;
    return Cut16(s + Mod(DrawBattleRandom(), s) + s / 6);
}

std::uint16_t VictoryExperience(std::int16_t killExperience, const BattleState& b) {
    auto e = static_cast<std::uint16_t>(static_cast<std::uint16_t>(killExperience) *
                                        static_cast<std::uint16_t>(b.defeatedCount));
    if (b.actionCount >= 40) {
        int q = b.actionCount / 10;
        e = static_cast<std::uint16_t>(Trunc(e / (q * 1.1 / 4.0)));
    }
    // Items cost 5 each, but never more than the battle brought.
    int cost = 5 * b.itemsUsed;
    if (cost < 0) cost = 0;
    return cost >= e ? std::uint16_t{0} : static_cast<std::uint16_t>(e - cost);
}

void NextExpThreshold(HeroStatus& h) {
    long long sum = static_cast<long long>(h.maxHp) + h.attack + h.defence + h.magicAttack + h.magicDefence + h.speed;
    int t = static_cast<std::uint16_t>((sum * h.level) & 0xFFFF);
    if (t >= 10 && t <= 99) t = t % 10 >= 5 ? t - t % 10 + 10 : t - t % 10;
    if (t >= 100) t = t % 100 >= 50 ? t - t % 100 + 100 : t - t % 100;
    h.nextExp = static_cast<std::uint32_t>(t);
}

void LevelUpGrowth(HeroStatus& h) {
    int c = static_cast<int>((h.exp - h.nextExp) % 300u);
    int g = DrawBattleRandom() % 5 + 3;
    if (c > DrawBattleRandom() % 300) ++g;
    h.maxHp = Cut16(h.maxHp + g);
    std::int16_t* stats[] = {&h.attack, &h.defence, &h.magicAttack, &h.magicDefence, &h.speed};
    for (std::int16_t* stat : stats) {
        g = DrawBattleRandom() % 4 - 1;
        if (c > DrawBattleRandom() % 300) ++g;
        if (g <= 0) g = 1;
        *stat = Cut16(*stat + g);
    }
}

}  // namespace rf
