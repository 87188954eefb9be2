// The game on the Windows console: the console API itself, writing code
// page 932 bytes, in a screen buffer of its own so the shell's screen comes
// back untouched when the game ends.
#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/streams.h"

#include "platform/windows/windows_api.h"
// After windows.h, which it needs.
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "platform/model/virtual_console.h"
#include "platform/model/waiting.h"
#include "platform/windows/sapi_speech.h"
#include "platform/windows/windows_keys.h"
#include "platform/windows/windows_output.h"
#include "platform/windows/windows_process.h"
#include "platform/windows/windows_write.h"

namespace rf::platform {
namespace {

static_assert(console_mode::kProcessedInput == ENABLE_PROCESSED_INPUT &&
              console_mode::kMouseInput == ENABLE_MOUSE_INPUT && console_mode::kQuickEdit == ENABLE_QUICK_EDIT_MODE &&
              console_mode::kExtendedFlags == ENABLE_EXTENDED_FLAGS &&
              console_mode::kVirtualTerminalInput == ENABLE_VIRTUAL_TERMINAL_INPUT);
static_assert(console_mode::kProcessedOutput == ENABLE_PROCESSED_OUTPUT &&
              console_mode::kWrapAtEol == ENABLE_WRAP_AT_EOL_OUTPUT &&
              console_mode::kVirtualTerminalOutput == ENABLE_VIRTUAL_TERMINAL_PROCESSING &&
              console_mode::kNoAutoReturn == DISABLE_NEWLINE_AUTO_RETURN);

// The backend's whole state. The lock guards the console against the Ctrl+C
// handler, which the system runs on a thread of its own.
struct WindowsConsole {
    std::recursive_mutex lock;
    bool opened = false;
    bool restored = false;
    CodePagePlan codePages;
    bool timerRaised = false;
    HANDLE shellOutput = nullptr;  // the buffer the game was started in
    HANDLE gameOutput = nullptr;   // the buffer the game draws in, if one was made
    HANDLE input = nullptr;        // the console input, when its mode was changed
    DWORD inputMode = 0;
    DWORD shellOutputMode = 0;  // restored when the game draws in the shell's buffer
    bool shellOutputModeSet = false;
    bool cursorVisible = true;
    LeadByteJoiner joiner;
    WindowsKeyDecoder keys;
    IdlePolls idle;
    std::uint64_t outputs = 0;  // grows with every change to the screen
    std::uint64_t outputsAtLastPoll = 0;
    PauseDeadlines pauses;
    LARGE_INTEGER frequency{};
    HANDLE timer = nullptr;       // a high-resolution waitable timer, where the system has one
    HANDLE quitEvent = nullptr;   // set with quitRequested, so a wait for input ends at once
    std::uint16_t attribute = 7;  // the game's, as it set it
    std::wstring userTitle;       // the window's title before the game changed it
    bool titleSet = false;
};

WindowsConsole win;

// Set by the console's control handler (its own thread); the game's thread
// acts on it at the backend's next call, so the before-exit hook (a save)
// runs where the game's records are safe to read.
std::atomic<bool> quitRequested{false};
std::atomic<bool> quitDone{false};
// While another program runs in the console (and a moment after: the
// console calls each process's handler on a thread of its own, perhaps
// late), Ctrl+C is that program's.
std::atomic<bool> otherProgramRuns{false};
std::atomic<std::uint64_t> otherProgramEndedMs{0};
constexpr std::uint64_t kLateControlMs = 1000;

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }

void ApplyCursorVisible(HANDLE h, bool visible) {
    CONSOLE_CURSOR_INFO info{};
    if (!GetConsoleCursorInfo(h, &info)) info.dwSize = 0;
    info.dwSize = KeptCursorSize(info.dwSize);
    info.bVisible = visible ? TRUE : FALSE;
    SetConsoleCursorInfo(h, &info);
}

// Gives the console back as the game found it: attribute 7, cursor shown,
// the shell's screen buffer and modes, the code pages. The game's own
// buffer is closed for good, or kept to be taken back (TakeConsole).
void GiveConsoleBack(bool forGood) {
    HANDLE h = Output();
    SetConsoleTextAttribute(h, 7);
    ApplyCursorVisible(h, true);
    if (win.shellOutputModeSet) SetConsoleMode(h, win.shellOutputMode);
    if (win.input != nullptr) SetConsoleMode(win.input, win.inputMode);
    if (win.gameOutput != nullptr) {
        SetConsoleActiveScreenBuffer(win.shellOutput);
        SetStdHandle(STD_OUTPUT_HANDLE, win.shellOutput);
        if (forGood) {
            CloseHandle(win.gameOutput);
            win.gameOutput = nullptr;
        }
    }
    if (win.codePages.setOutput) SetConsoleOutputCP(win.codePages.restore.output);
    if (win.codePages.setInput) SetConsoleCP(win.codePages.restore.input);
}

// Gives the console back as it was, and the timer resolution and the
// window's title. Safe to call twice.
void Restore() {
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    if (!win.opened || win.restored) return;
    win.restored = true;
    GiveConsoleBack(true);
    if (win.timerRaised) timeEndPeriod(1);
    if (win.titleSet) SetConsoleTitleW(win.userTitle.c_str());
}

// Ctrl+C and its like end the game as the console would, with the console
// restored. The lock stays held so the game writes nothing more.
[[noreturn]] void EndOnControl() {
    win.lock.lock();
    Restore();
    // After the console is back, so what the hook says is seen.
    RunBeforeExit();
    // The control handler's thread now waits on the lock this thread holds.
    quitDone = true;
    KeepOwnWindowOpen();
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

void QuitIfRequested() {
    if (quitRequested) EndOnControl();
}

BOOL WINAPI OnControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            if (otherProgramRuns || GetTickCount64() - otherProgramEndedMs < kLateControlMs) return TRUE;
            [[fallthrough]];
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            quitRequested = true;
            if (win.quitEvent != nullptr) SetEvent(win.quitEvent);
            // The system ends the process about five seconds after a close;
            // until then the game's thread gets its chance to save and leave.
            for (int waited = 0; waited < 4000 && !quitDone; waited += 10) ::Sleep(10);
            win.lock.lock();
            Restore();
            ExitProcess(STATUS_CONTROL_C_EXIT);
        default: return FALSE;
    }
}

void RestoreAtExit() { Restore(); }

[[noreturn]] void RestoreAndAbort() {
    Restore();
    std::abort();
}

// A screen buffer of the game's own, at least as large as the game's
// console model, so drawing at row 0 never lands in the shell's scrollback.
void UseOwnScreenBuffer() {
    HANDLE shell = Output();
    if (!IsConsole(shell)) return;
    HANDLE buffer = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (buffer == INVALID_HANDLE_VALUE) return;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(buffer, &info)) {
        COORD size{std::max<SHORT>(info.dwSize.X, VirtualConsole::kWidth),
                   std::max<SHORT>(info.dwSize.Y, VirtualConsole::kHeight)};
        SetConsoleScreenBufferSize(buffer, size);
    }
    if (!SetConsoleActiveScreenBuffer(buffer)) {
        CloseHandle(buffer);
        return;
    }
    SetStdHandle(STD_OUTPUT_HANDLE, buffer);
    win.shellOutput = shell;
    win.gameOutput = buffer;
}

void SetConsoleModes() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (in != nullptr && in != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode)) {
        win.input = in;
        win.inputMode = mode;
        SetConsoleMode(in, GameInputMode(mode));
    }
    HANDLE out = Output();
    if (GetConsoleMode(out, &mode)) {
        if (win.gameOutput == nullptr) {
            win.shellOutputMode = mode;
            win.shellOutputModeSet = true;
        }
        SetConsoleMode(out, GameOutputMode(mode));
    }
}

// Takes the console again after another program had it: the code pages,
// the game's buffer, its modes, attribute and cursor as the game left them.
// The game's buffer still holds its screen; where the game draws in the
// shell's, the other program's screen stays until the game draws again.
void TakeConsole() {
    if (win.codePages.setOutput) SetConsoleOutputCP(kGameCodePage);
    if (win.codePages.setInput) SetConsoleCP(kGameCodePage);
    if (win.gameOutput != nullptr) {
        SetConsoleActiveScreenBuffer(win.gameOutput);
        SetStdHandle(STD_OUTPUT_HANDLE, win.gameOutput);
    }
    if (win.input != nullptr) SetConsoleMode(win.input, GameInputMode(win.inputMode));
    HANDLE out = Output();
    if (DWORD mode = 0; GetConsoleMode(out, &mode)) SetConsoleMode(out, GameOutputMode(mode));
    SetConsoleTextAttribute(out, win.attribute);
    ApplyCursorVisible(out, win.cursorVisible);
    // What was read before the other program ran is no key of the game's.
    win.keys.Reset();
    win.joiner.Reset();
    win.pauses.Forget();
    win.idle.Busy();
    ++win.outputs;
}

// The words of a command (in the code page the ...A calls take) as UTF-16.
std::wstring Wide(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(wide, 0)), L'\0');
    if (wide > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data(), wide);
    return out;
}

// Waits for the other program; a quit of the game's own (the console
// closing) ends the game meanwhile. Its exit status, -1 when unknown.
int AwaitOtherProgram(HANDLE process) {
    const HANDLE handles[2] = {process, win.quitEvent};
    const DWORD count = win.quitEvent != nullptr ? 2 : 1;
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) break;
        QuitIfRequested();
        if (woke == WAIT_FAILED) ::Sleep(10);
    }
    DWORD code = 0;
    return GetExitCodeProcess(process, &code) ? ExitStatusOf(code) : -1;
}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

std::int64_t NowNs() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::int64_t f = win.frequency.QuadPart > 0 ? win.frequency.QuadPart : 1;
    return now.QuadPart / f * 1'000'000'000 + now.QuadPart % f * 1'000'000'000 / f;
}

void SleepUntil(std::int64_t endNs) {
    for (std::int64_t left = endNs - NowNs(); left > 0; left = endNs - NowNs()) {
        if (win.timer != nullptr) {
            LARGE_INTEGER due{};
            due.QuadPart = -std::max<std::int64_t>(1, left / 100);  // relative, in 100 ns
            if (SetWaitableTimer(win.timer, &due, 0, nullptr, nullptr, FALSE) &&
                WaitForSingleObject(win.timer, INFINITE) == WAIT_OBJECT_0)
                continue;
        }
        ::Sleep(static_cast<DWORD>(std::max<std::int64_t>(1, left / 1'000'000)));
    }
}

// Takes in every input record waiting, never blocking: key presses become
// key codes, everything else (releases, mouse, focus, size) is dropped, so
// the input handle is signalled again only by new input.
void ReadInputRecords() {
    if (win.input == nullptr) return;
    DWORD waiting = 0;
    while (!win.keys.QuitRequested() && GetNumberOfConsoleInputEvents(win.input, &waiting) && waiting > 0) {
        INPUT_RECORD records[64];
        DWORD read = 0;
        if (!ReadConsoleInputW(win.input, records, 64, &read) || read == 0) return;
        for (DWORD i = 0; i < read; ++i) {
            if (records[i].EventType != KEY_EVENT) continue;
            FeedKeyEvent(win.keys, KeyEventOf(records[i].Event.KeyEvent));
        }
    }
}

// The game only waits for a key: sleep until the console has input (Ctrl+C
// arrives on the handler's thread and ends the process from there).
void WaitForConsoleInput() {
    const HANDLE handles[2] = {win.input, win.quitEvent};
    const DWORD count = win.quitEvent != nullptr ? 2 : 1;
    if (win.input == nullptr || WaitForMultipleObjects(count, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
        QuitIfRequested();
        ::Sleep(10);
    }
}

}  // namespace

namespace wincon {

void Open() {
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    if (win.opened) return;
    win.opened = true;
    win.codePages = PlanCodePages({GetConsoleCP(), GetConsoleOutputCP()});
    if (win.codePages.setOutput) SetConsoleOutputCP(kGameCodePage);
    if (win.codePages.setInput) SetConsoleCP(kGameCodePage);
    // Sleep(1) would otherwise last a whole 15.6 ms system tick.
    win.timerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
    QueryPerformanceFrequency(&win.frequency);
    win.timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    win.quitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    UseOwnScreenBuffer();
    SetConsoleModes();
    SetConsoleCtrlHandler(OnControl, TRUE);
    std::atexit(RestoreAtExit);
    std::set_terminate(RestoreAndAbort);
    HANDLE h = Output();
    SetConsoleTextAttribute(h, 7);
    ApplyCursorVisible(h, false);
    win.cursorVisible = false;
}

void SetCursorPosition(int x, int y) {
    if (x < 0 || y < 0 || x > SHRT_MAX || y > SHRT_MAX) return;  // refused, as the console does
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    SetConsoleCursorPosition(Output(), COORD{static_cast<SHORT>(x), static_cast<SHORT>(y)});
    ++win.outputs;
}

void SetAttribute(std::uint16_t attribute) {
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    win.attribute = attribute;
    SetConsoleTextAttribute(Output(), attribute);
}

// The highlight marked (the default look): dark on bright white, blanks
// left plain, as the terminal renderer draws it.
void Write(std::string_view bytes) {
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    const std::string text = win.joiner.Prepare(bytes);
    HANDLE h = Output();
    if ((win.attribute & 8) == 0 || ConsoleLook()) {
        WriteAll(h, text);
    } else {
        const WORD marked = static_cast<WORD>((win.attribute & 0x0F) << 4 | (win.attribute >> 4 & 0x0F));
        for (std::size_t at = 0; at < text.size();) {
            const bool blank = text[at] == ' ';
            std::size_t end = at;
            while (end < text.size() && (text[end] == ' ') == blank) ++end;
            SetConsoleTextAttribute(h, blank ? static_cast<WORD>(win.attribute & ~8) : marked);
            WriteAll(h, std::string_view(text).substr(at, end - at));
            at = end;
        }
        SetConsoleTextAttribute(h, win.attribute);
    }
    ++win.outputs;
}

void SetCursorVisible(bool visible) {
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    ApplyCursorVisible(Output(), visible);
    win.cursorVisible = visible;
    ++win.outputs;
}

bool CursorVisible() { return win.cursorVisible; }

void Sleep(std::uint32_t milliseconds) {
    win.idle.Busy();
    QuitIfRequested();
    // Counted from the previous pause's end, so writing a frame does not
    // lengthen the animation; in slices, so a quit is seen within 100 ms.
    const std::int64_t end = win.pauses.End(NowNs(), milliseconds);
    for (std::int64_t now = NowNs(); now < end; now = NowNs()) {
        SleepUntil(std::min<std::int64_t>(end, now + 100'000'000));
        QuitIfRequested();
    }
}

bool KeyWaiting() {
    QuitIfRequested();
    ReadInputRecords();
    if (win.keys.QuitRequested()) EndOnControl();
    const bool ready = win.keys.HasCode();
    if (ready) {
        win.idle.Busy();
        return true;
    }
    if (win.outputs != win.outputsAtLastPoll) win.idle.Busy();
    win.outputsAtLastPoll = win.outputs;
    if (win.idle.Idle()) {
        WaitForConsoleInput();
        win.pauses.Forget();
    }
    return false;
}

int ReadKey() {
    // Blocks in the wait for input, which a quit from the control handler ends too.
    for (ReadInputRecords(); !win.keys.HasCode() && !win.keys.QuitRequested(); ReadInputRecords()) {
        QuitIfRequested();
        WaitForConsoleInput();
    }
    if (win.keys.QuitRequested()) EndOnControl();
    win.idle.Busy();
    win.pauses.Forget();
    return win.keys.TakeCode();
}

std::int64_t ClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void Exit(int status) {
    Restore();
    PrintError(TakeFarewell());
    std::exit(status);
}

void TakeText(bool on) { win.keys.TakeText(on); }

int RunInConsole(const std::vector<std::string>& command) {
    if (command.empty()) return -1;
    QuitIfRequested();
    std::vector<std::wstring> words;
    words.reserve(command.size());
    for (const std::string& word : command) words.push_back(Wide(word));
    std::wstring line = CommandLineOf(words);
    {
        std::lock_guard<std::recursive_mutex> guard(win.lock);
        GiveConsoleBack(false);
        otherProgramRuns = true;
    }
    // In this console, with its standard handles and the game's environment
    // and folder; the program is looked for first beside the game's own.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    int status = -1;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        status = AwaitOtherProgram(process.hProcess);
        CloseHandle(process.hProcess);
    }
    otherProgramEndedMs = GetTickCount64();
    otherProgramRuns = false;
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    TakeConsole();
    return status;
}

}  // namespace wincon

void ShowTitle(std::string_view utf8) {
    std::wstring title(static_cast<std::size_t>(
                           MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0)),
                       L' ');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), title.data(),
                        static_cast<int>(title.size()));
    std::lock_guard<std::recursive_mutex> guard(win.lock);
    if (!win.titleSet) {
        wchar_t old[1024] = {};
        GetConsoleTitleW(old, 1024);
        win.userTitle = old;
        win.titleSet = true;
    }
    SetConsoleTitleW(title.c_str());
}

const Speaker* NativeSpeaker() { return &SapiSpeech(); }

const Backend& NativeBackend() {
    static constexpr Backend kConsole{wincon::Open,
                                      wincon::SetCursorPosition,
                                      wincon::SetAttribute,
                                      wincon::Write,
                                      wincon::SetCursorVisible,
                                      wincon::CursorVisible,
                                      wincon::Sleep,
                                      nullptr,
                                      wincon::KeyWaiting,
                                      wincon::ReadKey,
                                      wincon::ClockSeconds,
                                      wincon::Exit,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      wincon::TakeText,
                                      wincon::RunInConsole};
    return kConsole;
}

}  // namespace rf::platform
