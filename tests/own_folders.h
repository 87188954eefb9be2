// A run of tests or a benchmark keeps out of the player's own folders: from
// construction, HOME, the XDG data and settings folders and Windows'
// APPDATA and LOCALAPPDATA name folders of the run's own, so the game,
// whether called in the process or started by it (in a terminal, under
// wine), neither reads the player's settings nor writes a save beside
// theirs. The folders go with the object.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace rf::test {

class OwnFolders {
public:
    OwnFolders() : root_(NewRoot()) {
        // Every variable a system's game looks at for the player's folders.
        const struct {
            const char* variable;
            const char* folder;
        } kFolders[] = {
            {"HOME", "home"},       {"XDG_DATA_HOME", "data"},        {"XDG_CONFIG_HOME", "config"},
            {"APPDATA", "appdata"}, {"LOCALAPPDATA", "localappdata"},
        };
        for (const auto& f : kFolders) {
            std::filesystem::create_directories(root_ / f.folder);
            Set(f.variable, (root_ / f.folder).string());
        }
    }
    ~OwnFolders() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    OwnFolders(const OwnFolders&) = delete;
    OwnFolders& operator=(const OwnFolders&) = delete;
    const std::filesystem::path& Root() const { return root_; }

private:
    static std::filesystem::path NewRoot() {
        std::random_device rd;
        return std::filesystem::temp_directory_path() / ("ranks-home-" + std::to_string(rd()) + std::to_string(rd()));
    }
    static void Set(const char* variable, const std::string& value) {
#ifdef _WIN32
        // The C runtime's own copy of the environment, which getenv reads.
        ::_putenv((std::string(variable) + "=" + value).c_str());
#else
        ::setenv(variable, value.c_str(), 1);
#endif
    }

    std::filesystem::path root_;
};

}  // namespace rf::test
