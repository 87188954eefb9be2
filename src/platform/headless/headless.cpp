#include "platform/headless/headless.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/model/digest.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/waiting.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::headless {
namespace {

struct ScriptedKey {
    std::int64_t atMs;
    int code;
};

// The headless backend's whole state, reset by Reset().
struct HeadlessState {
    std::deque<ScriptedKey> keys;
    std::int64_t nowMs = 0;
    std::int64_t baseSeconds = 1'000'000;
    std::int64_t runUntilMs = 0;
    std::int64_t sleptMs = 0;
    std::uint64_t polls = 0;
    std::uint64_t maxPolls = 200'000'000;
    std::int64_t maxMs = 24LL * 3600 * 1000;
    int idlePollsInARow = 0;
    platform::IdlePolls idle;
    std::uint64_t versionAtLastPoll = 0;
    std::string executableDirectory;
    std::string printedOut;
    std::string printedError;
    std::function<void()> keyObserver;
    std::function<void()> presentObserver;
    std::function<void()> keySupplier;
    // Every screen shown at a present point (a sleep or a key poll).
    platform::Digest screens;
    // Nobody looks (Unseen): no screen is digested, no cell stored.
    bool unseen = false;
    std::uint64_t versionSeen = ~std::uint64_t{0};
};

HeadlessState state;
// Apart from the rest, so a reset does not make a new one to copy in: a
// run of many battles resets before each.
platform::VirtualConsole screen;

void CheckWatchdog() {
    if (state.polls > state.maxPolls) throw Watchdog{"too many key polls"};
    if (state.nowMs > state.maxMs) throw Watchdog{"virtual time limit"};
}

}  // namespace

void Present() {
    if (state.presentObserver) state.presentObserver();
    if (state.unseen || screen.Version() == state.versionSeen) return;
    state.versionSeen = screen.Version();
    for (int y = 0; y < platform::VirtualConsole::kVisibleRows; ++y)
        for (int x = 0; x < platform::VirtualConsole::kWidth; ++x) {
            const platform::Cell& c = screen.At(x, y);
            state.screens.AddNumber(c.code << 16 | c.half << 8 | c.attribute);
        }
}

void Reset(std::int64_t seconds) {
    state = HeadlessState{};
    state.baseSeconds = seconds;
    screen.Reset();
}

void Key(int code, std::int64_t atMs) { state.keys.push_back({atMs, code}); }

void Keys(std::initializer_list<int> codes) {
    for (int c : codes) Key(c);
}

void Arrow(int scanCode, std::int64_t atMs) {
    Key(kPrefix, atMs);
    Key(scanCode, atMs);
}

void RunUntil(std::int64_t ms) { state.runUntilMs = ms; }

void SetLimits(std::uint64_t maxPolls, std::int64_t maxMs) {
    state.maxPolls = maxPolls;
    state.maxMs = maxMs;
}

platform::VirtualConsole& Screen() { return screen; }
std::int64_t NowMs() { return state.nowMs; }
std::size_t KeysLeft() { return state.keys.size(); }
std::int64_t SleptMs() { return state.sleptMs; }
void SetExecutableDirectory(const std::string& dir) { state.executableDirectory = dir; }
void Unseen() {
    state.unseen = true;
    screen.SetBlind(true);
}
void SetPresentObserver(std::function<void()> observer) { state.presentObserver = std::move(observer); }
void SetKeyObserver(std::function<void()> observer) { state.keyObserver = std::move(observer); }
void SetKeySupplier(std::function<void()> supplier) { state.keySupplier = std::move(supplier); }
const std::string& PrintedOut() { return state.printedOut; }
const std::string& PrintedError() { return state.printedError; }
std::string& Printed(bool error) { return error ? state.printedError : state.printedOut; }
const std::string& ExecutableDirectoryForTests() { return state.executableDirectory; }

std::string RowUtf8(int y, int x0, int count) { return Cp932ToUtf8(screen.Text(x0, y, count)); }

}  // namespace rf::headless

namespace rf::platform {
namespace {

using headless::screen;
using headless::state;

void Open() {}
void SetCursorPosition(int x, int y) { screen.SetCursor(x, y); }
void SetAttribute(std::uint16_t attribute) { screen.SetAttribute(attribute); }
void Write(std::string_view bytes) { screen.Write(bytes); }
void SetCursorVisible(bool visible) { screen.SetCursorVisible(visible); }
bool CursorVisible() { return screen.CursorVisible(); }
bool IsUnseen() { return state.unseen; }

void Sleep(std::uint32_t ms) {
    headless::Present();
    state.nowMs += ms;
    state.sleptMs += ms;
    state.idlePollsInARow = 0;
    state.idle.Busy();
    headless::CheckWatchdog();
}

// How many pauses of `step` may pass at once, up to `steps`. Where anyone
// sees the screen one, so every look for a key is the game's own. Unseen,
// a look between two pauses finds a key only when a timed one is due (an
// untimed one waits for the game to wait) and changes nothing but the count
// of polls: the pauses up to that key pass at once, unless a watchdog's
// limit or an observer is met on the way (then one at a time).
std::uint32_t PausesAtOnce(std::uint32_t step, std::uint32_t steps) {
    if (!state.unseen || state.presentObserver || step == 0) return 1;
    std::int64_t n = steps;
    if (!state.keys.empty() && state.keys.front().atMs >= 0)
        n = std::clamp<std::int64_t>((state.keys.front().atMs - state.nowMs + step - 1) / step, 1, n);
    const bool limited =
        state.nowMs + n * step > state.maxMs || state.polls + static_cast<std::uint64_t>(n) > state.maxPolls;
    return limited ? 1 : static_cast<std::uint32_t>(n);
}

std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps) {
    const std::uint32_t n = PausesAtOnce(step, steps);
    if (n == 1) {
        Sleep(step);
        return 1;
    }
    const std::int64_t ms = static_cast<std::int64_t>(n) * step;
    state.nowMs += ms;
    state.sleptMs += ms;
    state.polls += n - 1;
    state.idlePollsInARow = 0;
    state.idle.Busy();
    return n;
}

// Virtual time: straight to the tick.
void SleepUntilClock(std::int64_t seconds) {
    const std::int64_t until = (seconds - state.baseSeconds) * 1000;
    if (until > state.nowMs) Sleep(static_cast<std::uint32_t>(until - state.nowMs));
}

bool KeyWaiting() {
    headless::Present();
    ++state.polls;
    headless::CheckWatchdog();
    // Output since the last poll means the game is busy, not waiting.
    if (screen.Version() != state.versionAtLastPoll) {
        state.idlePollsInARow = 0;
        state.idle.Busy();
    }
    state.versionAtLastPoll = screen.Version();
    if (!state.keys.empty()) {
        const auto& key = state.keys.front();
        // A timed key waits for its time; an untimed one for the game to wait for a key.
        bool available = key.atMs >= 0 ? key.atMs <= state.nowMs : state.idlePollsInARow >= 1;
        if (available) {
            state.idlePollsInARow = 0;
            state.idle.Busy();
            return true;
        }
    }
    // Two idle polls with nothing between them, neither a sleep nor any
    // output: the game is waiting for a key.
    if (++state.idlePollsInARow >= 2) {
        if (state.keys.empty() && state.keySupplier) {
            state.keySupplier();
            if (!state.keys.empty()) return false;  // handed over at the next poll
        }
        if (state.keys.empty() && state.nowMs >= state.runUntilMs) throw headless::ScriptEnded{};
    }
    // Where a terminal backend would block until input, time jumps to the
    // next key (or the end of the run): a screen that still moves then
    // visibly stops moving.
    if (state.idle.Idle()) {
        std::int64_t until = state.keys.empty() ? state.runUntilMs : state.keys.front().atMs;
        if (until > state.nowMs) state.nowMs = until;
    }
    return false;
}

int ReadKey() {
    ++state.polls;
    headless::CheckWatchdog();
    if (state.keys.empty()) throw headless::ScriptEnded{};
    auto key = state.keys.front();
    state.keys.pop_front();
    if (key.atMs > state.nowMs) state.nowMs = key.atMs;  // a blocking read waits for it
    state.idlePollsInARow = 0;
    state.idle.Busy();
    if (state.keyObserver) state.keyObserver();
    return key.code;
}

std::int64_t ClockSeconds() { return state.baseSeconds + state.nowMs / 1000; }

void Exit(int status) {
    state.printedError += TakeFarewell();
    throw headless::ExitCalled{status};
}

}  // namespace

std::vector<std::string> HeadlessScreenLines() {
    // As a terminal shows the rows: ◎, ● and the other glyphs of ambiguous
    // width take one cell there, so a blank follows each.
    TerminalRenderer shown;
    shown.SetAmbiguousWidth(1);
    shown.Want(screen);
    std::vector<std::string> lines;
    for (int y = 0; y < VirtualConsole::kVisibleRows; ++y) {
        std::string line = shown.ShownRow(y);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(line);
    }
    return lines;
}

std::string HeadlessScreensDigest() { return headless::state.screens.Hex(); }

const Backend& HeadlessBackend() {
    static constexpr Backend kHeadless{
        Open,       SetCursorPosition, SetAttribute, Write, SetCursorVisible, CursorVisible, Sleep,   PauseForKey,
        KeyWaiting, ReadKey,           ClockSeconds, Exit,  SleepUntilClock,  nullptr,       IsUnseen};
    return kHeadless;
}

}  // namespace rf::platform
