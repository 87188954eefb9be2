// The hero, enemy and ability files: any bytes load without reading or
// writing outside the records, and names stay within their fields.
#include <cstring>

#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "platform/headless/headless.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf;
    fuzz::FreshGame(size);
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kHero}), data, size);
    LoadHeroStatus();
    if (std::strlen(hero.name) > 15) __builtin_trap();
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kEnemy, 0}), data, size);
    LoadEnemyStatus(enemyTable.kinds[0], WorldFilePath({WorldFileKind::kEnemy, 0}));
    if (std::strlen(enemyTable.kinds[0].name) > 19 || std::strlen(enemyTable.kinds[0].symbol) > 3) __builtin_trap();
    fuzz::WriteScratchFile(WorldFileName({WorldFileKind::kAbility, 0}), data, size);
    LoadAbilityInfo(abilityTable.abilities[0], WorldFilePath({WorldFileKind::kAbility, 0}));
    if (std::strlen(abilityTable.abilities[0].name) > 19) __builtin_trap();
    return 0;
}
