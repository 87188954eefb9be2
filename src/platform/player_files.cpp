// The parts of the player's files that the standard library does alike on
// every system: listing, paths and the date.
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/fs_path.h"
#include "platform/player_files.h"

namespace rf::platform {

#ifndef _WIN32
// Windows lists through the system's own call (platform/windows).
std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(FsPath(directory), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(PathText(it->path().filename()));
    }
    return names;
}
#endif

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
