// The web backend's account of pauses: runs of short frames keep their
// total length under a coarse browser timer, and a wait starts it afresh.
#include "platform/web/web_pacing.h"

#include <gtest/gtest.h>

namespace rf::platform {
namespace {

TEST(WebPacing, RunsOfFramesLastWhatTheyState) {
    struct Case {
        int frames;
        std::uint32_t ms;
        double lateMs;  // how far the browser's timer oversleeps
    };
    // The menu slides (1 ms frames), the level-up panel (5 ms), a map change
    // (10 ms), each with an exact and a late timer.
    for (Case c : {Case{15, 1, 0}, Case{15, 1, 1.5}, Case{60, 5, 1}, Case{60, 10, 3}, Case{200, 1, 0.5}}) {
        PauseAccount account;
        double now = 1000;
        int yields = 0;
        account.Yielded(now);  // the wait for the key that started it
        for (int i = 0; i < c.frames; ++i) {
            now += 0.05;  // drawing the frame
            double wait = account.Pause(now, c.ms);
            if (wait > 0) {
                EXPECT_GE(wait, PauseAccount::kYieldFromMs - PauseAccount::kTimerLateMs);
                now += wait + c.lateMs;
                account.Yielded(now);
                ++yields;
            }
        }
        double end = now + account.Owed(now);
        EXPECT_NEAR(end - 1000, c.frames * static_cast<double>(c.ms), c.lateMs + 0.05 * c.frames / 2 + 0.01)
            << c.frames << "x" << c.ms << ", " << c.lateMs << " late";
        // 1 ms frames are handed to the browser in batches, not one by one.
        if (c.ms == 1) {
            EXPECT_LE(yields, c.frames / 3);
        }
    }
}

TEST(WebPacing, AWaitOrALongStallStartsTheAccountAfreshAndThePageStillDraws) {
    constexpr double kStall = 100 + PauseAccount::kCarryMs + 1;
    PauseAccount account;
    account.Yielded(0);
    // Timers are asked to end a little early.
    EXPECT_EQ(account.Pause(0, 100), 100 - PauseAccount::kTimerLateMs);
    account.Yielded(100);
    // Well behind the last pause's end: this pause counts from now.
    EXPECT_EQ(account.Pause(kStall, 20), 20 - PauseAccount::kTimerLateMs);
    account.Yielded(kStall + 20);
    // Slightly behind: the lateness is taken from this pause, and the rest
    // is too short for a timer.
    EXPECT_EQ(account.Pause(kStall + 28, 10), 0);
    EXPECT_DOUBLE_EQ(account.Owed(kStall + 28), 2);
    // After a wait for a key the next pause counts from its own start.
    account.Forget();
    EXPECT_EQ(account.Pause(kStall + 28, 4), 0);
    EXPECT_DOUBLE_EQ(account.Owed(kStall + 28), 4);
    // The page draws even when nothing is owed: the game's own work keeps it
    // behind its pauses for 100 ms.
    account = {};
    account.Pause(0, 1);
    account.Yielded(0);
    EXPECT_EQ(account.Pause(40, 1), 0);
    EXPECT_GT(account.Pause(PauseAccount::kLongestHoldMs, 1), 0);
}

}  // namespace
}  // namespace rf::platform
