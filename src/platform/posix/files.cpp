// Folders and data files on POSIX systems. Data files: the type is checked before anything is
// opened, so a FIFO or a device is never opened at all, and the open itself
// cannot block.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/files.h"

namespace rf::platform {
namespace {

FileProblem ProblemOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return FileProblem::kMissing;
        case EACCES:
        case EPERM: return FileProblem::kNoPermission;
        case EISDIR: return FileProblem::kDirectory;
        default: return FileProblem::kUnreadable;
    }
}

FileProblem TypeProblem(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return FileProblem::kDirectory;
    if (!S_ISREG(st.st_mode)) return FileProblem::kNotRegular;
    return FileProblem::kNone;
}

// A regular file open for reading, or -1 with the problem; `st` describes
// it. `path` is relative to the folder `at` (AT_FDCWD: the working one).
int OpenRegular(int at, const char* path, FileProblem& problem, struct stat& st) {
    if (::fstatat(at, path, &st, 0) != 0) {
        problem = ProblemOf(errno);
        return -1;
    }
    if ((problem = TypeProblem(st)) != FileProblem::kNone) return -1;
    // Non-blocking in case the file was swapped for a FIFO since the stat;
    // it is read only when it is still a plain file.
    int fd = ::openat(at, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem = ProblemOf(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || (problem = TypeProblem(st)) != FileProblem::kNone) {
        if (problem == FileProblem::kNone) problem = FileProblem::kUnreadable;
        ::close(fd);
        return -1;
    }
    return fd;
}

DataFileBytes ReadDataFileAt(int at, const char* path, std::size_t limit) {
    DataFileBytes result;
    struct stat st {};
    const int fd = OpenRegular(at, path, result.problem, st);
    if (fd < 0) return result;
    // Room for the bytes the file has, not the limit's (it grows for a file
    // that grew since, up to the limit); once they are all read, no read
    // more to learn its end.
    const auto had = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
    result.bytes.resize(std::min(limit, had));
    std::size_t got = 0;
    for (;;) {
        char probe;
        const bool full = got == result.bytes.size();
        if (full && got == had && got > 0 && got < limit) break;
        const ssize_t n =
            full ? ::read(fd, &probe, 1) : ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.problem =
                ProblemOf(errno) == FileProblem::kDirectory ? FileProblem::kDirectory : FileProblem::kUnreadable;
            break;
        }
        if (n == 0) break;
        if (full && got == limit) {
            result.cut = true;
            break;
        }
        if (full) {
            result.bytes.resize(std::min(limit, std::max<std::size_t>(2 * got, 4096)));
            result.bytes[got++] = probe;
            continue;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    result.bytes.resize(result.problem == FileProblem::kNone ? got : 0);
    return result;
}

// A name the listing has just called a plain file, opened without following
// a link: what is there is then that file, or (put there since) a FIFO, a
// folder or a socket, which the open or the read refuses without waiting
// (a device can be made there by root alone), so its type need not be
// asked; a link is followed as ReadDataFileAt follows a path, its target's
// type asked first. `room` holds limit + 1 bytes.
DataFileBytes ReadListedFileAt(int at, const char* name, std::size_t limit, char* room) {
    const int fd = ::openat(at, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && (errno == ELOOP || errno == EMLINK)) return ReadDataFileAt(at, name, limit);  // EMLINK: BSD
    DataFileBytes result;
    if (fd < 0) {
        result.problem = ProblemOf(errno);
        return result;
    }
    // One read: a plain file gives all it has up to the room's end.
    ssize_t n = 0;
    do n = ::read(fd, room, limit + 1);
    while (n < 0 && errno == EINTR);
    struct stat st {};
    if (n < 0) {
        result.problem =
            ProblemOf(errno) == FileProblem::kDirectory ? FileProblem::kDirectory : FileProblem::kUnreadable;
    } else if (n == 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        // Nothing read: an empty file, or a FIFO without a writer.
        result.problem = FileProblem::kNotRegular;
    } else if (static_cast<std::size_t>(n) > limit) {
        result.cut = true;
        result.bytes.assign(room, limit);
    } else {
        result.bytes.assign(room, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

}  // namespace

DataFileBytes ReadDataFile(const std::string& path, std::size_t limit) {
    return ReadDataFileAt(AT_FDCWD, path.c_str(), limit);
}

std::vector<DataFileBytes> ReadDataFilesIn(const std::string& directory, const std::vector<std::string>& names,
                                           std::size_t limit) {
    std::vector<DataFileBytes> files(names.size());
    // Each name looked up in the folder alone, not along its whole path again.
    const int at = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const FileProblem problem = at < 0 ? ProblemOf(errno) : FileProblem::kNone;
    const std::unique_ptr<char[]> room(at < 0 ? nullptr : new char[limit + 1]);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (at < 0) files[i].problem = problem;
        else if (names[i].find('/') != std::string::npos) files[i].problem = FileProblem::kMissing;
        else files[i] = ReadListedFileAt(at, names[i].c_str(), limit, room.get());
    }
    if (at >= 0) ::close(at);
    return files;
}

std::FILE* OpenDataFile(const std::string& path, FileProblem& problem) {
    struct stat st {};
    const int fd = OpenRegular(AT_FDCWD, path.c_str(), problem, st);
    if (fd < 0) return nullptr;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        problem = FileProblem::kUnreadable;
        ::close(fd);
    }
    return file;
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FullPath(const std::string& path) {
    char* full = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (full == nullptr) return "";
    std::string out = full;
    std::free(full);
    return out;
}

std::vector<std::string> DirectoryNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.empty() ? "." : path.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace rf::platform
