// Where pauses end; the web backend's account of them, where runs of short
// frames keep their total length under a coarse browser timer and a wait
// starts it afresh; then the whole game with no key pressed during a chase,
// where a poll that blocked too early would freeze it or stretch the battle
// (headless time jumps where a terminal would block).
#include "platform/model/waiting.h"
#include "platform/web/web_pacing.h"

#include <tuple>

#include "game_scenarios.h"
#include "test_support.h"

namespace rf {
namespace {

using platform::PauseAccount;
using platform::PauseDeadlines;
using IdleGameTest = test::GameTest;

TEST(PauseDeadlines, EachPauseEndsItsStatedTimeAfterThePreviousEndWhileTheGameKeepsUp) {
    constexpr std::int64_t ms = 1'000'000;
    PauseDeadlines d;
    // When the pause is asked for, how long it is, where it ends.
    const std::tuple<std::int64_t, std::uint32_t, std::int64_t> steps[] = {
        {100 * ms, 10, 110 * ms},            // the first pause counts from now
        {110 * ms + 300'000, 10, 120 * ms},  // drawing took 0.3 ms: not added
        {124 * ms, 1, 121 * ms},             // already late: the next end is past, so it returns at once
        {125 * ms, 1, 122 * ms},
        {140 * ms, 2, 124 * ms},   // 18 ms without the processor: still caught up
        {150 * ms, 20, 170 * ms},  // more than 25 ms late (a wait, a load): from now
    };
    for (auto [nowNs, pause, end] : steps) EXPECT_EQ(d.End(nowNs, pause), end) << nowNs;
    d.Forget();
    EXPECT_EQ(d.End(171 * ms, 5), 176 * ms);
}

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
        EXPECT_TRUE(c.ms != 1 || yields <= c.frames / 3) << yields << " yields";
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

// A Pawn walks up to the hero, who stands outside the start room and
// presses no key until long after the battle has opened; then each key
// comes ten seconds after the previous one.
TEST_F(IdleGameTest, PollsBlockOnlyWhileTheGameWaitsForAKeyAndWakeTheMomentItComes) {
    test::TempDir dir;
    scenario::MakeWorld(RANKS_WORLD_DIR, dir.Path() / "w", scenario::World::kOnePawn, 8, 10);
    test::NewGameOn(dir.Path() / "w");
    for (int i = 1; i <= 200; ++i) headless::Key(headless::kEnter, 60'000 + 10'000 * i);
    // Time the game spent blocked in a key poll rather than pausing.
    auto blocked = [] { return headless::NowMs() - headless::SleptMs(); };
    std::int64_t commandsAt = -1, blockedBefore = 0, sleptAtBlock = -1;
    headless::SetPresentObserver([&] {
        // The command loop's first poll: the battle opening has been played.
        if (commandsAt < 0 && scenario::InBattle() && headless::RowUtf8(10).find("にげる") != std::string::npos) {
            commandsAt = headless::NowMs();
            EXPECT_EQ(blocked(), 0) << "a poll blocked during the chase or the opening";
        }
        if (blocked() != blockedBefore) {
            // Blocking ends only at a key's time, and that key is read next.
            EXPECT_EQ(headless::NowMs() % 10'000, 0);
            EXPECT_EQ(sleptAtBlock, -1) << "blocked again before taking the key";
            sleptAtBlock = headless::SleptMs();
            blockedBefore = blocked();
        }
        if (commandsAt > 0 && !scenario::InBattle() && scenario::OnField()) throw headless::ScriptEnded{};
    });
    int keysRead = 0;
    headless::SetKeyObserver([&] {
        ++keysRead;
        EXPECT_TRUE(sleptAtBlock < 0 || headless::SleptMs() == sleptAtBlock) << "paused between the wait and its key";
        sleptAtBlock = -1;
    });
    RunScript([] {
        for (;;) MainLoopPass();
    });
    ASSERT_GT(commandsAt, 0) << "no enemy reached the hero";
    EXPECT_LT(commandsAt, 60'000);
    EXPECT_GT(keysRead, 3);
    EXPECT_GT(blocked(), 0) << "the game never waited for a key";
}

}  // namespace
}  // namespace rf
