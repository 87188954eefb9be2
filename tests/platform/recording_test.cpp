// The recording as the platform keeps it: its event text, and a pause for a
// key as it is recorded and replayed. (A game recorded and replayed to the
// same screens and records is the session's test; damaged and cut
// recordings are the replay fuzz target's.)
#include "platform/recording.h"

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/player_files.h"
#include "platform/recording/session_events.h"
#include "test_support.h"

namespace rf::test {
namespace {

using platform::SessionEvent;

TEST(SessionEvents, TokensAndTheirRefusals) {
    std::vector<SessionEvent> events;
    std::string error;
    ASSERT_TRUE(platform::ParseEvents("n12 +224 t40 +77\ny r13 c1796000000\nn3 +2", events, error)) << error;
    std::string again;
    for (const SessionEvent& e : events) platform::AppendEvent(again, e);
    EXPECT_EQ(again, "n12+224t40+77yr13c1796000000");  // the line cut short is left out
    const std::pair<const char*, const char*> bad[] = {
        {"n12 x3\n", "unknown event on line 1"},
        {"n\n", "damaged event"},
        {"+77x\n", "unknown event"},
        {"\n+70000\n", "key code out of range on line 2"},
        {"n99999999999999999999\n", "too large"},
    };
    for (auto [text, reason] : bad) {
        events.clear();
        EXPECT_FALSE(platform::ParseEvents(text, events, error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

class RecordAndReplay : public GameTest {
protected:
    void TearDown() override { platform::UseBackend(platform::HeadlessBackend()); }
};

// A pause that a key ended after three of its steps is written as the key
// tests those steps stood for, so a recording reads alike however the game
// waited, and a replay looks for a key after every step.
TEST_F(RecordAndReplay, APauseForAKeyIsRecordedAsTheKeyTestsItStoodFor) {
    static int tests = 0;
    // The headless backend, whose pause a key ends after three steps.
    static const platform::Backend kThreeSteps = [] {
        platform::Backend b = platform::HeadlessBackend();
        b.pauseForKey = [](std::uint32_t, std::uint32_t) { return 3u; };
        b.keyWaiting = [] { return ++tests == 2; };
        b.readKey = []() -> int { return 'k'; };
        return b;
    }();
    TempDir dir;
    const std::string path = (dir.Path() / "game.rec").string();
    bool taken = false;
    std::string problem;
    std::FILE* file = platform::OpenOutputFile(path, true, taken, problem);
    ASSERT_NE(file, nullptr);
    platform::UseBackend(kThreeSteps);
    platform::StartRecording({file}, "");
    EXPECT_FALSE(platform::KeyWaiting());
    EXPECT_EQ(platform::PauseForKey(10, 13), 3u);
    EXPECT_TRUE(platform::KeyWaiting());
    EXPECT_EQ(platform::ReadKey(), 'k');
    platform::FlushRecording();
    std::vector<SessionEvent> events;
    std::string error;
    ASSERT_TRUE(platform::ParseEvents(dir.Read("game.rec"), events, error)) << error;
    std::string again;  // written again as the events' text
    for (const SessionEvent& e : events) platform::AppendEvent(again, e);
    EXPECT_EQ(again, "n3+107");
    ASSERT_TRUE(platform::StartReplayOf(dir.Read("game.rec"), 0, true, error)) << error;
    EXPECT_FALSE(platform::KeyWaiting());
    EXPECT_EQ(platform::PauseForKey(10, 13), 1u);
}

// A game ended inside the pause that followed a key test finding none
// (Ctrl+C while the enemies wait) was where it stood before that test: its
// replay stops there too, not after the enemies' next step. A pause after
// something was drawn keeps the test.
TEST_F(RecordAndReplay, AGameEndedInsideAPauseEndsBeforeTheTestThatLedToIt) {
    struct Ended {};
    static const platform::Backend kEndsInPause = [] {
        platform::Backend b = platform::HeadlessBackend();
        b.pauseForKey = nullptr;  // its pauses are sleeps
        b.keyWaiting = [] { return false; };
        b.sleep = [](std::uint32_t) {
            platform::FlushRecording();  // as the game's end flushes it
            throw Ended{};
        };
        return b;
    }();
    struct Ending {
        bool drawsFirst;  // something drawn before the pause
        const char* events;
    };
    for (const auto& [drawsFirst, events] : {Ending{false, "n1"}, {true, "n2"}}) {
        TempDir dir;
        bool taken = false;
        std::string problem, error;
        std::FILE* file = platform::OpenOutputFile((dir.Path() / "game.rec").string(), true, taken, problem);
        ASSERT_NE(file, nullptr);
        platform::UseBackend(kEndsInPause);
        platform::StartRecording({file}, "");
        EXPECT_FALSE(platform::KeyWaiting());
        EXPECT_FALSE(platform::KeyWaiting());
        if (drawsFirst) platform::Write("x");
        EXPECT_THROW(platform::PauseForKey(10, 13), Ended);
        std::vector<SessionEvent> read;
        ASSERT_TRUE(platform::ParseEvents(dir.Read("game.rec"), read, error)) << error;
        std::string again;
        for (const SessionEvent& e : read) platform::AppendEvent(again, e);
        EXPECT_EQ(again, events) << (drawsFirst ? "drawn before the pause" : "straight after the test");
        platform::StartRecording({}, "");
    }
}

}  // namespace
}  // namespace rf::test
