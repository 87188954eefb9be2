// The player's files on Windows: %APPDATA%\Ranks and Files, writes that
// survive a crash or a power loss and replace nothing but the game's own
// files, and the lock of a save in play (a share mode).
#include "platform/windows/windows_api.h"
// After windows.h.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "platform/fs_path.h"
#include "platform/player_files.h"

namespace rf::platform {
namespace {

int faultStage = 0;

std::string Reason(DWORD error) {
    char* text = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = n > 0 && text ? std::string(text, n) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.')) out.pop_back();
    return out;
}

bool MakeDirectories(const std::string& path, std::string& problem) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
        problem = path + " is not a folder";
        return false;
    }
    std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2 && !MakeDirectories(path.substr(0, slash), problem)) return false;
    if (CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    problem = "cannot make " + path + ": " + Reason(GetLastError());
    return false;
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

// The file a path names, through a symbolic link.
std::string Target(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(FsPath(path), ec)) return path;
    std::filesystem::path to = std::filesystem::read_symlink(FsPath(path), ec);
    if (ec) return path;
    return PathText(to.is_absolute() ? to : FsPath(path).parent_path() / to);
}

std::string TypeProblem(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "it is a symbolic link (give the file it points to)";
    return "";
}

// A file as the game knows it: which file, and its size and time of writing.
struct Look {
    FileIdentity identity;
    std::uint64_t size = 0, written = 0;
};

Look LookAt(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info) == 0) return {};
    return {
        {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow, true},
        static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
        static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime};
}

// The held files as the game last wrote them: a held file written in place
// by another since (its identity kept, its size or time not) is no longer
// the game's.
std::map<std::pair<std::uint64_t, std::uint64_t>, Look> heldFiles;

std::pair<std::uint64_t, std::uint64_t> KeyOf(const FileIdentity& identity) { return {identity.device, identity.file}; }

// The regular file a path names itself, as it is now.
Look LookAt(const std::string& path) {
    if (!TypeProblem(path).empty()) return {};
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    const Look look = LookAt(h);
    CloseHandle(h);
    return look;
}

// `written` gets the new file as written (a move within its volume keeps
// its identity and time).
bool WriteVia(const std::string& path, std::string_view bytes, bool fresh, bool& taken, Look& written,
              std::string& problem) {
    taken = false;
    written = {};
    HANDLE h = INVALID_HANDLE_VALUE;
    std::string temporary;
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId(), attempt = 0; attempt < 100;
         ++attempt, n = n * 1103515245u + 12345u) {
        temporary = path + "." + std::to_string(n % 100000000u) + ".tmp";
        // CREATE_NEW: never a name someone planted.
        h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        problem = Reason(GetLastError());
        return false;
    }
    if (faultStage == 1) {
        WriteAllTo(h, bytes.substr(0, bytes.size() / 2));
        TerminateProcess(GetCurrentProcess(), 137);
    }
    bool ok = WriteAllTo(h, bytes);
    DWORD error = ok ? 0 : GetLastError();
    if (ok && !FlushFileBuffers(h)) ok = false, error = GetLastError();
    if (ok) written = LookAt(h);
    if (!CloseHandle(h) && ok) ok = false, error = GetLastError();
    if (faultStage == 2) TerminateProcess(GetCurrentProcess(), 137);
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_WRITE_THROUGH | (fresh ? 0 : MOVEFILE_REPLACE_EXISTING))) {
        ok = false;
        error = GetLastError();
        taken = fresh && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        problem = Reason(error);
        written = {};
    } else if (const Look named = LookAt(path); named.identity == written.identity) {
        written = named;  // its time as closed and moved
    }
    return ok;
}

}  // namespace

// The library's listing takes a Japanese folder name for other characters
// even as UTF-8; the system's call, in the manifest's UTF-8, does not.
std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return names;
}

std::string UserDataDirectory(std::string& problem) {
    const char* appData = std::getenv("APPDATA");
    if (appData == nullptr || *appData == '\0') {
        problem = "APPDATA is not set";
        return "";
    }
    return std::string(appData) + "\\Ranks and Files";
}

std::string UserConfigDirectory(std::string& problem) { return UserDataDirectory(problem); }

bool PrepareUserDataDirectory(const std::string& folder, std::string& problem) {
    if (!MakeDirectories(folder, problem)) return false;
    // Whether a file can be made there: one that goes away when closed.
    const std::string probe = folder + "\\.probe.tmp";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        problem = "cannot write in " + folder + ": " + Reason(GetLastError());
        return false;
    }
    CloseHandle(h);
    return true;
}

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
    const Look look = LookAt(path);
    if (look.identity.known) identity = look.identity;
    return look.identity.known;
}

namespace {

// The lock of a file whatever name or hard link reaches it: named after its
// identity in the player's temporary folder, which all their windows share.
std::string FileLockPath(const FileIdentity& identity) {
    char folder[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH) return "";
    char name[64];
    std::snprintf(name, sizeof name, "ranks-file-%08llx-%016llx.lock", static_cast<unsigned long long>(identity.device),
                  static_cast<unsigned long long>(identity.file));
    return std::string(folder, n) + name;
}

// kHeldElsewhere when another game holds the file; where no lock can be
// made, the file is only identified.
LockResult LockTheFile(const FileIdentity& identity, std::string& said) {
    const std::string lock = FileLockPath(identity);
    if (lock.empty()) return LockResult::kHeld;
    const LockResult result = HoldLock(lock, ThisProcess(), said);
    return result == LockResult::kHeldElsewhere ? result : LockResult::kHeld;
}

void UnlockTheFile(const FileIdentity& identity) {
    if (const std::string lock = FileLockPath(identity); !lock.empty()) ReleaseLock(lock);
}

// The hold on a held file passes to the one written in its place.
void PassHold(const FileIdentity& from, const Look& to) {
    heldFiles.erase(KeyOf(from));
    UnlockTheFile(from);
    std::string said;
    LockTheFile(to.identity, said);
    heldFiles[KeyOf(to.identity)] = to;
}

}  // namespace

// NTFS never hands a file's index to another file while a volume lives
// (its sequence number changes), so the file is identified, not kept open,
// and locked by its identity (a hard link shares it), beside the lock by
// name.
LockResult HoldFile(const std::string& path, FileIdentity& identity, std::string& said) {
    const Look look = LookAt(path);
    if (look.identity.known) {
        identity = look.identity;
        if (!heldFiles.contains(KeyOf(identity)) && LockTheFile(identity, said) == LockResult::kHeldElsewhere)
            return LockResult::kHeldElsewhere;
        heldFiles[KeyOf(identity)] = look;
        return LockResult::kHeld;
    }
    said = TypeProblem(path);
    if (said.empty()) said = Reason(GetLastError());
    return LockResult::kNotALock;
}

void LetGoOfFile(const FileIdentity& identity) {
    if (heldFiles.erase(KeyOf(identity)) > 0) UnlockTheFile(identity);
}

// The name is replaced by a move, which never writes through it. With
// `kept` known, only while the name still holds that file as the game last
// wrote it (a link, a folder, another file, or the file written in place by
// another, is left alone); a name that holds nothing any more is claimed
// anew. Without, a link's target is replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, FileIdentity& kept, bool& changed,
                         std::string& problem) {
    bool taken = false;
    changed = false;
    bool fresh = false;
    const auto held = kept.known ? heldFiles.find(KeyOf(kept)) : heldFiles.end();
    if (kept.known) {
        const bool gone = GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                          (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
        const Look named = gone ? Look{} : LookAt(path);
        fresh = gone;
        changed =
            !gone &&
            (!(named.identity == kept) ||
             (held != heldFiles.end() && (named.size != held->second.size || named.written != held->second.written)));
        if (changed) {
            problem = "it is no longer the file this game opened";
            return false;
        }
    }
    Look written;
    if (!WriteVia(kept.known ? path : Target(path), bytes, fresh, taken, written, problem)) return false;
    if (held != heldFiles.end()) PassHold(kept, written);
    kept = written.identity;
    return true;
}

bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, bool& taken, FileIdentity& made,
                            std::string& problem, bool hold) {
    Look written;
    const bool ok = WriteVia(path, bytes, true, taken, written, problem);
    made = written.identity;
    if (ok && hold) {
        std::string said;
        LockTheFile(made, said);
        heldFiles[KeyOf(made)] = written;
    }
    return ok;
}

bool CanWriteBeside(const std::string& path, std::string_view bytes, std::string& problem) {
    const std::string probe = path + ".probe.tmp";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const bool ok = h != INVALID_HANDLE_VALUE && WriteAllTo(h, bytes) && FlushFileBuffers(h);
    const DWORD error = GetLastError();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) problem = "cannot write beside " + path + ": " + Reason(error);
    return ok;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::FILE* OpenOutputFile(const std::string& path, bool fresh, bool& taken, std::string& problem) {
    taken = false;
    if (std::string type = TypeProblem(path); !type.empty()) {
        problem = type;
        return nullptr;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, fresh ? CREATE_NEW : OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        taken = error == ERROR_FILE_EXISTS;
        problem = Reason(error);
        return nullptr;
    }
    // A device (NUL, CON, a serial port) is not a file of ours.
    if (GetFileType(h) != FILE_TYPE_DISK || !SetEndOfFile(h)) {
        problem = "it is not a regular file";
        CloseHandle(h);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (file == nullptr) {
        problem = "cannot be opened";
        if (fd >= 0) _close(fd);
        else CloseHandle(h);
    }
    return file;
}

std::string OutputFileProblem(const std::string& path) {
    if (std::string type = TypeProblem(path); !type.empty()) return type;
    const std::filesystem::path p = FsPath(path);
    const std::filesystem::path folder = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return "its folder " + PathText(folder) + " does not exist";
    return "";
}

namespace {

// The locks this process holds, by their file's name.
std::map<std::string, HANDLE> heldLocks;

// The holder keeps the file open for writing and shares it for reading only.
HANDLE OpenLockFile(const std::string& lockPath, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(lockPath.c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

std::string ReadHolder(const std::string& lockPath) {
    HANDLE h =
        OpenLockFile(lockPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return "another process";
    char buffer[256];
    DWORD n = 0;
    ReadFile(h, buffer, sizeof buffer - 1, &n, nullptr);
    CloseHandle(h);
    std::string holder = n > 0 ? std::string(buffer, n) : "another process";
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r' || holder.back() == ' '))
        holder.pop_back();
    return holder;
}

// However the process ends but killed (a refusal that exits at once
// included), its locks' files go with it.
void ReleaseAllLocks() {
    for (const auto& [path, h] : heldLocks) {
        CloseHandle(h);
        DeleteFileA(path.c_str());
    }
    heldLocks.clear();
}

}  // namespace

LockResult HoldLock(const std::string& lockPath, std::string_view whoAmI, std::string& said) {
    said.clear();
    static const bool releasedAtExit = std::atexit(ReleaseAllLocks) == 0;
    (void)releasedAtExit;
    HANDLE h = OpenLockFile(lockPath, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION) {
            said = Reason(error);
            return LockResult::kCannotLock;
        }
        said = ReadHolder(lockPath);
        return LockResult::kHeldElsewhere;
    }
    SetEndOfFile(h);
    WriteAllTo(h, std::string(whoAmI) + "\r\n");
    FlushFileBuffers(h);
    heldLocks[lockPath] = h;  // open until released or the process ends
    return LockResult::kHeld;
}

void ReleaseLock(const std::string& lockPath) {
    const auto it = heldLocks.find(lockPath);
    if (it == heldLocks.end()) return;
    CloseHandle(it->second);
    heldLocks.erase(it);
    // Fails, harmlessly, when another game opened it meanwhile.
    DeleteFileA(lockPath.c_str());
}

bool LockHeld(const std::string& lockPath, std::string& holder) {
    HANDLE h = OpenLockFile(lockPath, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    holder = ReadHolder(lockPath);
    return true;
}

// A held lock is open without delete sharing, so only a stale one goes.
void RemoveStaleLock(const std::string& lockPath) { DeleteFileA(lockPath.c_str()); }

std::string ThisProcess() { return "process " + std::to_string(GetCurrentProcessId()); }

void InjectWriteFault(int stage) { faultStage = stage; }

}  // namespace rf::platform
