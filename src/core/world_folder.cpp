#include "core/world_folder.h"

#include "core/world_manifest.h"
#include "platform/files.h"

#ifndef RANKS_WORLD_FROM_BIN
#define RANKS_WORLD_FROM_BIN "../share/ranks/world"
#endif

namespace rf {
namespace {

bool HoldsGameData(const std::string& dir) {
    std::string prefix = dir.empty() ? std::string() : dir + platform::PathSeparator();
    return platform::DirectoryExists(prefix + "Hero_Info") || platform::DirectoryExists(prefix + "map_form");
}

}  // namespace

std::string DataPath(std::string_view relative) {
    std::string path = dataRoot;
    while (!relative.empty()) {
        const std::size_t slash = relative.find('/');
        if (!path.empty() && path.back() != platform::PathSeparator()) path += platform::PathSeparator();
        path += relative.substr(0, slash);
        relative.remove_prefix(slash == std::string_view::npos ? relative.size() : slash + 1);
    }
    return path;
}

std::string WorldFilePath(WorldFileId file, int world) { return DataPath(WorldFileName(file, world)); }

std::string InstalledWorld() {
    std::string exeDir = platform::ExecutableDirectory();
    if (exeDir.empty()) return "";
    // Beside the program in a build tree; where `cmake --install` puts it otherwise.
    for (std::string_view where : {std::string_view("world"), std::string_view(RANKS_WORLD_FROM_BIN)}) {
        std::string world = exeDir + platform::PathSeparator() + std::string(where);
        if (HoldsGameData(world)) return world;
    }
    return "";
}

std::string WorldFolderProblem(const std::string& dir) {
    if (!platform::DirectoryExists(dir)) return dir + " is not a folder";
    const std::string prefix = dir + platform::PathSeparator();
    std::string names;
    for (std::string_view folder : kDataFolders) {
        if (platform::DirectoryExists(prefix + std::string(folder))) return "";
        names += (names.empty() ? "" : ", ") + std::string(folder);
    }
    return dir + " holds none of the data folders " + names;
}

std::string FindWorldFromHere(std::string& how) {
    std::string dir;
    // Upward as version-control tools find their root, until the top of the file system.
    for (int depth = 0; depth < 64; ++depth) {
        if (HoldsGameData(dir)) {
            how = depth == 0 ? "the working directory" : "the world the working directory lies in";
            return dir;
        }
        const std::string up = dir.empty() ? ".." : dir + platform::PathSeparator() + "..";
        const std::string here = platform::FullPath(dir), above = platform::FullPath(up);
        if (above.empty() || above == here) break;
        dir = up;
    }
    how = "the default world installed with the game";
    return InstalledWorld();
}

std::string ChooseDataRoot(const std::string& requested) {
    if (!requested.empty()) return requested;
    if (HoldsGameData("")) return "";
    return InstalledWorld();
}

}  // namespace rf
