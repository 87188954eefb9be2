// Replay: a backend that answers the game's key tests, key reads and clock
// readings from a recording and draws through the real console or the
// headless one.
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/keys.h"
#include "text/cp932.h"
#include "text/utf8.h"
#include "platform/recording/session_events.h"

namespace rf::platform {
namespace {

using Clock = std::chrono::steady_clock;

using keys::kSpace;
// How often the player's own keys (Space, Ctrl+C) are looked at.
constexpr std::int64_t kLookEveryMs = 25;

struct ReplayState {
    const Backend* screen = nullptr;
    std::vector<SessionEvent> events;
    std::size_t next = 0;
    std::int64_t noKeysLeft = 0;
    int pendingKey = -1;
    int speed = 1;  // 0: no pauses
    bool headless = false;
    Clock::time_point lastLook;
};

ReplayState rp;

// What the replay is doing, in the title: the screen below stays exactly
// as the game drew it.
enum class Shown { kPlaying, kPaused, kEnded };

void ShowState(Shown state) {
    if (rp.headless) return;
    std::string speed = rp.speed == 1 ? "" : rp.speed == 0 ? " at full speed" : " at " + std::to_string(rp.speed) + "x";
    ShowTitle(state == Shown::kPlaying  ? "Ranks & Files: replay" + speed + " (Space pauses, Ctrl+C quits)"
              : state == Shown::kPaused ? "Ranks & Files: replay PAUSED (Space resumes, Ctrl+C quits)"
                                        : "Ranks & Files: replay ENDED (any key closes)");
}

[[noreturn]] void Finish() {
    if (!rp.headless) {
        ShowState(Shown::kEnded);
        // The last screen stays until the player has seen it.
        while (!NativeBackend().keyWaiting()) NativeBackend().sleep(10);
        NativeBackend().readKey();
    }
    RunBeforeExit();
    NativeBackend().exit(0);
    std::abort();
}

// Space pauses until Space again; Ctrl+C is the console backend's own.
void LookAtPlayer() {
    if (rp.headless) return;
    if (std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - rp.lastLook).count() < kLookEveryMs) return;
    rp.lastLook = Clock::now();
    const Backend& console = NativeBackend();
    if (!console.keyWaiting() || console.readKey() != kSpace) return;
    ShowState(Shown::kPaused);
    for (;;) {
        if (console.keyWaiting()) {
            if (console.readKey() == kSpace) break;
        } else {
            console.sleep(10);
        }
    }
    ShowState(Shown::kPlaying);
    rp.lastLook = Clock::now();
}

// A pause on screen, at the replay's speed, in slices so Space is seen at once.
void Pace(std::int64_t ms) {
    if (rp.speed == 0) return;
    for (std::int64_t left = ms / rp.speed; left > 0; left -= kLookEveryMs) {
        rp.screen->sleep(static_cast<std::uint32_t>(left < kLookEveryMs ? left : kLookEveryMs));
        LookAtPlayer();
    }
}

// Plays the player's pauses and returns the next event that answers a call.
const SessionEvent* Next() {
    LookAtPlayer();
    while (rp.next < rp.events.size() && rp.events[rp.next].kind == SessionEvent::kTime) {
        if (!rp.headless) Pace(rp.events[rp.next].value);
        ++rp.next;
    }
    return rp.next < rp.events.size() ? &rp.events[rp.next] : nullptr;
}

void Open() {
    rp.screen->open();
    ShowState(Shown::kPlaying);
}
void SetCursorPosition(int x, int y) { rp.screen->setCursorPosition(x, y); }
void SetAttribute(std::uint16_t attribute) { rp.screen->setAttribute(attribute); }
void Write(std::string_view bytes) { rp.screen->write(bytes); }
void SetCursorVisible(bool visible) { rp.screen->setCursorVisible(visible); }
bool CursorVisible() { return rp.screen->cursorVisible(); }

void Sleep(std::uint32_t ms) {
    if (rp.headless) rp.screen->sleep(ms);
    else Pace(ms);
    LookAtPlayer();
}

bool KeyWaiting() {
    LookAtPlayer();
    if (rp.noKeysLeft > 0) {
        --rp.noKeysLeft;
        if (rp.noKeysLeft == 0) ++rp.next;
        return false;
    }
    const SessionEvent* e = Next();
    if (e == nullptr) Finish();
    switch (e->kind) {
        case SessionEvent::kNoKeys:
            rp.noKeysLeft = e->value - 1;
            if (rp.noKeysLeft <= 0) ++rp.next;
            return false;
        case SessionEvent::kKey:
            rp.pendingKey = static_cast<int>(e->value);
            ++rp.next;
            return true;
        case SessionEvent::kKeyWaiting:
            ++rp.next;
            return true;
        default:
            Finish();  // the game went another way than the recording
    }
}

int ReadKey() {
    if (rp.pendingKey >= 0) {
        int code = rp.pendingKey;
        rp.pendingKey = -1;
        return code;
    }
    const SessionEvent* e = Next();
    if (e == nullptr) Finish();
    if (e->kind != SessionEvent::kRead && e->kind != SessionEvent::kKey) Finish();
    ++rp.next;
    return static_cast<int>(e->value);
}

std::int64_t ClockSeconds() {
    const SessionEvent* e = Next();
    if (e == nullptr || e->kind != SessionEvent::kClock) Finish();
    ++rp.next;
    return e->value;
}

// The game ending by itself (the missing-file stop) ends the replay as well.
void Exit(int status) {
    if (rp.headless) {
        RunBeforeExit();
        NativeBackend().exit(status);
    }
    rp.screen->exit(status);
}

constexpr Backend kReplay{Open, SetCursorPosition, SetAttribute, Write, SetCursorVisible, CursorVisible,
                          Sleep, KeyWaiting, ReadKey, ClockSeconds, Exit};

}  // namespace

bool StartReplay(std::string_view events, int speed, bool headless, std::string& error) {
    rp = ReplayState{};
    if (!ParseEvents(events, rp.events, error)) return false;
    rp.speed = speed;
    rp.headless = headless;
    rp.screen = headless ? &HeadlessBackend() : &NativeBackend();
    rp.lastLook = Clock::now();
    UseBackend(kReplay);
    return true;
}

}  // namespace rf::platform
