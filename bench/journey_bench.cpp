// A careful player's whole game on the real loops, in virtual time: the
// hero walks to the map of the highest level he has reached (world.txt's
// levels), fights whatever comes there (leaving and coming back when the
// map is empty), and moves on when his level reaches the next map's. Each
// battle is played as `ranks balance` plays it. Prints when each map is
// first entered and at what level, the level at 45 and 90 minutes, and the
// Enter presses of the battles, by map.
//   ranks_bench_journey WORLD [MINUTES]
// The played time is the game's own time (walking, the wipes, the typing
// and every animation) plus the player's reading and choosing per battle
// key, as `ranks balance` counts it. With RECORDING the game is recorded
// there as a played game is (the size of a long game's recording, or of
// its link); the player's own time passes in virtual time, so its "t"
// tokens are left out.
//   ranks_bench_journey WORLD MINUTES RECORDING
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "authoring/battle_policy.h"
#include "authoring/meant_levels.h"
#include "console/console.h"
#include "core/game_state.h"
#include "core/map_geometry.h"
#include "core/world_about.h"
#include "core/world_folder.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "own_folders.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/recording.h"
#include "program/startup.h"
#include "replay/recording_file.h"
#include "saves/world_digest.h"

namespace {

using namespace rf;

constexpr std::int64_t kStepMs = 150;      // a walking player's pace on the arrows
constexpr std::int64_t kStallMs = 60'000;  // no battle this long on the map: leave it and come back
constexpr std::int64_t kWaitMs = 5'000;    // beside an enemy this long with no encounter: it cannot come
constexpr int kLongBattle = 40;

struct Cell {
    int map = 0, x = 0, y = 0;
};

constexpr int kCells = kMaps * kMapRows * (kLastHeroColumn + 1);
int Index(const Cell& c) { return ((c.map - 1) * kMapRows + c.y) * (kLastHeroColumn + 1) + c.x; }

// Steps tried three times without moving the hero (a way the picture shows
// that the game refuses), by cell and key.
std::vector<unsigned char> refused(static_cast<std::size_t>(kCells) * 4);
std::size_t KeyIndex(int key) { return key == kKeyUp ? 0 : key == kKeyDown ? 1 : key == kKeyLeft ? 2 : 3; }

// Where a step by `key` from `c` leads, as the hero's movement has it.
bool Step(int key, const Cell& c, Cell& to) {
    if (refused[static_cast<std::size_t>(Index(c)) * 4 + KeyIndex(key)] >= 3) return false;
    const std::int16_t current = hero.mapNumber;
    hero.mapNumber = static_cast<std::int16_t>(c.map);
    const int r = TestStep(key, c.x, c.y);
    hero.mapNumber = current;
    if (r == kStepBlocked) return false;
    to = c;
    if (r == kStepLeavesMap) {
        if (key == kKeyRight) to.map += 1, to.x = 0;
        if (key == kKeyLeft) to.map -= 1, to.x = kRightExitColumn;
        if (key == kKeyDown) to.map += kMapsAcross, to.y = 0;
        if (key == kKeyUp) to.map -= kMapsAcross, to.y = kLastHeroRow;
        return to.map >= 1 && to.map <= kMaps;
    }
    if (key == kKeyUp) to.y -= 1;
    if (key == kKeyDown) to.y += 1;
    if (key == kKeyLeft) to.x -= r == kStepShort ? 1 : 2;
    if (key == kKeyRight) to.x += r == kStepShort ? 1 : 2;
    return to.x >= 0 && to.x <= kLastHeroColumn && to.y >= 0 && to.y < kMapRows;
}

// The first key of a shortest walk from the hero to a cell `goal` accepts;
// 0 when he stands on one, -1 when none can be reached.
template <typename Goal>
int FirstKey(Goal goal) {
    const Cell from{hero.mapNumber, hero.fieldX, hero.fieldY};
    if (goal(from)) return 0;
    std::vector<int> firstKey(kCells, -1);
    std::queue<Cell> open;
    firstKey[Index(from)] = 0;
    open.push(from);
    for (; !open.empty(); open.pop()) {
        const Cell c = open.front();
        for (int key : {kKeyUp, kKeyDown, kKeyLeft, kKeyRight}) {
            Cell to;
            if (!Step(key, c, to) || firstKey[Index(to)] >= 0) continue;
            firstKey[Index(to)] = firstKey[Index(c)] == 0 ? key : firstKey[Index(c)];
            if (goal(to)) return firstKey[Index(to)];
            open.push(to);
        }
    }
    return -1;
}

struct Battle {
    int map, level, enters;
    bool won;
};

struct Player {
    int meant[kMaps + 1] = {};
    std::int64_t limitMs = 0;
    // Where the player is
    std::optional<authoring::BattlePolicy> policy;
    std::uint32_t battlesBefore = 0, wonBefore = 0;
    int battleMap = 0, battleLevel = 0;
    long long battleKeys = 0;  // every battle's keys so far
    bool leaving = false;
    unsigned ignored = 0;  // enemies of this visit that cannot come
    int ignoredOn = 0;
    std::int64_t waitingSince = 0;
    bool idle = false;  // the game waits for a key: nothing on the map moves
    int leftFrom = 0;
    std::int64_t lastBattleMs = 0;
    // What was seen
    std::vector<Battle> battles;
    std::int64_t enteredMs[kMaps + 1] = {};
    int enteredLevel[kMaps + 1] = {};
    std::int64_t meantMs[kMaps + 1] = {};  // first there at its level or above
    int levelAt45 = 0, levelAt90 = 0;
    static constexpr int kLevels = 31;
    std::int64_t reachedMs[kLevels] = {};

    std::int64_t PlayedMs() const {
        return headless::NowMs() + static_cast<std::int64_t>(authoring::kPerKeySeconds * 1000.0) * battleKeys;
    }
    std::uint32_t BattlesSoFar() const {
        return rf::journey.battlesWon + rf::journey.battlesLost + rf::journey.battlesFled;
    }

    // The map of the highest level he has reached that he can walk to.
    int Target() const {
        std::vector<int> maps;
        for (int m = 1; m <= kMaps; ++m)
            if (meant[m] > 0 && meant[m] <= hero.level && barren[m] < kBarrenVisits) maps.push_back(m);
        std::stable_sort(maps.begin(), maps.end(), [&](int a, int b) { return meant[a] > meant[b]; });
        for (int m : maps)
            if (m == hero.mapNumber || FirstKey([m](const Cell& c) { return c.map == m; }) > 0) return m;
        return hero.mapNumber;
    }

    int FieldKey() {
        const int target = Target();
        if (hero.mapNumber != leftFrom) leaving = false, awayTo = 0;
        if (hero.mapNumber != visiting) visiting = hero.mapNumber, battlesOnVisit = 0;
        if (hero.mapNumber != target) return FirstKey([target](const Cell& c) { return c.map == target; });
        if (!leaving && headless::NowMs() - lastBattleMs > kStallMs) leaving = true;
        if (hero.mapNumber != ignoredOn) ignored = 0, ignoredOn = hero.mapNumber;
        if (!leaving) {
            // Beside an enemy on its row or its column, its next step is the encounter (on its cell, it
            // never moves).
            auto beside = [this](const Cell& c, int i) {
                const FieldEnemy& e = fieldEnemies.entries[i];
                const int dx = std::abs(c.x - e.x), dy = std::abs(c.y - e.y);
                return !(ignored >> i & 1) && (e.x != 0 || e.y != 0) &&
                       ((dy == 0 && dx >= 1 && dx <= 2) || (dx == 0 && dy == 1));
            };
            const int key = FirstKey([&](const Cell& c) {
                if (c.map != hero.mapNumber) return false;
                for (int i = 0; i < fieldEnemies.count; ++i)
                    if (beside(c, i)) return true;
                return false;
            });
            if (key != 0) waitingSince = headless::NowMs();
            if (key == 0 && (idle || headless::NowMs() - waitingSince > kWaitMs)) {
                // One that never comes (a wall between): not on this visit.
                const Cell here{hero.mapNumber, hero.fieldX, hero.fieldY};
                for (int i = 0; i < fieldEnemies.count; ++i)
                    if (beside(here, i)) ignored |= 1U << i;
                idle = false;
                return FieldKey();
            }
            if (key >= 0) return key;
            leaving = true;  // nobody left to fight here: out and back
        }
        if (leftFrom != hero.mapNumber || awayTo == 0) {
            if (battlesOnVisit == 0) ++barren[hero.mapNumber];
            // Out to a neighbour, a different one each time by chance, so no two maps hold him in turn.
            leftFrom = hero.mapNumber;
            std::vector<int> ways;
            for (int m = 1; m <= kMaps; ++m)
                if (std::abs((m - 1) % kMapsAcross - (hero.mapNumber - 1) % kMapsAcross) +
                            std::abs((m - 1) / kMapsAcross - (hero.mapNumber - 1) / kMapsAcross) ==
                        1 &&
                    FirstKey([m](const Cell& c) { return c.map == m; }) > 0)
                    ways.push_back(m);
            awayTo = ways.empty() ? 0 : ways[chance() % ways.size()];
        }
        lastBattleMs = headless::NowMs();
        const int away = awayTo;
        return FirstKey([away](const Cell& c) { return away != 0 ? c.map == away : c.map != hero.mapNumber; });
    }

    void Note() {
        const std::int64_t played = PlayedMs();
        if (enteredMs[hero.mapNumber] == 0 && hero.mapNumber != 0) {
            enteredMs[hero.mapNumber] = std::max<std::int64_t>(played, 1);
            enteredLevel[hero.mapNumber] = hero.level;
        }
        if (hero.mapNumber != 0 && meantMs[hero.mapNumber] == 0 && hero.level >= meant[hero.mapNumber])
            meantMs[hero.mapNumber] = std::max<std::int64_t>(played, 1);
        if (hero.level > 0 && hero.level < kLevels && reachedMs[hero.level] == 0) {
            reachedMs[hero.level] = std::max<std::int64_t>(played, 1);
            std::fill(std::begin(barren), std::end(barren), 0);  // a new level: every map is worth a new try
        }
        if (played <= 45 * 60'000) levelAt45 = hero.level;
        if (played <= 90 * 60'000) levelAt90 = hero.level;
        // The battle is over once its last message is acknowledged and the field stands again.
        if (policy && BattlesSoFar() != battlesBefore &&
            headless::RowUtf8(0, kMapColumns + 1, 18).find("MiniMap") != std::string::npos) {
            battles.push_back({battleMap, battleLevel, policy->enters, rf::journey.battlesWon != wonBefore});
            battleKeys += policy->keys;
            ++battlesOnVisit;
            policy.reset();
            lastBattleMs = headless::NowMs();
        }
        if (played >= limitMs) throw headless::ScriptEnded{};
    }

    // Keys when the game waits: the battle's, or the next step.
    void Supply() {
        Note();
        if (!policy && battle.remaining > 0) {
            policy.emplace(authoring::StrongestAbility(hero.level));
            battlesBefore = BattlesSoFar();
            wonBefore = rf::journey.battlesWon;
            battleMap = hero.mapNumber;
            battleLevel = hero.level;
        }
        if (policy) return policy->Supply();
        if (rf::journey.kingReachedAt >= 0 && !kingPageClosed) {
            kingPageClosed = true;
            return headless::Key(kKeyEnter);
        }
        Walk();
        if (headless::KeysLeft() == 0) {
            // Nothing moves and he stands: whoever is near cannot come.
            idle = true;
            Walk();
            idle = false;
        }
        if (headless::KeysLeft() == 0) {
            leaving = true;
            leftFrom = hero.mapNumber;
            Walk();
        }
    }

    void Walk() {
        if (policy || battle.remaining > 0 || headless::KeysLeft() > 0) return;
        // Not while the map scrolls: the hero's cell is his new map's only once he is drawn there.
        if (headless::RowUtf8(hero.fieldY, hero.fieldX, 2) != "●") return;
        const Cell here{hero.mapNumber, hero.fieldX, hero.fieldY};
        if (lastKey > 0 && Index(here) == Index(lastCell))
            ++refused[static_cast<std::size_t>(Index(here)) * 4 + KeyIndex(lastKey)];
        int key = FieldKey();
        if (key < 0) {
            // Shut in by refusals that were keys lost to a battle's start: forget them.
            std::fill(refused.begin(), refused.end(), 0);
            key = FieldKey();
        }
        lastKey = key, lastCell = here;
        if (key > 0) headless::Arrow(key, headless::NowMs() + kStepMs);
    }
    bool kingPageClosed = false;
    int awayTo = 0;
    // Visits that found nobody who could come; a map of as many is given up.
    static constexpr int kBarrenVisits = 3;
    int barren[kMaps + 1] = {};
    int visiting = 0, battlesOnVisit = 0;
    std::mt19937 chance{1};
    int lastKey = 0;
    Cell lastCell;
};

double Median(std::vector<int> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

void PrintBattles(const char* name, const std::vector<int>& enters) {
    if (enters.empty()) return std::printf("%-4s  %7d\n", name, 0), void();
    const auto longOnes = std::count_if(enters.begin(), enters.end(), [](int e) { return e > kLongBattle; });
    std::printf("%-4s  %7zu  %13.1f  %11d  %6.1f%%\n", name, enters.size(), Median(enters),
                *std::max_element(enters.begin(), enters.end()),
                100.0 * static_cast<double>(longOnes) / static_cast<double>(enters.size()));
}

void Report(const Player& j) {
    std::printf("map  meant level  first entered  at level  there at its level\n");
    for (int m = 1; m <= kMaps; ++m) {
        std::printf("%3d  %11d  ", m, j.meant[m]);
        if (j.enteredMs[m] > 0)
            std::printf("%7.1f min  %8d  ", static_cast<double>(j.enteredMs[m]) / 60'000.0, j.enteredLevel[m]);
        else std::printf("%13s  %8s  ", "never", "");
        if (j.meantMs[m] > 0) std::printf("%14.1f min\n", static_cast<double>(j.meantMs[m]) / 60'000.0);
        else std::printf("%18s\n", "never");
    }
    std::printf("\nlevel at 45 min: %d, at 90 min: %d; %.1f min played, level %d\n", j.levelAt45, j.levelAt90,
                static_cast<double>(j.PlayedMs()) / 60'000.0, hero.level);
    std::printf("level reached at (min):");
    for (int l = 2; l < Player::kLevels; ++l)
        if (j.reachedMs[l] > 0) std::printf(" %d: %.1f", l, static_cast<double>(j.reachedMs[l]) / 60'000.0);
    std::printf("\n");
    std::printf("battles won %u, lost %u, fled %u\n\n", rf::journey.battlesWon, rf::journey.battlesLost,
                rf::journey.battlesFled);
    std::printf("map   battles  median Enters  most Enters  over %d\n", kLongBattle);
    std::vector<int> all;
    for (int m = 1; m <= kMaps; ++m) {
        std::vector<int> enters;
        for (const Battle& b : j.battles)
            if (b.map == m) enters.push_back(b.enters);
        if (!enters.empty()) PrintBattles(std::to_string(m).c_str(), enters);
        all.insert(all.end(), enters.begin(), enters.end());
    }
    PrintBattles("all", all);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ranks_bench_journey WORLD [MINUTES [RECORDING]]\n");
        return 2;
    }
    const rf::test::OwnFolders ownFolders;  // the game saves as any game does
    const int minutes = argc > 2 ? std::atoi(argv[2]) : 90;
    Player j;
    j.limitMs = static_cast<std::int64_t>(minutes) * 60'000;
    ResetGameState();
    headless::Reset(1'700'000'000);
    dataRoot = argv[1];
    if (argc > 3) {
        RecordingHeader header;
        header.world = "default", header.worldDigest = WorldDigest(), header.settingsGiven = true;
        header.played = settings, header.language = language, header.edition = kEdition;
        std::FILE* out = std::fopen(argv[3], "wb");
        if (out == nullptr) return std::fprintf(stderr, "ranks_bench_journey: cannot write %s\n", argv[3]), 2;
        platform::StartRecording({out}, ComposeRecordingHeader(header));
    }
    StartUp();
    LoadWorldAbout();
    const rf::authoring::MeantLevels meant = rf::authoring::ReadMeantLevels();
    if (!meant.why.empty()) {
        std::fprintf(stderr, "ranks_bench_journey: %s (see ranks check)\n", meant.why.c_str());
        return 2;
    }
    std::copy(std::begin(meant.level), std::end(meant.level), std::begin(j.meant));
    headless::RunUntil(j.limitMs * 2);
    headless::SetLimits(~0ULL, j.limitMs * 2);
    headless::SetKeySupplier([&j] { j.Supply(); });
    headless::SetPresentObserver([&j] {
        j.Note();
        j.Walk();
    });
    try {
        for (;;) MainLoopPass();
    } catch (const headless::ScriptEnded&) {
    } catch (const headless::Watchdog& w) {
        std::fprintf(stderr, "ranks_bench_journey: stopped: %s\n", w.why.c_str());
    }
    headless::SetPresentObserver(nullptr);
    headless::SetKeySupplier(nullptr);
    platform::FlushRecording();
    Report(j);
    return 0;
}
