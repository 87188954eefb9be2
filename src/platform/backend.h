// What a backend provides: the console session the game plays in (the
// screen, pauses, the keyboard, the clock and the way out). The program is
// linked with one native backend; a tool that plays the game without a
// terminal (a replay, a balance run) switches the session to the headless
// one at run time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/narration.h"

namespace rf::platform {

struct Backend {
    void (*open)();
    void (*setCursorPosition)(int x, int y);
    void (*setAttribute)(std::uint16_t attribute);
    void (*write)(std::string_view bytes);
    void (*setCursorVisible)(bool visible);
    bool (*cursorVisible)();
    void (*sleep)(std::uint32_t milliseconds);
    // PauseForKey (platform/console_session.h); null where a key is looked
    // for only between steps: one step is slept, and the game looks.
    std::uint32_t (*pauseForKey)(std::uint32_t step, std::uint32_t steps);
    bool (*keyWaiting)();
    int (*readKey)();
    std::int64_t (*clockSeconds)();
    void (*exit)(int status);  // never returns
    // Optional (null: the session does without, platform.cpp).
    // SleepUntilClock and NothingMovesUntilKey (platform/console_session.h).
    void (*sleepUntilClock)(std::int64_t seconds) = nullptr;
    void (*nothingMovesUntilKey)() = nullptr;
    // Unseen (platform/console_session.h); null: someone sees the screen.
    bool (*unseen)() = nullptr;
    // AwaitPlayerFiles (platform/player_files.h); null: they are always there.
    void (*awaitPlayerFiles)() = nullptr;
    // TakeText and RunInConsole (platform/console_session.h); null: text
    // beyond ASCII is skipped, and no other program can be run.
    void (*takeText)(bool on) = nullptr;
    int (*runInConsole)(const std::vector<std::string>& command) = nullptr;
};

// `backend`'s pause for a key, or one step slept where it has none.
std::uint32_t PauseForKeyOn(const Backend& backend, std::uint32_t step, std::uint32_t steps);
// The backend the program was built with.
const Backend& NativeBackend();
// A line the native backend shows outside the game's screen (a terminal's
// or console window's title), so the game's 80x25 cells stay exactly as
// the game drew them: a replay says there what it is doing. The title the
// user had comes back when the game ends.
void ShowTitle(std::string_view utf8);
// The model alone, in virtual time (platform/headless).
const Backend& HeadlessBackend();

// Where the platform calls go from now on (the native backend until set).
void UseBackend(const Backend& backend);
const Backend& ActiveBackend();

// A backend that is about to end the process on a quit (Ctrl+C, a request
// to end, the console closing) calls this once the console is restored:
// the game's before-exit hook, once, then the recording's last events.
void RunBeforeExit();
// What quitting would keep, kept, and the game goes on (SetBeforeExit's
// `keep`): a page that may be closed at any moment.
void KeepAsQuitting();
// Writes out what the recording still holds (platform/recording).
void FlushRecording();
// The farewell line set for Exit, handed over once (a backend's exit
// prints it on standard error after restoring the terminal).
std::string TakeFarewell();
// The farewell line as set, left in place (a page shows it at once).
const std::string& PendingFarewell();

// SleepUntilClock for a backend without a clock finer than its seconds:
// through ClockSeconds and Sleep.
void SleepUntilClockBySeconds(std::int64_t seconds);

// Where the game's narration goes (platform/narration.cpp); none until a
// backend that shows it sets one.
struct Narrator {
    void (*message)(std::string_view cp932);
    void (*line)(std::string_view cp932);
    void (*focus)(int x, int y) = nullptr;
};
void SetNarrator(const Narrator* narrator);

// The system's own speech service, where the program's backend has one
// (null elsewhere: the headless backend). The lines come in code page 932;
// the service says them in the language last given.
struct Speaker {
    bool (*open)(std::string_view language, std::string& problem);
    void (*say)(std::string_view cp932, Voice voice);
    void (*language)(std::string_view code);
    void (*close)();
};
const Speaker* NativeSpeaker();

}  // namespace rf::platform
