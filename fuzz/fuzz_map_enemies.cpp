// An enemy list: any bytes give at most five enemies, each inside the map
// with a group the battle can hold, and every one of them can be drawn and
// take its turns.
#include <string>

#include "core/game_state.h"
#include "core/world_manifest.h"
#include "field/field_enemies.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "platform/headless/headless.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    if (size < 3) return 0;
    fuzz::FreshGame(size);
    // The first bytes: the map the list belongs to and the hero's cell.
    hero.mapNumber = static_cast<std::int16_t>(data[0] % 9 + 1);
    hero.fieldX = static_cast<std::int16_t>(data[1] % 59);
    hero.fieldY = static_cast<std::int16_t>(data[2] % 20);
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kEnemyList, hero.mapNumber}), data + 3, size - 3);
    try {
        LoadMapEnemies(worldNumber);
    } catch (const headless::ExitCalled&) {
        return 0;  // the missing-file stop: not a data file
    }
    if (fieldEnemies.count < 0 || fieldEnemies.count > FieldEnemyList::kCapacity) __builtin_trap();
    for (int i = 0; i < fieldEnemies.count; ++i) {
        const FieldEnemy& e = fieldEnemies.entries[i];
        if (IsEmptyEntry(e)) continue;
        if (e.x < 0 || e.x > kLastHeroColumn || e.y < 0 || e.y >= kMapRows) __builtin_trap();
        if (e.groupSize < 1 || e.groupSize > 7) __builtin_trap();
    }
    DrawFieldEnemies();
    // An open map: the enemies walk; one that reaches the hero starts a
    // battle, which waits for keys that never come.
    headless::SetLimits(100'000, 60'000);
    try {
        for (int pass = 0; pass < 3; ++pass)
            for (int i = 0; i < fieldEnemies.count && i < FieldEnemyList::kCapacity; ++i) {
                FieldEnemy& e = fieldEnemies.entries[i];
                EnemyTurn(e.kind, e.x, e.y, e.groupSize);
                if (e.x < 0 || e.x > kLastHeroColumn || e.y < 0 || e.y >= kMapRows) __builtin_trap();
            }
    } catch (const headless::ScriptEnded&) {
    }
    return 0;
}
