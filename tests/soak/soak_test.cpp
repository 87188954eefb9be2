// Long runs of the real game on the default world and on a hostile one:
// random keys at random times for an hour of game time, with the records
// checked at every key the game reads and after every main-loop pass.
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

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

// Ends the run at the first broken rule.
void Require(bool ok, const char* what) {
    if (!ok) throw std::logic_error(what);
}

// At every key the game reads; outside battles the battle record is zero.
void Check(bool betweenPasses) {
    Require(hero.mapNumber >= 1 && hero.mapNumber <= 9, "map number 1 to 9");
    Require(hero.fieldX >= 0 && hero.fieldX <= 58 && hero.fieldY >= 0 && hero.fieldY <= 19, "hero inside the map");
    Require(fieldEnemies.count >= 0 && fieldEnemies.count <= FieldEnemyList::kCapacity, "enemy count 0 to 5");
    int running = 0;
    for (const EffectSlot* slots : {itemEffects.proteinSlots, itemEffects.bucklerSlots})
        for (int i = 0; i < 3; ++i) {
            if (slots[i].turnsLeft == -1) continue;
            Require(slots[i].turnsLeft >= 1 && slots[i].turnsLeft <= 11, "effect turns 1 to 11");
            Require(slots[i].row >= 0 && slots[i].row <= 2 && itemEffects.rowInUse[slots[i].row] == 1,
                    "a running effect's row 0 to 2 and in use");
            ++running;
        }
    Require(itemEffects.activeEffects >= 0 && itemEffects.activeEffects <= 3, "active effects 0 to 3");
    Require(itemEffects.activeEffects == running, "active effects = running slots");
    Require(battle.commandCursor >= 0 && battle.commandCursor <= 3 && battle.abilityCursor >= 0 &&
                battle.abilityCursor <= 4 && battle.itemCursor >= 0 && battle.itemCursor <= 2,
            "cursors in range");
    Require(battle.remaining >= 0 && battle.remaining <= 7 && battle.defeatedCount >= 0 && battle.defeatedCount <= 7,
            "remaining and defeated 0 to 7");
    Require(console.x >= 0 && console.x < 80 && console.y >= 0 && console.y < 32, "the cursor inside the buffer");
    // A key is never read while an animation has moved an origin.
    Require(battleLeft == kBattleLeftRest && heroPanelLeft == kHeroPanelLeftRest && menuTop == 0,
            "battleLeft 25, heroPanelLeft 1, menuTop 0 at a key");
    if (!betweenPasses) return;
    Require(battle.remaining == 0 && battle.actionCount == 0 && battle.defeatedCount == 0 && battle.itemsUsed == 0 &&
                battle.commandCursor == 0 && battle.abilityCursor == 0 && battle.itemCursor == 0,
            "battle record zero outside battles");
    for (std::int16_t d : battle.defeated) Require(d == 0, "no fallen flags outside battles");
}

// Keys as a restless player gives them: mostly arrows, acknowledgements
// and commands, with bare scan codes, letters and junk among them.
void QueueKeys(std::mt19937& rng, std::int64_t untilMs) {
    std::uniform_int_distribution<int> gap(0, 700), pick(0, 99), scan(0, 3), run(1, 10), byte(0, 255);
    const int scans[4] = {headless::kUp, headless::kDown, headless::kLeft, headless::kRight};
    for (std::int64_t t = 0; t < untilMs;) {
        t += gap(rng);
        const int p = pick(rng);
        if (p < 42) {
            // A run of the same arrow, the way a player crosses a map.
            const int s = scans[scan(rng)];
            for (int n = run(rng); n > 0; --n, t += gap(rng) / 4) headless::Arrow(s, t);
        } else if (p < 45) {
            headless::Key(0, t);
            headless::Key(scans[scan(rng)], t);
        } else {
            // Acknowledgements, bare scan codes, the letters they share a code with, junk.
            headless::Key(p < 65   ? headless::kEnter
                          : p < 72 ? headless::kSpace
                          : p < 78 ? (p % 2 ? headless::kLeft : headless::kRight)
                          : p < 88 ? "HKMP"[scan(rng)]
                                   : byte(rng),
                          t);
        }
    }
}

// Data the loaders accept but nobody would write: zero and huge stats,
// names and symbols at their length limits, counts above the list, marks
// and the strip at the edges of the world.
// The rest is the default world's.
void WriteHostileWorld(const TempDir& dir) {
    std::filesystem::copy(RANKS_WORLD_DIR, dir.Path(), std::filesystem::copy_options::recursive);
    // A 15-byte name, 1 hit point, no defence, experience at its top, the
    // highest level, 32767 potions, counts above 5 and below 0, a start cell
    // on the edge.
    dir.WriteText("Hero_Info/Hero_Status_Info.txt",
                  "アレンアレンアx\n1 32767 0 0 0 0\n0 4294967295 32767\n0 0 0 0\n"
                  "1 32767 2 9 3 -3\n58 10\n");
    dir.WriteText("Enemy_Info/Pawn_Status_Info.txt", "ポーンポーンポーンx 1 ◎x 0 7 0 0 0 0 0 0 0\n");
    dir.WriteText("Enemy_Info/Knight_Status_Info.txt",
                  "ナイトナイトナイトナイ2 2 △△ 0 0 32767 32767 32767 32767 32767 32767 4\n");
    dir.WriteText("Enemy_Info/Bishop_Status_Info.txt", "ビショップビショップx 3 ○ 0 -4 5 3 0 0 0 0 9\n");
    dir.WriteText("Enemy_Info/Rook_Status_Info.txt", "ルーク 4 abc 0 1 2 1 1 -1 -1 32767 -1\n");
    dir.WriteText("Abilities/SwordCut.txt", "ソードカットソードカッ 0 0 0\n");
    dir.WriteText("Abilities/Flame.txt", "フレイム 0 32767 32767\n");
    dir.WriteText("Abilities/BigRevolveSword.txt", "Big 0 -5 -5\n");
    // The Queen in the world's last cell, the King in its first, the strip
    // running off the right edge of map 3; the game starts on map 5.
    dir.Write("map_info/map1.txt", "9 59 20\n1 1 1\n3 52 0\n5\n");
    // Walls everywhere but row 10 and columns 30 and 31, which lead on to
    // the neighbouring maps; lines end in CR LF.
    std::string corridors;
    for (int y = 0; y < 20; ++y) {
        std::string line(59, y == 10 ? ' ' : '#');
        line[30] = line[31] = ' ';
        corridors += line + "\r\n";
    }
    for (int n = 1; n <= 9; ++n) dir.Write("map_form/map1/" + std::to_string(n) + ".txt", n == 5 ? "" : corridors);
    // Seven enemies for a list of five, groups of 1 and 7 and beyond, kinds
    // outside 1 to 4, cells off the map and on its corners.
    dir.Write("map_info/map1/5.txt",
              "7\n1 1 10 10\n2 7 50 3\n7 9 58 19\n0 0 -4 0\n-3 1 30 70\n4 7 2 2\n3 3 20 10\n");
    dir.Write("map_info/map1/1.txt", "1\n1 7 0 0\n");
    dir.Write("map_info/map1/2.txt", "3\n3 7 30 0\n4 1 50 10\n1 7 30 19\n");
    dir.Write("map_info/map1/3.txt", "-2\n1 1 30 10\n");
    dir.Write("map_info/map1/4.txt", "6\n1 1 40 10\n2 2 42 12\n3 3 44 14\n4 4 46 16\n1 5 48 18\n2 6 50 10\n");
    dir.Write("map_info/map1/6.txt", "2\n2 7 30 5\n");
    dir.Write("map_info/map1/7.txt", "5\n1 1 0 10\n1 1 58 10\n4 7 30 0\n4 7 30 19\n3 1 10 10\n");
    dir.Write("map_info/map1/8.txt", "0\n");
    dir.Write("map_info/map1/9.txt", "3 4 7 56 10 4 7 30 1\n");  // one line; the third enemy is missing
    // Full-width text shifted by one byte: the mini-map window starts inside characters.
    std::string mini;
    for (int y = 0; y < 9; ++y) mini += "x" + ToCp932("＃＿＃＿＃＿＃＿＃") + "\n";
    dir.Write("mini_map/map1.txt", mini);
}

// An hour of game time for each world and seed; a run takes well under a second.
class SoakTest : public GameTest, public ::testing::WithParamInterface<std::tuple<bool, unsigned>> {};

TEST_P(SoakTest, PlaysAnHourOfRandomKeys) {
    const auto [hostile, seed] = GetParam();
    TempDir dir;
    if (hostile) WriteHostileWorld(dir);
    dataRoot = hostile ? dir.Path().string() : std::string(RANKS_WORLD_DIR);
    std::mt19937 rng(seed);
    QueueKeys(rng, kHour);
    headless::RunUntil(kHour);
    // Enemies keep the game busy after the last key; a minute later the run stops.
    headless::SetLimits(kMaxPolls, kHour + kMinute);
    std::uint64_t keysRead = 0, battleKeys = 0;
    headless::SetKeyObserver([&] {
        ++keysRead;
        if (battle.remaining != 0) ++battleKeys;
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
    } catch (const headless::ExitCalled& e) {
        ADD_FAILURE() << "the game stopped with status " << e.status << " at " << headless::NowMs() << " ms";
    } catch (const std::logic_error& b) {
        ADD_FAILURE() << b.what() << ", broken after " << keysRead << " keys at " << headless::NowMs() << " ms";
    }
    headless::SetKeyObserver(nullptr);
    std::printf("[ soak ] %s world: %lld ms, %llu keys, %llu in battle, %u enemy-list loads\n", hostile ? "hostile" : "default",
                static_cast<long long>(headless::NowMs()), static_cast<unsigned long long>(keysRead),
                static_cast<unsigned long long>(battleKeys), fieldEnemies.loads);
    EXPECT_GE(headless::NowMs(), kHour);
    EXPECT_GT(keysRead, static_cast<std::uint64_t>(kHour / 1000));
    EXPECT_GT(battleKeys, 0u);
    EXPECT_GT(fieldEnemies.loads, 1u);
    // Every key was taken: no part of the game stopped reading them.
    EXPECT_EQ(headless::KeysLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(WorldsAndSeeds, SoakTest, ::testing::Combine(::testing::Bool(), ::testing::Range(1u, 9u)));

}  // namespace
}  // namespace rf::test
