#include "saves/world_digest.h"

#include <string_view>

#include "core/world_folder.h"
#include "core/world_manifest.h"
#include "platform/files.h"
#include "platform/model/digest.h"
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
    platform::Digest digest;
    for (const WorldFileId& id : WorldFiles()) {
        // Names with '/' whatever the system, so the digest is the same everywhere.
        const std::string name = WorldFileName(id);
        digest.Add(name);
        // Read as the loaders read: bounded, and never waiting on what is not a file.
        platform::DataFileBytes file = platform::ReadDataFile(DataPath(name), kLargestFile);
        if (file.problem == platform::FileProblem::kNone) {
            digest.AddNumber(static_cast<std::int64_t>(file.bytes.size()) + (file.cut ? 1 : 0));
            digest.Add(file.bytes);
        } else {
            digest.AddNumber(-1);
        }
    }
    return digest.Hex();
}

std::string SavedWorldName() {
    std::string folder = platform::AbsolutePath(dataRoot);
    return folder == DefaultWorldFolder() ? std::string(kDefault) : folder;
}

std::string WorldFolderOf(const std::string& name) { return name == kDefault ? DefaultWorldFolder() : name; }

}  // namespace rf
