// The headless backend: the console model alone, a virtual clock that
// sleeping advances at once, and a script of keys, each available from a
// given virtual time. When the script is used up and the game waits for a
// key, the run ends by throwing ScriptEnded; a watchdog turns a runaway
// loop into Watchdog instead of a hang. Where a terminal backend would block
// until input (a long run of idle key polls), the clock jumps to the next
// timed key or the end of the run.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/model/virtual_console.h"

namespace rf::headless {

struct ScriptEnded {};
struct Watchdog {
    std::string why;
};
struct ExitCalled {
    int status;
};

// Key codes as one read returns them, for the scripts.
using platform::keys::kPrefix, platform::keys::kUp, platform::keys::kDown, platform::keys::kLeft,
    platform::keys::kRight, platform::keys::kEnter, platform::keys::kSpace;

// Fresh console, clock at virtual 0 ms (wall clock `seconds`), empty script.
void Reset(std::int64_t seconds = 1'000'000);

// Queues a key code available from virtual time `atMs`. Without a time the
// key is handed over only when the game waits for one (two polls in a row
// with neither a sleep nor any output between), so a typed-out message
// does not swallow it.
void Key(int code, std::int64_t atMs = -1);
void Keys(std::initializer_list<int> codes);
// Queues an arrow key: the prefix 224, then its scan code.
void Arrow(int scanCode, std::int64_t atMs = -1);
// Keeps the run going until this virtual time even when no key is left.
void RunUntil(std::int64_t ms);
// Limits before the watchdog fires.
void SetLimits(std::uint64_t maxPolls, std::int64_t maxMs);

platform::VirtualConsole& Screen();
std::int64_t NowMs();
std::size_t KeysLeft();
// Total milliseconds the game has asked to sleep.
std::int64_t SleptMs();

// The visible text of row y as UTF-8, for readable assertions.
std::string RowUtf8(int y, int x0 = 0, int count = platform::VirtualConsole::kWidth);

// What the game printed on standard output and standard error.
const std::string& PrintedOut();
const std::string& PrintedError();

// Called each time the game reads a key, before the key is returned (for
// tests that check invariants after every key).
void SetKeyObserver(std::function<void()> observer);

// Called when the game waits for a key and the script is empty, so a
// player program can choose keys from the state (Key() queues them); the
// run ends as without it when the supplier queues none.
void SetKeySupplier(std::function<void()> supplier);

// Called whenever a terminal backend would present a frame: at every sleep
// and every key poll (for benchmarks of what a terminal would be sent).
void SetPresentObserver(std::function<void()> observer);

// Where a terminal backend would present a frame: the observer, and the
// screen folded into the digest of screens when it changed (the backend
// does so at every sleep and key test; a replay lived through as seen,
// ReplayAsSeen, at its own key tests too).
void Present();

// For runs of many battles that nobody looks at, until the next Reset:
// presents fold no screen into the digest of screens, and writes move the
// cursor exactly but store no cell (hashing and drawing the screens cost
// such runs most of their time).
void Unseen();

// Sets what ExecutableDirectory reports.
void SetExecutableDirectory(const std::string& dir);

// For the test programs' own platform services (headless_system.cpp).
std::string& Printed(bool error);
const std::string& ExecutableDirectoryForTests();

}  // namespace rf::headless
