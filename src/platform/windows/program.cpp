// The program's place on Windows: its standard streams, the folder it was
// started from, the path convention.
#include "platform/windows/windows_api.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/streams.h"
#include "platform/windows/windows_keys.h"
#include "platform/windows/windows_output.h"
#include "platform/windows/windows_write.h"

namespace rf::platform {
namespace {

bool saidInOwnWindow = false;
bool keptOpen = false;

// The console's only process is the game: the system opened the window for it.
bool OwnWindow() {
    DWORD processes[2] = {};
    return GetConsoleProcessList(processes, 2) == 1;
}

void Print(DWORD which, std::string_view utf8) {
    HANDLE h = GetStdHandle(which);
    if (!IsConsole(h) || utf8.empty()) {
        WriteAll(h, utf8);
        return;
    }
    if (!saidInOwnWindow && !keptOpen && OwnWindow()) {
        saidInOwnWindow = true;
        std::atexit(KeepOwnWindowOpen);
    }
    // A console shows UTF-8 only in code page 65001; wide output works in any.
    int length = static_cast<int>(utf8.size());
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wide <= 0) return;
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), wide);
    DWORD done = 0;
    WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
}

}  // namespace

void KeepOwnWindowOpen() {
    if (!saidInOwnWindow || keptOpen) return;
    keptOpen = true;
    HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return;
    Print(STD_ERROR_HANDLE, "\nPress a key to close this window.\n");
    FlushConsoleInputBuffer(in);  // keys typed during the game do not count
    WindowsKeyDecoder keys;
    while (!keys.HasCode() && !keys.QuitRequested()) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!ReadConsoleInputW(in, &record, 1, &read) || read == 0) break;
        if (record.EventType != KEY_EVENT) continue;
        FeedKeyEvent(keys, KeyEventOf(record.Event.KeyEvent));
    }
    CloseHandle(in);
}

bool IsConsole(void* h) {
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

void WriteAll(void* h, std::string_view bytes) {
    const bool console = IsConsole(h);
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 16384));
        DWORD done = 0;
        BOOL ok = console ? WriteConsoleA(h, bytes.data(), chunk, &done, nullptr)
                          : WriteFile(h, bytes.data(), chunk, &done, nullptr);
        if (!ok || done == 0) return;
        bytes.remove_prefix(done);
    }
}

void PrintOut(std::string_view text) { Print(STD_OUTPUT_HANDLE, text); }
void PrintError(std::string_view text) { Print(STD_ERROR_HANDLE, text); }

char PathSeparator() { return '\\'; }

std::string ExecutableDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return DirectoryOf(path);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);  // the name was cut short
    }
}

}  // namespace rf::platform
