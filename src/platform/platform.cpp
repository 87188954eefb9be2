#include "platform/console_session.h"

#include <cstdlib>

#include "platform/backend.h"
#include "platform/player_files.h"
#include "platform/streams.h"

namespace rf::platform {
namespace {

const Backend* active = nullptr;
void (*beforeExit)() = nullptr;
void (*keepAsQuitting)() = nullptr;
bool beforeExitRan = false;
bool consoleLook = false;

}  // namespace

void UseBackend(const Backend& backend) { active = &backend; }
const Backend& ActiveBackend() { return active ? *active : NativeBackend(); }

void SetBeforeExit(void (*hook)(), void (*keep)()) {
    beforeExit = hook;
    keepAsQuitting = keep;
    beforeExitRan = false;
}

void RunBeforeExit() {
    if (!beforeExitRan) {
        beforeExitRan = true;
        // Why the game had to stop, first: the hook may add where it is saved.
        if (std::string farewell = TakeFarewell(); !farewell.empty()) PrintError(farewell);
        if (beforeExit) beforeExit();
    }
    FlushRecording();
}

void UseConsoleLook(bool console) { consoleLook = console; }
bool ConsoleLook() { return consoleLook; }

void KeepAsQuitting() {
    if (keepAsQuitting && !beforeExitRan) keepAsQuitting();
}

void Open() { ActiveBackend().open(); }
void SetCursorPosition(int x, int y) { ActiveBackend().setCursorPosition(x, y); }
void SetAttribute(std::uint16_t attribute) { ActiveBackend().setAttribute(attribute); }
void Write(std::string_view bytes) { ActiveBackend().write(bytes); }
void SetCursorVisible(bool visible) { ActiveBackend().setCursorVisible(visible); }
bool CursorVisible() { return ActiveBackend().cursorVisible(); }
bool Unseen() { return ActiveBackend().unseen != nullptr && ActiveBackend().unseen(); }
void Sleep(std::uint32_t milliseconds) { ActiveBackend().sleep(milliseconds); }
std::uint32_t PauseForKeyOn(const Backend& backend, std::uint32_t step, std::uint32_t steps) {
    if (backend.pauseForKey != nullptr) return backend.pauseForKey(step, steps);
    backend.sleep(step);
    return 1;
}
std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps) {
    return steps == 0 ? 0 : PauseForKeyOn(ActiveBackend(), step, steps);
}
void SleepUntilClockBySeconds(std::int64_t seconds) {
    // Whole seconds only: one sleep to the second before the tick, then
    // short ones to it. A clock set back meanwhile counts the sleep just
    // slept, never the time it went back.
    std::int64_t last = -1, slept = 0;
    for (std::int64_t now; (now = ClockSeconds()) < seconds; last = now) {
        if (last >= 0 && now < last) seconds -= last - now + slept;
        slept = now < seconds - 1 ? seconds - 1 - now : 0;
        Sleep(slept > 0 ? static_cast<std::uint32_t>(slept) * 1000 : 10);
    }
}

void SleepUntilClock(std::int64_t seconds) {
    if (ActiveBackend().sleepUntilClock) ActiveBackend().sleepUntilClock(seconds);
    else SleepUntilClockBySeconds(seconds);
}

void AwaitPlayerFiles() {
    if (ActiveBackend().awaitPlayerFiles) ActiveBackend().awaitPlayerFiles();
}

void NothingMovesUntilKey() {
    if (ActiveBackend().nothingMovesUntilKey) ActiveBackend().nothingMovesUntilKey();
}

void TakeText(bool on) {
    if (ActiveBackend().takeText) ActiveBackend().takeText(on);
}

int RunInConsole(const std::vector<std::string>& command) {
    return ActiveBackend().runInConsole ? ActiveBackend().runInConsole(command) : -1;
}

bool KeyWaiting() { return ActiveBackend().keyWaiting(); }
int ReadKey() { return ActiveBackend().readKey(); }
std::int64_t ClockSeconds() { return ActiveBackend().clockSeconds(); }

void Exit(int status) {
    ActiveBackend().exit(status);
    std::abort();  // a backend's exit does not come back
}

}  // namespace rf::platform
