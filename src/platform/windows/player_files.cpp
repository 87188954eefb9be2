// The player's files on Windows: %APPDATA%\Ranks and Files, and writes
// that survive a crash or a power loss.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/player_files.h"

namespace rf::platform {
namespace {

int faultStage = 0;

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2 && !MakeDirectories(path.substr(0, slash))) return false;
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteAllTo(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD done = 0;
        DWORD chunk = static_cast<DWORD>(bytes.size() > 1u << 20 ? 1u << 20 : bytes.size());
        if (!WriteFile(h, bytes.data(), chunk, &done, nullptr) || done == 0) return false;
        bytes.remove_prefix(done);
    }
    return true;
}

}  // namespace

std::string UserDataDirectory() {
    const char* appData = std::getenv("APPDATA");
    if (appData == nullptr || *appData == '\0') return "";
    std::string dir = std::string(appData) + "\\Ranks and Files";
    return MakeDirectories(dir) ? dir : "";
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (faultStage == 1) {
        WriteAllTo(h, bytes.substr(0, bytes.size() / 2));
        TerminateProcess(GetCurrentProcess(), 137);
    }
    bool ok = WriteAllTo(h, bytes);
    ok = FlushFileBuffers(h) != 0 && ok;
    ok = CloseHandle(h) != 0 && ok;
    if (faultStage == 2) TerminateProcess(GetCurrentProcess(), 137);
    if (!ok || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool CreateNewFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void InjectWriteFault(int stage) { faultStage = stage; }

}  // namespace rf::platform
