#include "field/field_enemies.h"

#include <cstdlib>
#include <string_view>

#include "battle/battle_driver.h"
#include "console/console.h"
#include "core/game_state.h"
#include "field/field_view.h"
#include "field/hero_movement.h"
#include "field/map_files.h"
#include "saves/autosave.h"
#include "text/sj_literal.h"

namespace rf {
namespace {

// Where a step by direction key from (x, y) would take an enemy; false when
// a wall or the map's edge stops it.
bool StepTarget(int direction, std::int32_t x, std::int32_t y, int& nx, int& ny) {
    if (x < 0 || x > kLastHeroColumn || y < 0 || y >= kMapRows) return false;
    nx = static_cast<int>(x);
    ny = static_cast<int>(y);
    if (TestStep(direction, nx, ny) == kStepBlocked) return false;
    if (direction == kKeyUp) ny -= 1;
    if (direction == kKeyDown) ny += 1;
    if (direction == kKeyLeft) nx -= 2;
    if (direction == kKeyRight) nx += 2;
    return nx >= 0 && nx <= kLastHeroColumn && ny >= 0 && ny < kMapRows;
}

// The steps a turn tries, as direction keys (0: none): up to two halves,
// each after its pause, each trying its steps in order until one is taken.
// The first half closes the columns, then the rows; the second the rows.
struct TurnPlan {
    int halves = 0;
    int tries[2][2] = {};
};

TurnPlan PlanTurn(std::int32_t x, std::int32_t y) {
    const auto dx = static_cast<std::int16_t>(x - hero.fieldX);
    const auto dy = static_cast<std::int16_t>(y - hero.fieldY);
    const int across = dx > 0 ? kKeyLeft : kKeyRight;
    const int down = dy > 0 ? kKeyUp : kKeyDown;
    TurnPlan plan;
    if (dx != 0) {
        plan.tries[0][0] = across;
        plan.tries[0][1] = dy != 0 ? down : 0;
        plan.halves = 1;
    }
    const int h = std::abs(dx) / 2;
    if (dy != 0 && (dx == 0 || (h >= 1 && std::abs(dy) >= h))) {
        plan.tries[plan.halves][0] = down;
        plan.tries[plan.halves++][1] = dx != 0 ? across : 0;
    }
    return plan;
}

// Whether an enemy's turn would move it now (an empty entry never moves).
bool TurnMoves(const FieldEnemy& e) {
    if (e.x == 0 && e.y == 0) return false;
    const TurnPlan plan = PlanTurn(e.x, e.y);
    int nx = 0, ny = 0;
    for (int half = 0; half < plan.halves; ++half)
        for (int direction : plan.tries[half])
            if (direction != 0 && StepTarget(direction, e.x, e.y, nx, ny)) return true;
    return false;
}

// Whether no enemy on the map can move until the hero does.
bool FieldStill() {
    for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i)
        if (TurnMoves(fieldEnemies.entries[i])) return false;
    return true;
}

// The pause before a step, still handing keys to the hero after each of
// its short pauses (asleep through those with no key). False when a key
// took the hero to another map: the list the turn works on is gone.
bool Wait() {
    const std::uint32_t loads = fieldEnemies.loads;
    // A field where every enemy is stuck changes only with a key: its
    // pauses may all pass in one wait for it.
    if (FieldStill()) NothingMovesUntilKey();
    for (std::uint32_t i = 0; i < kWaitPolls;) {
        PollHeroKey();
        i += PauseForKey(kWaitPollMs, kWaitPolls - i);
    }
    return fieldEnemies.loads == loads;
}

void Wipe(std::string_view pair, int (*pairsOnRow)(int)) {
    for (int i = 0; i < kMapRows; ++i) {
        const int n = pairsOnRow(i);
        MoveTo(0, i);
        for (int k = 0; k < n; ++k) Write(pair);
        for (int k = 0; k < n; ++k) {
            const int x = kLastHeroColumn - 2 * k;
            if (x < 0) break;
            MoveTo(x, kMapRows - 1 - i);
            Write(pair);
        }
        Pause(kWipeFrameMs);
    }
}

}  // namespace

int EnemyTurn(std::int32_t kind, std::int32_t& x, std::int32_t& y, std::int32_t groupSize) {
    const TurnPlan plan = PlanTurn(x, y);
    for (int half = 0; half < plan.halves; ++half) {
        if (!Wait()) return kTurnDone;
        for (int direction : plan.tries[half]) {
            if (direction == 0) break;
            const int r = EnemyStep(direction, kind, x, y, groupSize);
            if (r == kBattleFought) return kBattleFought;
            if (r != 0) break;
        }
    }
    return kTurnDone;
}

int EnemyStep(int direction, std::int32_t kind, std::int32_t& x, std::int32_t& y, std::int32_t groupSize) {
    int nx = 0, ny = 0;
    if (!StepTarget(direction, x, y, nx, ny)) return 0;
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    // An empty entry is nobody: nothing to erase, nothing to move.
    if (x == 0 && y == 0) return kTurnDone;
    x = nx;
    y = ny;
    // The old cells show what is there without this enemy: a wall it
    // stood half over stays on the screen, as does anyone standing there.
    RestoreFieldCells(ix, iy);
    MoveTo(nx, ny);
    WriteLine(EnemySymbolOf(kind));
    if (TouchesHero(nx, ny)) {
        NoteEncounter();
        ClearScreen();
        WipeIn();
        WipeOut();
        RunBattle(EnemyRecordOf(kind), static_cast<std::int16_t>(groupSize));
        ClearScreen();
        return kBattleFought;
    }
    NarrateApproach();
    return kTurnDone;
}

bool TouchesHero(int x, int y) { return x >= hero.fieldX - 1 && x <= hero.fieldX + 1 && y == hero.fieldY; }

// Pairs of cells from each side on row i: in, to the whole map's width on
// its last row; out, from a pair beyond it on the first.
void WipeIn() {
    Wipe("■"_sj, [](int i) { return kMapColumns / 2 * (i + 1) / kMapRows; });
}

void WipeOut() {
    Wipe("  ", [](int i) { return kMapColumns / 2 * (kMapRows + 1 - i) / kMapRows; });
}

void RemoveFieldEnemy(int index) {
    FieldEnemyList& list = fieldEnemies;
    if (index < 0 || index >= list.count || index >= FieldEnemyList::kCapacity) return;
    FieldEnemy& gone = list.entries[index];
    MoveTo(gone.x, gone.y);
    WriteLine("  ");
    gone = FieldEnemy{};
    list.count = static_cast<std::int16_t>(list.count - 1);
    for (int j = index; j < list.count; ++j) list.entries[j] = list.entries[j + 1];
}

}  // namespace rf
