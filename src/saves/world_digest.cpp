#include "world_digest.h"

#include <string_view>

#include "core/data_files.h"
#include "core/digest.h"
#include "core/game_state.h"
#include "core/startup.h"
#include "platform/files.h"
#include "platform/player_files.h"

namespace rf {
namespace {

constexpr std::string_view kDefault = "default";
// Larger than any file a world holds; what lies beyond counts by its being there.
constexpr std::size_t kLargestFile = 1 << 18;

std::string DefaultWorldFolder() {
    std::string world = InstalledWorld();
    return world.empty() ? "" : platform::AbsolutePath(world);
}

}  // namespace

std::string WorldDigest() {
    static constexpr std::string_view kFiles[] = {
        "Hero_Info/Hero_Status_Info.txt", "Enemy_Info/Pawn_Status_Info.txt", "Enemy_Info/Knight_Status_Info.txt",
        "Enemy_Info/Bishop_Status_Info.txt", "Enemy_Info/Rook_Status_Info.txt", "Enemy_Info/Queen_Status_Info.txt",
        "Enemy_Info/King_Status_Info.txt", "Abilities/SwordCut.txt", "Abilities/Flame.txt",
        "Abilities/BigRevolveSword.txt", "Abilities/HellFlame.txt", "Abilities/AbsoluteObedience.txt",
        "map_info/map1.txt", "mini_map/map1.txt"};
    Digest digest;
    auto add = [&](std::string_view relative, const std::string& path) {
        // Names with '/' whatever the system, so the digest is the same everywhere.
        digest.Add(relative);
        // Read as the loaders read: bounded, and never waiting on what is not a file.
        platform::DataFileBytes file = platform::ReadDataFile(path, kLargestFile);
        if (file.problem == platform::FileProblem::kNone) {
            digest.AddNumber(static_cast<std::int64_t>(file.bytes.size()) + (file.cut ? 1 : 0));
            digest.Add(file.bytes);
        } else {
            digest.AddNumber(-1);
        }
    };
    for (std::string_view file : kFiles) {
        std::size_t slash = file.find('/');
        add(file, DataPath({file.substr(0, slash), file.substr(slash + 1)}));
    }
    for (int n = 1; n <= 9; ++n) {
        std::string name = std::to_string(n) + ".txt";
        add("map_form/map1/" + name, DataPath({"map_form", "map1", name}));
        add("map_info/map1/" + name, DataPath({"map_info", "map1", name}));
    }
    return digest.Hex();
}

std::string SavedWorldName() {
    std::string folder = platform::AbsolutePath(dataRoot);
    return folder == DefaultWorldFolder() ? std::string(kDefault) : folder;
}

std::string WorldFolderOf(const std::string& name) { return name == kDefault ? DefaultWorldFolder() : name; }

}  // namespace rf
