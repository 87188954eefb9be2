// How the web backend lets time pass. A browser cannot block: every pause
// hands control back to it, and its timers wait at least about 4 ms once
// chained, so a run of 1 ms frames handed back one by one would last four
// times too long. Instead the pauses are kept as an account of time owed,
// and the browser gets control only when the debt is about a display
// frame; a late timer is paid back by the pauses after it. Timers are
// asked to end a little early, and the last frame of an animation is held
// for the rest of its pause by the clock alone (a short menu slide
// entirely), since no later pause would pay a late timer back.
#pragma once

#include <cstdint>

namespace rf::platform {

class PauseAccount {
public:
    // Time owed is handed to a browser timer from this much on: well above
    // the timers' 4 ms granularity, below a display frame.
    static constexpr double kYieldFromMs = 12.0;
    // How late a browser timer usually fires.
    static constexpr double kTimerLateMs = 2.0;
    // Further behind than this (a key wait, a slow load, a hidden tab) the
    // account starts afresh instead of rushing the frames to catch up.
    static constexpr double kCarryMs = 250.0;
    // The page is given a chance to draw at least this often, even when the
    // game's own work leaves no time owed.
    static constexpr double kLongestHoldMs = 100.0;

    // A pause of `ms` asked for at `nowMs`: how long to hand control to the
    // browser now (0: not yet).
    double Pause(double nowMs, std::uint32_t ms) {
        if (!running_ || nowMs - end_ > kCarryMs) {
            end_ = nowMs;
            running_ = true;
        }
        end_ += ms;
        double owed = end_ - nowMs;
        if (owed >= kYieldFromMs) return owed - kTimerLateMs;
        if (nowMs - lastYieldMs_ >= kLongestHoldMs) return owed > 0 ? owed : 0.01;
        return 0;
    }
    // What is still owed at `nowMs` (the last frame of an animation stays
    // up that long before the game waits for a key).
    double Owed(double nowMs) const { return running_ && end_ > nowMs ? end_ - nowMs : 0; }
    void Yielded(double nowMs) { lastYieldMs_ = nowMs; }
    // The game waited for a key: the next pause counts from its own start.
    void Forget() { running_ = false; }

private:
    bool running_ = false;
    double end_ = 0;
    double lastYieldMs_ = 0;
};

}  // namespace rf::platform
