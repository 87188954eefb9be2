// Data files on Windows: only a file on disk is read (a pipe, a console or
// a device is refused), opened without waiting, and never beyond the limit.
#include "platform/files.h"

#include "platform/windows/windows_api.h"

#include <algorithm>

namespace rf::platform {
namespace {

FileProblem ProblemOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH: return FileProblem::kMissing;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileProblem::kNoPermission;
        default: return FileProblem::kUnreadable;
    }
}

}  // namespace

DataFileBytes ReadDataFile(const std::string& path, std::size_t limit) {
    DataFileBytes result;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        // Devices such as CON or NUL have no attributes to give but may open.
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_PIPE_BUSY) {
            result.problem = ProblemOf(error);
            return result;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.problem = FileProblem::kDirectory;
        return result;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        result.problem = error == ERROR_PIPE_BUSY ? FileProblem::kNotRegular : ProblemOf(error);
        return result;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        result.problem = FileProblem::kNotRegular;
        return result;
    }
    // Room for the bytes the file has, not the limit's (it grows for a file
    // that grew since, up to the limit); once they are all read, no read
    // more to learn its end.
    LARGE_INTEGER size{};
    const std::size_t has = GetFileSizeEx(h, &size) && size.QuadPart > 0 ? static_cast<std::size_t>(size.QuadPart) : 0;
    result.bytes.resize(std::min(limit, has));
    std::size_t got = 0;
    for (;;) {
        char probe;
        const bool full = got == result.bytes.size();
        if (full && got == has && got > 0 && got < limit) break;
        const DWORD want = full ? 1 : static_cast<DWORD>(std::min<std::size_t>(result.bytes.size() - got, 1u << 20));
        DWORD n = 0;
        if (!ReadFile(h, full ? &probe : result.bytes.data() + got, want, &n, nullptr)) {
            result.problem = FileProblem::kUnreadable;
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
        got += n;
    }
    CloseHandle(h);
    result.bytes.resize(result.problem == FileProblem::kNone ? got : 0);
    return result;
}

std::vector<DataFileBytes> ReadDataFilesIn(const std::string& directory, const std::vector<std::string>& names,
                                           std::size_t limit) {
    std::vector<DataFileBytes> files;
    files.reserve(names.size());
    for (const std::string& name : names)
        files.push_back(ReadDataFile(directory.empty() ? name : directory + "\\" + name, limit));
    return files;
}

std::FILE* OpenDataFile(const std::string& path, FileProblem& problem) {
    // The same checks as a read: only a file on disk.
    DataFileBytes probe = ReadDataFile(path, 0);
    problem = probe.problem;
    if (problem != FileProblem::kNone) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) problem = FileProblem::kUnreadable;
    return file;
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.empty() ? "." : path.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH || GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) return "";
    return std::string(full, n);
}

std::vector<std::string> DirectoryNames(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(((path.empty() ? std::string(".") : path) + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return names;
}

}  // namespace rf::platform
