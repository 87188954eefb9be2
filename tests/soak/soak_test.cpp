// Long runs of the real game on the default world: random keys at random
// times for an hour of game time, with the records checked at every key the
// game reads and after every main-loop pass. (Hostile worlds are the whole-
// world fuzz target's.)
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

#include "core/game_state.h"
#include "core/startup.h"
#include "platform/headless/headless.h"
#include "test_support.h"

namespace rf::test {
namespace {

constexpr std::int64_t kMinute = 60'000;
constexpr std::int64_t kHour = 60 * kMinute;
// Far more than an hour of play needs (about ten million): a game that polls
// without ever taking a key or sleeping is stuck.
constexpr std::uint64_t kMaxPolls = 200'000'000;

void Require(bool ok, const char* what) {
    if (!ok) throw std::logic_error(what);
}

void Check(bool betweenPasses) {
    Require(hero.mapNumber >= 1 && hero.mapNumber <= 9, "map number 1 to 9");
    Require(hero.fieldX >= 0 && hero.fieldX <= 58 && hero.fieldY >= 0 && hero.fieldY <= 19, "hero inside the map");
    int running = 0;
    for (const EffectSlot* slots : {itemEffects.proteinSlots, itemEffects.bucklerSlots})
        for (int i = 0; i < 3; ++i) running += slots[i].turnsLeft != -1;
    Require(itemEffects.activeEffects == running && running <= 3, "active effects = running slots");
    // A key is never read while an animation has moved an origin.
    Require(battleLeft == kBattleLeftRest && heroPanelLeft == kHeroPanelLeftRest && menuTop == 0, "origins at rest");
    const BattleState clear{};
    Require(!betweenPasses || std::memcmp(&battle, &clear, sizeof battle) == 0, "battle record zero outside battles");
}

// Keys as a restless player gives them: mostly runs of arrows, then
// acknowledgements and commands, with bare scan codes, letters and junk.
void QueueKeys(std::mt19937& rng, std::int64_t untilMs) {
    std::uniform_int_distribution<int> gap(0, 700), pick(0, 99), scan(0, 3), run(1, 10), byte(0, 255);
    const int scans[4] = {headless::kUp, headless::kDown, headless::kLeft, headless::kRight};
    for (std::int64_t t = 0; t < untilMs;) {
        t += gap(rng);
        const int p = pick(rng);
        if (p < 45) {
            const int s = scans[scan(rng)];
            for (int n = run(rng); n > 0; --n, t += gap(rng) / 4) {
                headless::Key(p < 42 ? headless::kPrefix : 0, t);
                headless::Key(s, t);
            }
        } else {
            headless::Key(p < 65 ? headless::kEnter : p < 72 ? headless::kSpace : p < 88 ? "HKMP"[scan(rng)] : byte(rng), t);
        }
    }
}

class SoakTest : public GameTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(SoakTest, PlaysAnHourOfRandomKeys) {
    dataRoot = RANKS_WORLD_DIR;
    std::mt19937 rng(GetParam());
    QueueKeys(rng, kHour);
    headless::RunUntil(kHour);
    // Enemies keep the game busy after the last key; a minute later the run stops.
    headless::SetLimits(kMaxPolls, kHour + kMinute);
    std::uint64_t keysRead = 0, battleKeys = 0;
    headless::SetKeyObserver([&] {
        ++keysRead;
        battleKeys += battle.remaining != 0;
        Check(false);
    });
    try {
        StartUp();
        for (;;) {
            MainLoopPass();
            Check(true);
        }
    } catch (const headless::Watchdog& w) {
        // Only the end of the game time is expected; a poll limit is a hang.
        if (w.why != "virtual time limit") ADD_FAILURE() << "watchdog: " << w.why << " at " << headless::NowMs() << " ms";
    } catch (const headless::ScriptEnded&) {
    } catch (const std::logic_error& b) {
        ADD_FAILURE() << b.what() << ", broken after " << keysRead << " keys at " << headless::NowMs() << " ms";
    }
    headless::SetKeyObserver(nullptr);
    std::printf("[ soak ] %llu keys, %llu in battle, %u enemy-list loads\n", static_cast<unsigned long long>(keysRead),
                static_cast<unsigned long long>(battleKeys), fieldEnemies.loads);
    EXPECT_GT(battleKeys, 0u);
    EXPECT_GT(fieldEnemies.loads, 1u);
    // Every key was taken: no part of the game stopped reading them.
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SoakTest, ::testing::Range(1u, 9u));

}  // namespace
}  // namespace rf::test
