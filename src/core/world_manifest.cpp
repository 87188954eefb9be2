#include "core/world_manifest.h"

namespace rf {

std::string WorldFileName(WorldFileId file, int worldNumber) {
    const std::string world = "map" + std::to_string(worldNumber);
    const std::string n = std::to_string(file.index);
    switch (file.kind) {
        case WorldFileKind::kHero: return "Hero_Info/Hero_Status_Info.txt";
        case WorldFileKind::kEnemy: return "Enemy_Info/" + std::string(kKindNames[file.index]) + "_Status_Info.txt";
        case WorldFileKind::kAbility: return "Abilities/" + std::string(kAbilityNames[file.index]) + ".txt";
        case WorldFileKind::kWorldInfo: return "map_info/" + world + ".txt";
        case WorldFileKind::kMiniMap: return "mini_map/" + world + ".txt";
        case WorldFileKind::kMapForm: return "map_form/" + world + "/" + n + ".txt";
        case WorldFileKind::kEnemyList: return "map_info/" + world + "/" + n + ".txt";
    }
    return {};
}

std::vector<WorldFileId> WorldFiles() {
    std::vector<WorldFileId> files{{WorldFileKind::kHero}};
    for (int k = 0; k < kEnemyKinds; ++k) files.push_back({WorldFileKind::kEnemy, k});
    for (int a = 0; a < kAbilities; ++a) files.push_back({WorldFileKind::kAbility, a});
    files.push_back({WorldFileKind::kWorldInfo});
    files.push_back({WorldFileKind::kMiniMap});
    for (int m = 1; m <= kMaps; ++m) {
        files.push_back({WorldFileKind::kMapForm, m});
        files.push_back({WorldFileKind::kEnemyList, m});
    }
    return files;
}

}  // namespace rf
