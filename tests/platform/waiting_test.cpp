// When a key poll may block, and where pauses end; then the whole game with
// no key pressed, where a poll that blocked too early would freeze a chase
// or stretch a battle (headless time jumps where a terminal would block).
#include "platform/model/waiting.h"

#include <gtest/gtest.h>

#include "core/startup.h"
#include "game_scenarios.h"
#include "test_support.h"

namespace rf {
namespace {

using platform::IdlePolls;
using platform::PauseDeadlines;

TEST(IdlePolls, BlocksOnlyAfterALongRunOfIdlePolls) {
    IdlePolls idle;
    for (int i = 1; i < IdlePolls::kBlockFrom; ++i) EXPECT_FALSE(idle.Idle()) << i;
    EXPECT_TRUE(idle.Idle());
    EXPECT_TRUE(idle.Idle());
    idle.Busy();
    EXPECT_FALSE(idle.Idle());
}

TEST(PauseDeadlines, EachPauseEndsItsStatedTimeAfterThePreviousEndWhileTheGameKeepsUp) {
    constexpr std::int64_t ms = 1'000'000;
    PauseDeadlines d;
    struct Step {
        std::int64_t nowNs;
        std::uint32_t pause;
        std::int64_t end;
    };
    const Step steps[] = {
        {100 * ms, 10, 110 * ms},           // the first pause counts from now
        {110 * ms + 300'000, 10, 120 * ms},  // drawing took 0.3 ms: not added
        {124 * ms, 1, 121 * ms},            // already late: the next end is past, so it returns at once
        {125 * ms, 1, 122 * ms},
        {140 * ms, 2, 124 * ms},            // 18 ms without the processor: still caught up
        {150 * ms, 20, 170 * ms},           // more than 25 ms late (a wait, a load): from now
    };
    for (const Step& s : steps) EXPECT_EQ(d.End(s.nowNs, s.pause), s.end) << s.nowNs;
    d.Forget();
    EXPECT_EQ(d.End(171 * ms, 5), 176 * ms);
}

class IdleGameTest : public test::GameTest {
protected:
    // A Pawn walks up to the hero, who stands outside the start room.
    void SetUp() override {
        GameTest::SetUp();
        scenario::MakeWorld(RANKS_WORLD_DIR, dir.Path() / "w", scenario::World::kOnePawn, 8, 10);
        dataRoot = (dir.Path() / "w").string();
        StartUp();
    }
    static bool InBattle() { return scenario::InBattle(); }
    test::TempDir dir;
    // Time the game spent blocked in a key poll rather than pausing.
    static std::int64_t Blocked() { return headless::NowMs() - headless::SleptMs(); }
};

TEST_F(IdleGameTest, WithNoKeyTheEnemiesWalkUpAndTheBattleOpensWithoutAPollEverBlocking) {
    headless::RunUntil(120'000);
    std::int64_t commandsAt = -1;
    headless::SetPresentObserver([&] {
        // The command loop's first poll: the battle opening has been played.
        if (commandsAt < 0 && InBattle() && headless::RowUtf8(10).find("にげる") != std::string::npos) {
            commandsAt = headless::NowMs();
            EXPECT_EQ(Blocked(), 0) << "a poll blocked during the chase or the opening";
        }
    });
    RunScript([] {
        for (;;) MainLoopPass();
    });
    ASSERT_GT(commandsAt, 0) << "no enemy reached the hero";
    EXPECT_LT(commandsAt, 60'000);
    // Then the game only waits for a key, and blocks until the run's end.
    EXPECT_EQ(headless::NowMs(), 120'000);
}

TEST_F(IdleGameTest, KeysFarApartAreTakenTheMomentTheyComeAndNoPauseIsCutShort) {
    // A whole encounter, each key ten seconds after the previous one.
    for (int i = 1; i <= 200; ++i) headless::Key(headless::kEnter, 60'000 + 10'000 * i);
    bool fought = false;
    std::int64_t blockedBefore = 0, sleptAtBlock = -1;
    headless::SetPresentObserver([&] {
        fought = fought || InBattle();
        if (Blocked() != blockedBefore) {
            // Blocking ends only at a key's time, and that key is read next.
            EXPECT_EQ(headless::NowMs() % 10'000, 0);
            EXPECT_EQ(sleptAtBlock, -1) << "blocked again before taking the key";
            sleptAtBlock = headless::SleptMs();
            blockedBefore = Blocked();
        }
        if (fought && !InBattle() && scenario::OnField()) throw headless::ScriptEnded{};
    });
    int keysRead = 0;
    headless::SetKeyObserver([&] {
        ++keysRead;
        if (sleptAtBlock >= 0) {
            EXPECT_EQ(headless::SleptMs(), sleptAtBlock) << "paused between the wait and its key";
        }
        sleptAtBlock = -1;
    });
    RunScript([] {
        for (;;) MainLoopPass();
    });
    EXPECT_TRUE(fought);
    EXPECT_GT(keysRead, 3);
}

}  // namespace
}  // namespace rf
