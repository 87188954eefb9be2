// The player's files on POSIX systems: the data folder of the desktop's
// conventions, writes that survive a crash or a power loss and follow
// nothing they did not make, and the lock of a save in play.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/player_files.h"

namespace rf::platform {
namespace {

int faultStage = 0;

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p; true when the folder exists afterwards.
bool MakeDirectories(const std::string& path, mode_t mode, std::string& problem) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        problem = path + " is not a folder";
        return false;
    }
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), 0755, problem)) return false;
    if (::mkdir(path.c_str(), mode) == 0 || errno == EEXIST) return true;
    problem = "cannot make " + path + ": " + Reason(errno);
    return false;
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
void SyncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file a path names, through any symbolic links (the path itself when
// it names nothing yet).
std::string Target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    // A link to a file not made yet: its folder resolved, its name as the link says.
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) return path;
    std::string to(link, static_cast<std::size_t>(n));
    return to.starts_with("/") ? to : FolderOf(path) + "/" + to;
}

// A temporary file of a new name beside `path`, made by this call alone
// (never a name someone planted, never through a link).
int MakeTemporary(const std::string& path, std::string& temporary) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 2654435761ULL ^
                              static_cast<unsigned long long>(std::time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        std::string suffix;
        for (unsigned long long s = seed >> 20; suffix.size() < 8; s /= 36) suffix += kDigits[s % 36];
        temporary = path + "." + suffix + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes a temporary file and puts it in place: renamed over the target, or
// linked to a name that must be new.
bool WriteVia(const std::string& path, std::string_view bytes, bool fresh, bool& taken, std::string& problem) {
    taken = false;
    std::string temporary;
    const int fd = MakeTemporary(path, temporary);
    if (fd < 0) {
        problem = Reason(errno);
        return false;
    }
    if (faultStage == 1) {
        WriteAllTo(fd, bytes.substr(0, bytes.size() / 2));
        ::_exit(137);
    }
    bool ok = WriteAllTo(fd, bytes);
    int error = ok ? 0 : errno;
    if (ok && ::fsync(fd) != 0) ok = false, error = errno;
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (faultStage == 2) ::_exit(137);
    if (ok) {
        if (fresh) {
            // link() never replaces: the name is ours only if nobody had it.
            ok = ::link(temporary.c_str(), path.c_str()) == 0;
            error = errno;
            // A file system without hard links (FAT, some network shares, the
            // web page's): the name is claimed by creating it, then the
            // written file renamed over it.
            if (!ok && (error == EMLINK || error == EPERM || error == ENOSYS || error == EOPNOTSUPP)) {
                const int claim = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                error = errno;
                if (claim >= 0) {
                    ::close(claim);
                    ok = ::rename(temporary.c_str(), path.c_str()) == 0;
                    error = errno;
                    if (!ok) ::unlink(path.c_str());  // the claim, still empty
                }
            }
            taken = !ok && error == EEXIST;
        } else {
            ok = ::rename(temporary.c_str(), path.c_str()) == 0;
            error = errno;
        }
    }
    ::unlink(temporary.c_str());
    if (!ok) {
        problem = Reason(error);
        return false;
    }
    SyncDirectory(FolderOf(path));
    return true;
}

std::string TypeProblem(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISLNK(mode)) return "it is a symbolic link (give the file it points to)";
    if (S_ISFIFO(mode)) return "it is a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
    if (S_ISSOCK(mode)) return "it is a socket";
    return S_ISREG(mode) ? "" : "it is not a regular file";
}

}  // namespace

std::string UserDataDirectory(std::string& problem) {
    const char* home = std::getenv("HOME");
    const bool homeUsable = home != nullptr && home[0] == '/';
#if defined(__APPLE__)
    if (homeUsable) return std::string(home) + "/Library/Application Support/Ranks and Files";
#else
    // XDG: a relative or empty XDG_DATA_HOME is to be ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/ranks-and-files";
    if (homeUsable) return std::string(home) + "/.local/share/ranks-and-files";
#endif
    problem = home == nullptr || *home == '\0' ? "HOME is not set" : "HOME is not an absolute path";
    return "";
}

std::string UserConfigDirectory(std::string& problem) {
#if !defined(__APPLE__)
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/ranks-and-files";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return std::string(home) + "/.config/ranks-and-files";
#endif
    return UserDataDirectory(problem);
}

bool PrepareUserDataDirectory(const std::string& folder, std::string& problem) {
    if (!MakeDirectories(folder, 0700, problem)) return false;
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem = "cannot write in " + folder + ": " + Reason(errno);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& problem) {
    bool taken = false;
    return WriteVia(Target(path), bytes, false, taken, problem);
}

bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, bool& taken, std::string& problem) {
    return WriteVia(path, bytes, true, taken, problem);
}

std::FILE* OpenOutputFile(const std::string& path, bool fresh, bool& taken, std::string& problem) {
    taken = false;
    // Non-blocking, so that a FIFO cannot hold the open; nothing is cut
    // before the file is known to be a regular one.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (fresh ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, fresh ? 0600 : 0666);
    if (fd < 0) {
        const int error = errno;
        struct stat st {};
        taken = error == EEXIST;
        problem = error == ELOOP || error == EMLINK ? "it is a symbolic link (give the file it points to)"
                  : error == ENXIO && ::lstat(path.c_str(), &st) == 0 ? TypeProblem(st.st_mode)
                                                                      : Reason(error);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = TypeProblem(st.st_mode);
        ::close(fd);
        return nullptr;
    }
    if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        problem = Reason(errno);
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        problem = Reason(errno);
        ::close(fd);
    }
    return file;
}

std::string OutputFileProblem(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (std::string type = TypeProblem(st.st_mode); !type.empty()) return type;
        return ::access(path.c_str(), W_OK) == 0 ? "" : Reason(errno);
    }
    if (errno != ENOENT) return Reason(errno);
    const std::string folder = FolderOf(path);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "its folder " + folder + " does not exist";
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? "" : "cannot write in " + folder + ": " + Reason(errno);
}

namespace {

// The lock file: never through a link, never anything but a regular file.
int OpenLockFile(const std::string& lockPath, bool create) {
    const int fd =
        ::open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string ReadHolder(int fd) {
    char buffer[256];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    std::string holder = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "another process";
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' ')) holder.pop_back();
    return holder;
}

}  // namespace

bool HoldLock(const std::string& lockPath, std::string_view whoAmI, std::string& holder) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = OpenLockFile(lockPath, true);
        if (fd < 0) {
            holder = "";
            return true;  // no lock can be had here: play unguarded rather than not at all
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            holder = ReadHolder(fd);
            ::close(fd);
            return false;
        }
        // Still the file of that name (not one removed while we waited)?
        struct stat mine {
        }, named{};
        if (::fstat(fd, &mine) == 0 && ::lstat(lockPath.c_str(), &named) == 0 && mine.st_ino == named.st_ino &&
            mine.st_dev == named.st_dev) {
            if (::ftruncate(fd, 0) == 0) WriteAllTo(fd, std::string(whoAmI) + "\n");
            return true;  // held until the process ends; the descriptor stays open for that
        }
        ::close(fd);
    }
    return true;
}

bool LockHeld(const std::string& lockPath, std::string& holder) {
    const int fd = OpenLockFile(lockPath, false);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    if (held) holder = ReadHolder(fd);
    ::close(fd);
    return held;
}

std::string ThisProcess() {
    std::string out = "process " + std::to_string(::getpid());
    if (const char* tty = ::ttyname(STDIN_FILENO)) out += " on " + std::string(tty);
    return out;
}

void InjectWriteFault(int stage) { faultStage = stage; }

}  // namespace rf::platform
