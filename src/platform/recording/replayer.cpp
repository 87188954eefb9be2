// Replay: a backend that answers the game's key tests, key reads and clock
// readings from a recording and draws through the real console or the
// headless one.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/recording/session_events.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::platform {
namespace {

using Clock = std::chrono::steady_clock;

using keys::kSpace;
// How often the player's own keys (Space, Ctrl+C) are looked at.
constexpr std::int64_t kLookEveryMs = 25;

// Where the events come from, a line at a time: the recording file from
// its events on, or a text in memory. Only a line and a block of the file
// are held at a time, so a replay's memory does not grow with the
// recording.
struct EventSource {
    std::FILE* file = nullptr;
    long start = 0;  // where the events begin in the file
    std::string memory;
    std::size_t memoryAt = 0;
    std::size_t lineNumber = 0;
    // The file is read by block from where this source has read to, never
    // from the stream's own position: a C library may sync every open
    // stream's position with what it has handed out (the page's runtime
    // did when the game's main function first gave way to the browser),
    // and a replay read on from there read most of a block twice.
    long next = 0;
    std::size_t blockAt = 0, blockEnd = 0;
    char block[4096];

    int NextByte() {
        if (blockAt == blockEnd) {
            if (std::fseek(file, next, SEEK_SET) != 0) return EOF;
            blockEnd = std::fread(block, 1, sizeof block, file);
            blockAt = 0;
            next += static_cast<long>(blockEnd);
            if (blockEnd == 0) return EOF;
        }
        return static_cast<unsigned char>(block[blockAt++]);
    }

    // The next whole line without its break; false at the end (a last line
    // without its break, from a game that was killed, is left out).
    bool NextLine(std::string& line) {
        line.clear();
        ++lineNumber;
        if (file == nullptr) {
            const std::size_t end = memory.find('\n', memoryAt);
            if (end == std::string::npos) return false;
            line.assign(memory, memoryAt, end - memoryAt);
            memoryAt = end + 1;
            return true;
        }
        for (int c; (c = NextByte()) != EOF;) {
            if (c == '\n') return true;
            // Longer than any line is read no further: the parse refuses it.
            if (line.size() <= kLongestEventLine) line += static_cast<char>(c);
        }
        return false;
    }
    void Rewind() {
        lineNumber = 0;
        memoryAt = 0;
        next = start;
        blockAt = blockEnd = 0;
    }
};

struct ReplayState {
    const Backend* screen = nullptr;
    EventSource source;
    std::vector<SessionEvent> events;  // the events of the current line
    std::size_t next = 0;
    std::int64_t noKeysLeft = 0;
    int pendingKey = -1;
    std::int64_t lastClock = 0;  // the last clock reading answered
    int speed = 1;               // 0: no pauses
    bool headless = false;
    bool asSeen = false;  // ReplayAsSeen
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
        // The last screen stays until the player has seen it: a read blocks.
        NativeBackend().readKey();
    }
    RunBeforeExit();
    NativeBackend().exit(0);
    std::abort();
}

// Space pauses until Space again; Ctrl+C is the console backend's own.
void AnswerPlayer() {
    rp.lastLook = Clock::now();
    const Backend& console = NativeBackend();
    if (!console.keyWaiting() || console.readKey() != kSpace) return;
    ShowState(Shown::kPaused);
    // A read blocks until a key (Ctrl+C is the backend's own).
    while (console.readKey() != kSpace) {
    }
    ShowState(Shown::kPlaying);
    rp.lastLook = Clock::now();
}

// Between the game's calls, which may come a microsecond apart, the
// player's keys are looked at now and then.
void LookAtPlayer() {
    if (rp.headless) return;
    if (std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - rp.lastLook).count() < kLookEveryMs)
        return;
    AnswerPlayer();
}

// A pause on screen, at the replay's speed: asleep until it ends or a key
// comes, so Space is seen at once and a long wait wakes nobody. A console
// that cannot wait for a key sleeps it in slices.
void Pace(std::int64_t ms) {
    if (rp.speed == 0) return;
    const Backend& console = *rp.screen;
    for (std::int64_t left = ms / rp.speed; left > 0;) {
        if (console.pauseForKey == nullptr) {
            const std::int64_t slice = left < kLookEveryMs ? left : kLookEveryMs;
            console.sleep(static_cast<std::uint32_t>(slice));
            left -= slice;
            LookAtPlayer();
            continue;
        }
        // Steps of a millisecond: the pause a key came in is the last.
        const std::uint32_t steps = left < UINT32_MAX ? static_cast<std::uint32_t>(left) : UINT32_MAX;
        left -= PauseForKeyOn(console, 1, steps);
        AnswerPlayer();
    }
}

// The next event of the recording, reading on as needed; null at its end.
const SessionEvent* Peek() {
    std::string line, error;
    while (rp.next >= rp.events.size()) {
        rp.events.clear();
        rp.next = 0;
        // Each line was checked before the replay began.
        if (!rp.source.NextLine(line) || !ParseEventLine(line, rp.source.lineNumber, rp.events, error)) return nullptr;
    }
    return &rp.events[rp.next];
}

// Plays the player's pauses and returns the next event that answers a call.
const SessionEvent* Next() {
    LookAtPlayer();
    const SessionEvent* e;
    while ((e = Peek()) != nullptr && e->kind == SessionEvent::kTime) {
        if (!rp.headless) Pace(e->value);
        else if (rp.asSeen) rp.screen->sleep(static_cast<std::uint32_t>(e->value));
        ++rp.next;
    }
    return e;
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
    if (rp.asSeen) headless::Present();
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
        case SessionEvent::kKeyWaiting: ++rp.next; return true;
        default: Finish();  // the game went another way than the recording
    }
}

int ReadKey() {
    if (rp.asSeen) headless::Present();
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
    rp.lastClock = e->value;
    return e->value;
}

// The recording holds no reading within the sleep: it lasts from the last one to the tick.
void SleepUntilClock(std::int64_t seconds) {
    if (seconds > rp.lastClock) Sleep(static_cast<std::uint32_t>(seconds - rp.lastClock) * 1000);
}

// The game ending by itself (the missing-file stop) ends the replay as well.
void Exit(int status) {
    if (rp.headless) {
        RunBeforeExit();
        NativeBackend().exit(status);
    }
    rp.screen->exit(status);
}

constexpr Backend kReplay{Open,           SetCursorPosition, SetAttribute, Write,   SetCursorVisible, CursorVisible,
                          Sleep,          nullptr,           KeyWaiting,   ReadKey, ClockSeconds,     Exit,
                          SleepUntilClock};

}  // namespace

namespace {

// Longer recordings are refused: no game records that much (an hour of
// brisk walking takes 75 KB), and a replay of it would outlast anyone.
constexpr std::uint64_t kLargestEvents = std::uint64_t{1} << 30;

// Every line is checked before the replay begins, so a damaged recording is
// refused at once rather than ended half-way.
bool StartFrom(EventSource source, int speed, bool headless, std::string& error) {
    std::string line;
    std::vector<SessionEvent> scratch;
    std::uint64_t bytes = 0;
    while (source.NextLine(line)) {
        if ((bytes += line.size() + 1) > kLargestEvents) {
            error = "larger than 1 GiB, more than any game records";
            if (source.file) std::fclose(source.file);
            return false;
        }
        scratch.clear();
        if (!ParseEventLine(line, source.lineNumber, scratch, error)) {
            if (source.file) std::fclose(source.file);
            return false;
        }
    }
    source.Rewind();
    if (rp.source.file) std::fclose(rp.source.file);
    rp = ReplayState{};
    rp.source = std::move(source);
    rp.speed = speed;
    rp.headless = headless;
    rp.screen = headless ? &HeadlessBackend() : &NativeBackend();
    rp.lastLook = Clock::now();
    // A recording may hold days of play: virtual time has no limit here.
    if (headless) headless::SetLimits(UINT64_MAX, INT64_MAX);
    UseBackend(kReplay);
    return true;
}

}  // namespace

bool StartReplay(const std::string& path, std::uint64_t eventsAt, int speed, bool headless, std::string& error) {
    EventSource source;
    FileProblem problem = FileProblem::kNone;
    source.file = OpenDataFile(path, problem);
    if (source.file == nullptr) {
        error = "cannot be read (" + std::string(ProblemText(problem)) + ")";
        return false;
    }
    source.start = static_cast<long>(eventsAt);
    source.Rewind();
    return StartFrom(std::move(source), speed, headless, error);
}

void ReplayAsSeen() { rp.asSeen = rp.headless; }

bool StartReplayOf(std::string events, int speed, bool headless, std::string& error) {
    EventSource source;
    source.memory = std::move(events);
    return StartFrom(std::move(source), speed, headless, error);
}

}  // namespace rf::platform
