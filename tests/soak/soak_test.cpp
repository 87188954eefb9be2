// Long runs of the real game on the default world and on a hostile one:
// random keys at random times for an hour of game time, with the records
// checked at every key the game reads and after every main-loop pass.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "core/game_state.h"
#include "core/startup.h"
#include "platform/headless.h"
#include "test_support.h"

namespace rf::test {
namespace {

constexpr std::int64_t kMinute = 60'000;
constexpr std::int64_t kHour = 60 * kMinute;
// Far more than an hour of play needs (about ten million): a game that polls
// without ever taking a key or sleeping is stuck.
constexpr std::uint64_t kMaxPolls = 200'000'000;

// Ends the run at the first broken rule.
struct Broken {
    std::string what;
};

void Require(bool ok, const char* what) {
    if (!ok) throw Broken{what};
}

struct Figures {
    std::int64_t gameMs = 0;
    std::uint64_t keysRead = 0;
    std::uint64_t passes = 0;
    std::uint64_t battles = 0;
    std::uint64_t battleKeys = 0;
    std::uint32_t mapLoads = 0;
    std::uint64_t levelUps = 0;
    std::uint64_t polls = 0;
    std::size_t keysLeft = 0;
    double seconds = 0;
};

// What holds whenever a key is read, in battle or not.
void CheckAlways() {
    Require(hero.mapNumber >= 1 && hero.mapNumber <= 9, "map number 1 to 9");
    Require(hero.fieldX >= 0 && hero.fieldX <= 58 && hero.fieldY >= 0 && hero.fieldY <= 19, "hero inside the map");
    Require(fieldEnemies.count >= 0 && fieldEnemies.count <= FieldEnemyList::kCapacity, "enemy count 0 to 5");
    for (int i = 0; i < fieldEnemies.count; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        Require((e.x == 0 && e.y == 0) || (e.x >= 0 && e.x <= 58 && e.y >= 0 && e.y <= 19), "enemy inside the map");
    }
    int running = 0;
    for (const EffectSlot* slots : {itemEffects.proteinSlots, itemEffects.bucklerSlots})
        for (int i = 0; i < 3; ++i) {
            if (slots[i].turnsLeft == -1) continue;
            Require(slots[i].turnsLeft >= 1 && slots[i].turnsLeft <= 11, "effect turns 1 to 11");
            Require(slots[i].row >= 0 && slots[i].row <= 2, "effect row 0 to 2");
            Require(itemEffects.rowInUse[slots[i].row] == 1, "a running effect's row is in use");
            ++running;
        }
    Require(itemEffects.activeEffects >= 0 && itemEffects.activeEffects <= 3, "active effects 0 to 3");
    Require(itemEffects.activeEffects == running, "active effects = running slots");
    int rows = 0;
    for (std::int16_t r : itemEffects.rowInUse) {
        Require(r == 0 || r == 1, "row flags 0 or 1");
        rows += r;
    }
    Require(rows == running, "one row per running effect");
    Require(battle.commandCursor >= 0 && battle.commandCursor <= 3, "command cursor 0 to 3");
    Require(battle.abilityCursor >= 0 && battle.abilityCursor <= 4, "ability cursor 0 to 4");
    Require(battle.itemCursor >= 0 && battle.itemCursor <= 2, "item cursor 0 to 2");
    Require(battle.remaining >= 0 && battle.remaining <= 7, "remaining 0 to 7");
    Require(battle.defeatedCount >= 0 && battle.defeatedCount <= 7, "defeated 0 to 7");
    const auto& screen = headless::Screen();
    Require(screen.CursorX() >= 0 && screen.CursorX() < platform::VirtualConsole::kWidth &&
                screen.CursorY() >= 0 && screen.CursorY() < platform::VirtualConsole::kHeight,
            "screen cursor inside the buffer");
    Require(console.x >= 0 && console.x < 80 && console.y >= 0 && console.y < 32, "the recorded cursor cell inside the buffer");
}

// A key is never read while an animation has moved an origin.
void CheckAtKey() {
    CheckAlways();
    Require(battleLeft == kBattleLeftRest, "battleLeft 25 at a key");
    Require(heroPanelLeft == kHeroPanelLeftRest, "heroPanelLeft 1 at a key");
    Require(menuTop == 0, "menuTop 0 at a key");
}

void CheckBetweenPasses() {
    CheckAtKey();
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
        } else if (p < 65) {
            headless::Key(headless::kEnter, t);
        } else if (p < 72) {
            headless::Key(headless::kSpace, t);
        } else if (p < 78) {
            headless::Key(p % 2 ? headless::kLeft : headless::kRight, t);
        } else if (p < 88) {
            headless::Key("HKMP"[scan(rng)], t);
        } else {
            headless::Key(byte(rng), t);
        }
    }
}

Figures Soak(const char* label, const std::string& root, std::int64_t gameMs, unsigned seed) {
    ResetGameState();
    headless::Reset();
    dataRoot = root;
    std::mt19937 rng(seed);
    QueueKeys(rng, gameMs);
    headless::RunUntil(gameMs);
    // Enemies keep the game busy after the last key; a minute later the run stops.
    headless::SetLimits(kMaxPolls, gameMs + kMinute);
    Figures f;
    bool inBattle = false;
    std::int16_t level = 0;
    headless::SetKeyObserver([&] {
        ++f.keysRead;
        if (battle.remaining != 0 && !inBattle) ++f.battles;
        inBattle = battle.remaining != 0;
        if (inBattle) ++f.battleKeys;
        CheckAtKey();
    });
    const auto start = std::chrono::steady_clock::now();
    try {
        StartUp();
        level = hero.level;
        for (;;) {
            MainLoopPass();
            ++f.passes;
            inBattle = false;
            if (hero.level != level) ++f.levelUps, level = hero.level;
            CheckBetweenPasses();
        }
    } catch (const headless::Watchdog& w) {
        // Only the end of the game time is expected; a poll limit is a hang.
        if (w.why != "virtual time limit") ADD_FAILURE() << "watchdog: " << w.why << " at " << headless::NowMs() << " ms";
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::ExitCalled& e) {
        ADD_FAILURE() << "the game stopped with status " << e.status << " at " << headless::NowMs() << " ms";
    } catch (const Broken& b) {
        ADD_FAILURE() << b.what << ", broken after " << f.keysRead << " keys at " << headless::NowMs() << " ms";
    }
    headless::SetKeyObserver(nullptr);
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.gameMs = headless::NowMs();
    f.polls = headless::Polls();
    f.keysLeft = headless::KeysLeft();
    f.mapLoads = fieldEnemies.loads;
    std::printf("[ soak ] %s: %.1f min of game time, %llu keys (%llu in battle), %llu passes, %llu battles, %u enemy-list loads, "
                "%llu level changes, %llu polls, %zu keys left, %.1f s\n",
                label, static_cast<double>(f.gameMs) / kMinute, static_cast<unsigned long long>(f.keysRead),
                static_cast<unsigned long long>(f.battleKeys),
                static_cast<unsigned long long>(f.passes), static_cast<unsigned long long>(f.battles), f.mapLoads,
                static_cast<unsigned long long>(f.levelUps), static_cast<unsigned long long>(f.polls), f.keysLeft,
                f.seconds);
    return f;
}

// One map picture: 20 lines of 59 characters.
std::string Picture(const std::string& line) {
    std::string text;
    for (int y = 0; y < 20; ++y) text += line + "\n";
    return text;
}

// Walls everywhere but row 10 and columns 30 and 31, which lead on to the
// neighbouring maps.
std::string Corridors(char wall) {
    std::string text;
    for (int y = 0; y < 20; ++y) {
        std::string line(59, wall);
        if (y == 10) line.assign(59, ' ');
        line[30] = line[31] = ' ';
        text += line + "\n";
    }
    return text;
}

// Data the loaders accept but nobody would write: zero and huge stats,
// names and symbols at their length limits, counts above the list, marks
// and the strip at the edges of the world.
void WriteHostileWorld(const TempDir& dir) {
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
    dir.WriteText("Enemy_Info/Queen_Status_Info.txt", "クイーン 5 ΩΩ 0 1 1 1 1 1 1 1 1\n");
    dir.WriteText("Enemy_Info/King_Status_Info.txt", "キング 6 Ψ 0 1 1 1 1 1 1 1 1\n");
    dir.WriteText("Abilities/SwordCut.txt", "ソードカットソードカッ 0 0 0\n");
    dir.WriteText("Abilities/Flame.txt", "フレイム 0 32767 32767\n");
    dir.WriteText("Abilities/BigRevolveSword.txt", "Big 0 -5 -5\n");
    dir.WriteText("Abilities/HellFlame.txt", "Hell 0 1 1\n");
    dir.WriteText("Abilities/AbsoluteObedience.txt", "Absolute 0 2 32767\n");
    // The Queen in the world's last cell, the King in its first, the strip
    // running off the right edge of map 3; the game starts on map 5.
    dir.Write("map_info/map1.txt", "9 59 20\n1 1 1\n3 52 0\n5\n");
    for (int n = 1; n <= 9; ++n) dir.Write("map_form/map1/" + std::to_string(n) + ".txt", Corridors('#'));
    dir.Write("map_form/map1/5.txt", "");  // all free
    std::string wide;  // full-width walls, the corridor columns kept free
    for (int y = 0; y < 20; ++y) {
        std::string line = y == 10 ? std::string(59, ' ')
                                   : ToCp932("■■■■■■■■■■■■■■■") + "  " + ToCp932("■■■■■■■■■■■■■") + "#";
        wide += line + "\n";
    }
    dir.Write("map_form/map1/7.txt", wide);
    std::string crlf;
    for (char c : Corridors('%')) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    dir.Write("map_form/map1/9.txt", crlf);
    dir.Write("map_form/map1/4.txt", Picture(std::string(30, '#') + std::string(29, ' ')));
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

void ExpectPlayed(const Figures& f, std::int64_t gameMs) {
    EXPECT_GE(f.gameMs, gameMs);
    EXPECT_GT(f.keysRead, static_cast<std::uint64_t>(gameMs / 1000));
    EXPECT_GT(f.battles, 0u);
    EXPECT_GT(f.mapLoads, 1u);
    // Every key was taken: no part of the game stopped reading them.
    EXPECT_EQ(f.keysLeft, 0u);
}

// An hour of game time for each seed; a run takes well under a second.
class SoakDefaultWorld : public ::testing::TestWithParam<unsigned> {};
class SoakHostileWorld : public ::testing::TestWithParam<unsigned> {};

TEST_P(SoakDefaultWorld, PlaysAnHourOfRandomKeys) {
    ExpectPlayed(Soak("default world", RANKS_WORLD_DIR, kHour, GetParam()), kHour);
}

TEST_P(SoakHostileWorld, PlaysAnHourOfRandomKeys) {
    TempDir dir;
    WriteHostileWorld(dir);
    ExpectPlayed(Soak("hostile world", dir.Path().string(), kHour, GetParam()), kHour);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SoakDefaultWorld, ::testing::Range(1u, 9u));
INSTANTIATE_TEST_SUITE_P(Seeds, SoakHostileWorld, ::testing::Range(1u, 9u));

}  // namespace
}  // namespace rf::test
