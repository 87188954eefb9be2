// The player's files on POSIX systems: the data folder of the desktop's
// conventions, writes that survive a crash or a power loss and follow
// nothing they did not make, and the lock of a save in play.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
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
    // A file grown past `ulimit -f` fails its write, which the game says,
    // rather than ending the game unsaved (also before the terminal is taken).
    ::signal(SIGXFSZ, SIG_IGN);
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

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

// The files the game holds open while it plays them: an open file's inode
// is never handed to another file, so a name that holds the same identity
// holds the same file. Its size and time of writing say whether someone
// wrote into it in place (cp over it).
struct HeldFile {
    int fd = -1;
    off_t size = 0;
    struct timespec written {};
};
std::map<std::pair<std::uint64_t, std::uint64_t>, HeldFile> heldFiles;

struct timespec WrittenAt(const struct stat& st) {
#if defined(__APPLE__)
    return st.st_mtimespec;
#else
    return st.st_mtim;
#endif
}

std::pair<std::uint64_t, std::uint64_t> KeyOf(const FileIdentity& identity) { return {identity.device, identity.file}; }

// File systems that keep no locks say so in these ways.
bool CannotLock(int error) { return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP || error == ENOSYS; }

// Keeps `fd` open as the held file it is, locked for this process; false
// when another process holds its lock (the descriptor is then closed).
bool Keep(int fd, const struct stat& st) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && !CannotLock(errno)) {
        ::close(fd);
        return false;
    }
    HeldFile& held = heldFiles[KeyOf(IdentityOf(st))];
    if (held.fd >= 0 && held.fd != fd) ::close(held.fd);
    held = {fd, st.st_size, WrittenAt(st)};
    return true;
}

// Whether the held file was written by someone else since the game last did.
// Not asked in the page: no other program reaches its files, another tab is
// kept off a game by the page itself, and there the size and time do not
// stay as the game left them (every save after the first was taken for
// someone else's, and the game went on under a second name).
bool WrittenInPlace(const FileIdentity& identity) {
#if defined(__EMSCRIPTEN__)
    static_cast<void>(identity);
    return false;
#else
    const auto it = heldFiles.find(KeyOf(identity));
    struct stat now {};
    return it != heldFiles.end() && ::fstat(it->second.fd, &now) == 0 &&
           (now.st_size != it->second.size || WrittenAt(now).tv_sec != it->second.written.tv_sec ||
            WrittenAt(now).tv_nsec != it->second.written.tv_nsec);
#endif
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

// Writes a temporary file and puts it in place: renamed over the file
// `kept` names (when known), or linked to a name that must be new.
bool WriteVia(const std::string& path, std::string_view bytes, bool fresh, bool& taken, FileIdentity& kept,
              bool& changed, bool hold, std::string& problem) {
    taken = changed = false;
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
    struct stat written {};
    if (ok && ::fstat(fd, &written) != 0) ok = false, error = errno;
    // A file replaced keeps who may read it (a world's file others play).
    if (struct stat before{}; ok && !fresh && ::lstat(path.c_str(), &before) == 0 && S_ISREG(before.st_mode))
        ::fchmod(fd, before.st_mode & 07777);
    // Held from before it has a name, so it is never seen unlocked.
    const int held = ok && hold ? ::dup(fd) : -1;
    if (held >= 0) ::flock(held, LOCK_EX | LOCK_NB);
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (faultStage == 2) ::_exit(137);
    // The name must still hold the file this game opened, as it last wrote
    // it; one that holds nothing any more is claimed anew, never replaced.
    struct stat named {};
    if (ok && !fresh && kept.known) {
        if (::lstat(path.c_str(), &named) != 0) fresh = errno == ENOENT;
        else changed = !S_ISREG(named.st_mode) || !(IdentityOf(named) == kept) || WrittenInPlace(kept);
        if (changed) ok = false, error = 0;
    }
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
            // rename() replaces the name itself: a link planted there is
            // replaced, the file it points to never written.
            ok = ::rename(temporary.c_str(), path.c_str()) == 0;
            error = errno;
        }
    }
    ::unlink(temporary.c_str());
    if (!ok) {
        if (held >= 0) ::close(held);
        problem = changed ? "it is no longer the file this game opened" : Reason(error);
        return false;
    }
    if (held >= 0) {
        if (kept.known) LetGoOfFile(kept);
        ::fstat(held, &written);  // its time as renamed
        Keep(held, written);
    }
    kept = IdentityOf(written);
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

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    identity = IdentityOf(st);
    return true;
}

LockResult HoldFile(const std::string& path, FileIdentity& identity, std::string& said) {
    said.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        said = fd < 0 ? Reason(errno) : TypeProblem(st.st_mode);
        if (fd >= 0) ::close(fd);
        return LockResult::kNotALock;
    }
    identity = IdentityOf(st);
    // Held already by this process (a game played again in one process).
    if (heldFiles.contains(KeyOf(identity))) {
        ::close(fd);
        return LockResult::kHeld;
    }
    if (!Keep(fd, st)) {
        identity = {};
        said = "under another name or link";
        return LockResult::kHeldElsewhere;
    }
    return LockResult::kHeld;
}

void LetGoOfFile(const FileIdentity& identity) {
    const auto it = heldFiles.find(KeyOf(identity));
    if (it == heldFiles.end()) return;
    ::close(it->second.fd);
    heldFiles.erase(it);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileIdentity& kept, bool& changed,
                         std::string& problem) {
    bool taken = false;
    const bool held = kept.known && heldFiles.contains(KeyOf(kept));
    return WriteVia(path, bytes, false, taken, kept, changed, held, problem);
}

bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, bool& taken, FileIdentity& made,
                            std::string& problem, bool hold) {
    bool changed = false;
    made = {};
    return WriteVia(path, bytes, true, taken, made, changed, hold, problem);
}

bool CanWriteBeside(const std::string& path, std::string_view bytes, std::string& problem) {
    std::string temporary;
    const int fd = MakeTemporary(path, temporary);
    if (fd < 0) {
        problem = "cannot write in " + FolderOf(path) + ": " + Reason(errno);
        return false;
    }
    bool ok = WriteAllTo(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    ok = ::close(fd) == 0 && ok;
    ::unlink(temporary.c_str());
    if (!ok) problem = "cannot write in " + FolderOf(path) + ": " + Reason(error);
    return ok;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

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

// The locks this process holds, by their file's name.
std::map<std::string, int> heldLocks;

std::string ReadHolder(int fd) {
    char buffer[256];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    std::string holder = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "another process";
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' ')) holder.pop_back();
    return holder;
}

// Whether the descriptor is still the file of that name (not one removed
// by its holder while we waited for it).
bool StillNamed(int fd, const std::string& path) {
    struct stat mine {
    }, named{};
    return ::fstat(fd, &mine) == 0 && ::lstat(path.c_str(), &named) == 0 && IdentityOf(mine) == IdentityOf(named);
}

// However the process ends but killed (a refusal that exits at once
// included), its locks' files go with it.
void ReleaseAllLocks() {
    for (const auto& [path, fd] : heldLocks)
        if (StillNamed(fd, path)) ::unlink(path.c_str());
}

}  // namespace

LockResult HoldLock(const std::string& lockPath, std::string_view whoAmI, std::string& said) {
    said.clear();
    static const bool releasedAtExit = std::atexit(ReleaseAllLocks) == 0;
    (void)releasedAtExit;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Never through a link, never anything but a regular file.
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat st {};
        if (fd < 0) {
            const int error = errno;
            if (::lstat(lockPath.c_str(), &st) == 0) {
                said = TypeProblem(st.st_mode);
                if (said.empty()) said = Reason(error);
                return LockResult::kNotALock;
            }
            said = Reason(error);  // the folder cannot take it (read-only, not ours)
            return LockResult::kCannotLock;
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            said = TypeProblem(st.st_mode);
            ::close(fd);
            return LockResult::kNotALock;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            said = CannotLock(error) ? Reason(error) : ReadHolder(fd);
            // Where nothing locks, a lock file guards nothing: none is left behind.
            if (CannotLock(error) && StillNamed(fd, lockPath)) ::unlink(lockPath.c_str());
            ::close(fd);
            return CannotLock(error) ? LockResult::kCannotLock : LockResult::kHeldElsewhere;
        }
        if (StillNamed(fd, lockPath)) {
            if (::ftruncate(fd, 0) == 0) WriteAllTo(fd, std::string(whoAmI) + "\n");
            heldLocks[lockPath] = fd;  // open until released or the process ends
            return LockResult::kHeld;
        }
        ::close(fd);
    }
    said = "its lock keeps being replaced";
    return LockResult::kHeldElsewhere;
}

void ReleaseLock(const std::string& lockPath) {
    const auto it = heldLocks.find(lockPath);
    if (it == heldLocks.end()) return;
    // Removed while still held: whoever opened it meanwhile sees it gone and
    // makes a new one.
    if (StillNamed(it->second, lockPath)) ::unlink(lockPath.c_str());
    ::close(it->second);
    heldLocks.erase(it);
}

bool LockHeld(const std::string& lockPath, std::string& holder) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // Only a lock another process holds; a file system that cannot lock holds none.
    const bool held =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (held) holder = ReadHolder(fd);
    ::close(fd);
    return held;
}

void RemoveStaleLock(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (::flock(fd, LOCK_EX | LOCK_NB) == 0 || CannotLock(errno)) &&
        StillNamed(fd, lockPath))
        ::unlink(lockPath.c_str());
    ::close(fd);
}

std::string ThisProcess() {
    std::string out = "process " + std::to_string(::getpid());
    if (const char* tty = ::ttyname(STDIN_FILENO)) out += " on " + std::string(tty);
    return out;
}

void InjectWriteFault(int stage) { faultStage = stage; }

// The listing's own word on each name's type; a link, or a file system
// that does not say, is asked (a link to a plain file is one).
std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        const bool plain =
            entry->d_type == DT_REG || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                        ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode));
        if (plain) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace rf::platform
