// The player's files on POSIX systems: the data folder of the desktop's
// conventions and writes that survive a crash or a power loss.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/player_files.h"

namespace rf::platform {
namespace {

int faultStage = 0;

// mkdir -p; true when the folder exists afterwards.
bool MakeDirectories(const std::string& path, mode_t mode) {
    if (path.empty()) return false;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), 0755)) return false;
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

bool WriteAllTo(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The folder entry itself must reach the disk, or a power loss may forget the rename.
void SyncDirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string UserDataDirectory() {
    std::string dir;
#if defined(__APPLE__)
    if (const char* home = std::getenv("HOME"); home && *home) dir = std::string(home) + "/Library/Application Support/Ranks and Files";
#else
    // XDG: a relative XDG_DATA_HOME is to be ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') dir = std::string(xdg) + "/ranks-and-files";
    else if (const char* home = std::getenv("HOME"); home && *home) dir = std::string(home) + "/.local/share/ranks-and-files";
#endif
    if (dir.empty() || !MakeDirectories(dir, 0700)) return "";
    return dir;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok;
    if (faultStage == 1) {
        WriteAllTo(fd, bytes.substr(0, bytes.size() / 2));
        ::_exit(137);
    }
    ok = WriteAllTo(fd, bytes);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (faultStage == 2) ::_exit(137);
    if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}

bool CreateNewFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void InjectWriteFault(int stage) { faultStage = stage; }

}  // namespace rf::platform
