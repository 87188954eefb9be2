// Recording: a backend that passes every call to the one it wraps and
// writes down what the game was answered.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/recording/session_events.h"

namespace rf::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Shorter idle gaps are not worth their bytes.
constexpr std::int64_t kSmallestGapMs = 20;
// Written out at least this often, so a killed game loses little.
constexpr std::int64_t kWriteEveryMs = 1000;
constexpr std::size_t kLineLength = 72;

struct RecorderState {
    const Backend* inner = nullptr;
    std::vector<std::FILE*> files;
    std::string line;
    std::int64_t noKeys = 0;
    bool keyAnnounced = false;
    Clock::time_point lastKey;
    Clock::time_point lastWrite;
    std::int64_t sleptSinceKey = 0;
    // A game ended inside a pause (Ctrl+C, a hang-up) ends its recording
    // there. When the pause came straight after a key test that found
    // none, that test is left out: a replay then stops where the game
    // stopped, not a step of the enemies later.
    bool pausing = false;
    bool pauseFollowsTest = false;
};

RecorderState rec;
bool flushRegistered = false;  // the exit handler, once per process

std::int64_t MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

void Emit(SessionEvent::Kind kind, std::int64_t value = 0) { AppendEvent(rec.line, {kind, value}); }

void EmitNoKeys() {
    if (rec.noKeys > 0) Emit(SessionEvent::kNoKeys, rec.noKeys);
    rec.noKeys = 0;
    rec.pauseFollowsTest = false;
}

void WriteLine() {
    if (rec.line.empty()) return;
    rec.line += '\n';
    for (std::FILE* f : rec.files) {
        std::fwrite(rec.line.data(), 1, rec.line.size(), f);
        std::fflush(f);
    }
    rec.line.clear();
    rec.lastWrite = Clock::now();
}

void MaybeWrite() {
    if (rec.line.size() >= kLineLength || MsSince(rec.lastWrite) >= kWriteEveryMs) WriteLine();
}

// The player's own time since the last key, beyond what the game slept.
void EmitGap() {
    std::int64_t gap = MsSince(rec.lastKey) - rec.sleptSinceKey;
    if (gap >= kSmallestGapMs) Emit(SessionEvent::kTime, gap);
    rec.lastKey = Clock::now();
    rec.sleptSinceKey = 0;
}

void Open() { rec.inner->open(); }
void SetCursorPosition(int x, int y) { rec.inner->setCursorPosition(x, y); }
void SetAttribute(std::uint16_t attribute) { rec.inner->setAttribute(attribute); }
void Write(std::string_view bytes) {
    rec.pauseFollowsTest = false;
    rec.inner->write(bytes);
}
void SetCursorVisible(bool visible) {
    rec.pauseFollowsTest = false;
    rec.inner->setCursorVisible(visible);
}
bool CursorVisible() { return rec.inner->cursorVisible(); }

void Sleep(std::uint32_t ms) {
    rec.sleptSinceKey += ms;
    rec.pausing = true;
    rec.inner->sleep(ms);
    rec.pausing = rec.pauseFollowsTest = false;
}

// Written as the key tests that the pauses stood for: the recording reads
// as if the game had looked after each one.
std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps) {
    rec.pausing = true;
    const std::uint32_t passed = PauseForKeyOn(*rec.inner, step, steps);
    rec.pausing = rec.pauseFollowsTest = false;
    rec.sleptSinceKey += static_cast<std::int64_t>(passed) * step;
    rec.noKeys += passed - 1;
    return passed;
}

bool KeyWaiting() {
    bool waiting = rec.inner->keyWaiting();
    if (!waiting) {
        ++rec.noKeys;
        rec.pauseFollowsTest = true;
        return false;
    }
    EmitNoKeys();
    if (rec.keyAnnounced) Emit(SessionEvent::kKeyWaiting);
    rec.keyAnnounced = true;
    return true;
}

int ReadKey() {
    int code = rec.inner->readKey();
    EmitNoKeys();
    EmitGap();
    Emit(rec.keyAnnounced ? SessionEvent::kKey : SessionEvent::kRead, code);
    rec.keyAnnounced = false;
    MaybeWrite();
    return code;
}

std::int64_t ClockSeconds() {
    std::int64_t seconds = rec.inner->clockSeconds();
    EmitNoKeys();
    if (rec.keyAnnounced) Emit(SessionEvent::kKeyWaiting);
    rec.keyAnnounced = false;
    Emit(SessionEvent::kClock, seconds);
    MaybeWrite();
    return seconds;
}

// The clock readings of a sleep by seconds are written down as any others.
void SleepUntilClock(std::int64_t seconds) {
    if (rec.inner->sleepUntilClock) {
        // The game's time, not the player's: as long as it took.
        const Clock::time_point start = Clock::now();
        rec.inner->sleepUntilClock(seconds);
        rec.sleptSinceKey += MsSince(start);
    } else {
        SleepUntilClockBySeconds(seconds);
    }
}

void NothingMovesUntilKey() {
    if (rec.inner->nothingMovesUntilKey) rec.inner->nothingMovesUntilKey();
}

void Exit(int status) {
    FlushRecording();
    rec.inner->exit(status);
}

constexpr Backend kRecorder{
    Open,       SetCursorPosition, SetAttribute, Write, SetCursorVisible, CursorVisible,       Sleep, PauseForKey,
    KeyWaiting, ReadKey,           ClockSeconds, Exit,  SleepUntilClock,  NothingMovesUntilKey};

void FlushAtExit() { FlushRecording(); }

}  // namespace

void FlushRecording() {
    if (rec.files.empty()) return;
    if (rec.pausing && rec.pauseFollowsTest && rec.noKeys > 0) --rec.noKeys;
    EmitNoKeys();
    if (rec.keyAnnounced) Emit(SessionEvent::kKeyWaiting);
    rec.keyAnnounced = false;
    WriteLine();
}

void StartRecording(const std::vector<std::FILE*>& files, std::string_view header) {
    FlushRecording();
    for (std::FILE* f : rec.files) std::fclose(f);
    const Backend* inner = &ActiveBackend() == &kRecorder ? rec.inner : &ActiveBackend();
    rec = RecorderState{};
    rec.inner = inner;
    for (std::FILE* f : files) {
        std::fwrite(header.data(), 1, header.size(), f);
        std::fflush(f);
        rec.files.push_back(f);
    }
    rec.lastKey = rec.lastWrite = Clock::now();
    UseBackend(kRecorder);
    if (!flushRegistered) std::atexit(FlushAtExit);
    flushRegistered = true;
}

}  // namespace rf::platform
