// The parts of the player's files that the standard library does alike on
// every system: paths and the date.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/fs_path.h"
#include "platform/player_files.h"

namespace rf::platform {

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

std::int64_t WallClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace rf::platform
