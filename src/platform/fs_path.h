// Paths between the game's strings and the standard library's. On Windows
// the game holds paths in UTF-8 (its manifest makes UTF-8 the code page of
// every ...A call), while the library would read a narrow string in the C
// runtime's locale and make a Japanese name into other characters; elsewhere
// a path's bytes pass as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace rf::platform {

inline std::filesystem::path FsPath(std::string_view path) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
#else
    return std::filesystem::path(path);
#endif
}

inline std::string PathText(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.string();
#endif
}

}  // namespace rf::platform
