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

// The pause before a step, still handing keys to the hero after each of
// its short pauses (asleep through those with no key). False when a key
// took the hero to another map: the list the turn works on is gone.
bool Wait() {
    const std::uint32_t loads = fieldEnemies.loads;
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
    const auto dx = static_cast<std::int16_t>(x - hero.fieldX);
    const auto dy = static_cast<std::int16_t>(y - hero.fieldY);
    if (dx != 0) {
        if (!Wait()) return kTurnDone;
        int r = EnemyStep(dx > 0 ? kKeyLeft : kKeyRight, kind, x, y, groupSize);
        if (r == kBattleFought) return kBattleFought;
        if (r == 0 && dy != 0) {
            if (EnemyStep(dy > 0 ? kKeyUp : kKeyDown, kind, x, y, groupSize) == kBattleFought) return kBattleFought;
        }
    }
    if (dy == 0) return kTurnDone;
    const int h = std::abs(dx) / 2;
    const bool vertical = dx == 0 || (h >= 1 && std::abs(dy) >= h);
    if (!vertical) return kTurnDone;
    if (!Wait()) return kTurnDone;
    int r = EnemyStep(dy > 0 ? kKeyUp : kKeyDown, kind, x, y, groupSize);
    if (r == kBattleFought) return kBattleFought;
    if (r == 0 && dx != 0) {
        if (EnemyStep(dx > 0 ? kKeyLeft : kKeyRight, kind, x, y, groupSize) == kBattleFought) return kBattleFought;
    }
    return kTurnDone;
}

int EnemyStep(int direction, std::int32_t kind, std::int32_t& x, std::int32_t& y, std::int32_t groupSize) {
    if (x < 0 || x > kLastHeroColumn || y < 0 || y >= kMapRows) return 0;
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    if (TestStep(direction, ix, iy) == kStepBlocked) return 0;
    int nx = ix;
    int ny = iy;
    if (direction == kKeyUp) ny -= 1;
    if (direction == kKeyDown) ny += 1;
    if (direction == kKeyLeft) nx -= 2;
    if (direction == kKeyRight) nx += 2;
    if (nx < 0 || nx > kLastHeroColumn || ny < 0 || ny >= kMapRows) return 0;
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
    return kTurnDone;
}

bool TouchesHero(int x, int y) { return x >= hero.fieldX - 1 && x <= hero.fieldX + 1 && y == hero.fieldY; }

void WipeIn() {
    Wipe("■"_sj, [](int i) { return 3 * (i + 1) / 2; });
}

void WipeOut() {
    Wipe("  ", [](int i) { return 3 * (21 - i) / 2; });
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
