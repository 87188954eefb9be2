// How every backend lets time pass: when a key poll may block until input,
// and where a pause ends. Plain code, shared by the backends and the tests.
#pragma once

#include <cstdint>

namespace rf::platform {

// The game polls for keys without pause in the loops that only wait for one,
// and also a few times in a row between the steps of a chase (the main
// loop's poll, then the first poll of the next enemy's wait). Only a long
// run of idle polls with neither a pause nor any output between them is
// taken as waiting, and from then on a poll may block until a key, a resize
// or a signal arrives.
class IdlePolls {
public:
    // Far above the longest run a moving screen makes (three).
    static constexpr int kBlockFrom = 20;

    // Reports an idle poll; true when the backend may block until input.
    bool Idle() {
        if (run_ < kBlockFrom) ++run_;
        return run_ >= kBlockFrom;
    }
    // A key was found, the game paused, or the screen changed.
    void Busy() { run_ = 0; }

private:
    int run_ = 0;
};

// Where each pause ends. A pause that starts soon after the previous
// pause's end is counted from that end, not from now, so the time spent
// drawing and writing between two frames, any lateness of the sleep itself
// and a moment without the processor on a busy machine are not added to
// the animation (the next frames catch up). After a wait for a key or a
// longer gap the pause counts from now.
class PauseDeadlines {
public:
    // Longer than the scheduler's delays on a loaded machine, far shorter
    // than any wait for a player.
    static constexpr std::int64_t kCarryNs = 25'000'000;

    // The end of a pause of `ms` asked for at `nowNs` (a monotonic clock).
    std::int64_t End(std::int64_t nowNs, std::uint32_t ms) {
        const bool carry = last_ >= 0 && nowNs >= last_ && nowNs - last_ <= kCarryNs;
        last_ = (carry ? last_ : nowNs) + static_cast<std::int64_t>(ms) * 1'000'000;
        return last_;
    }
    // The game waited for a key: the next pause counts from its own start.
    void Forget() { last_ = -1; }
    // Where the last pause ended (-1 after Forget).
    std::int64_t Last() const { return last_; }

private:
    std::int64_t last_ = -1;
};

}  // namespace rf::platform
