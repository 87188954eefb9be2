// The parts of the player's files that the standard library does alike on
// every system: paths and the date.
#include <ctime>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>

#include "platform/fs_path.h"
#include "platform/player_files.h"

namespace rf::platform {
namespace {

constexpr std::string_view kTemporaryPrefix = "ranks-";

}  // namespace

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p =
        std::filesystem::weakly_canonical(std::filesystem::absolute(FsPath(path.empty() ? "." : path), ec), ec);
    if (ec) return path;
    std::string s = PathText(p);
    // "dir/" and "dir" are the same folder.
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\') && s[s.size() - 2] != ':') s.pop_back();
    return s;
}

std::string MakeTemporaryFolder(std::string& problem) {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        problem = "no temporary folder: " + ec.message();
        return "";
    }
    std::random_device random;
    // A name taken already is passed over: the folder made is this game's alone.
    for (int tries = 0; tries < 64; ++tries) {
        const std::filesystem::path made = base / FsPath(std::string(kTemporaryPrefix) + std::to_string(random()));
        if (std::filesystem::create_directory(made, ec)) return PathText(made);
        if (ec) {
            problem = PathText(made) + ": " + ec.message();
            return "";
        }
    }
    problem = PathText(base) + ": no free name for a folder";
    return "";
}

void RemoveTemporaryFolder(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = FsPath(path);
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec || base / folder.filename() != folder || !PathText(folder.filename()).starts_with(kTemporaryPrefix)) return;
    std::filesystem::remove_all(folder, ec);
}

std::int64_t WallClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace rf::platform
