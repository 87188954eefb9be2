// The recording as the platform keeps it: its event text, and a pause for a
// key as it is recorded and replayed. (A game recorded and replayed to the
// same screens and records is the session's test; damaged and cut
// recordings are the replay fuzz target's.)
#include "platform/recording.h"

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/headless/headless.h"
#include "platform/player_files.h"
#include "platform/recording/session_events.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rf::test {
namespace {

using platform::SessionEvent;

// The events of a recording's text, written again as the events' text.
std::string EventsOf(const std::string& text) {
    std::vector<SessionEvent> events;
    std::string error, again;
    EXPECT_TRUE(platform::ParseEvents(text, events, error)) << error;
    for (const SessionEvent& e : events) platform::AppendEvent(again, e);
    return again;
}

// A recording of its own, for the backend in use from now on.
void StartRecordingTo(const std::string& path, const platform::Backend& backend) {
    bool taken = false;
    std::string problem;
    std::FILE* file = platform::OpenOutputFile(path, true, taken, problem);
    ASSERT_NE(file, nullptr) << problem;
    platform::UseBackend(backend);
    platform::StartRecording({file}, "");
}

TEST(SessionEvents, TokensAndTheirRefusals) {
    // The line cut short is left out.
    EXPECT_EQ(EventsOf("n12 +224 t40 +77\ny r13 c1796000000\nn3 +2"), "n12+224t40+77yr13c1796000000");
    std::vector<SessionEvent> events;
    std::string error;
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
    StartRecordingTo((dir.Path() / "game.rec").string(), kThreeSteps);
    EXPECT_FALSE(platform::KeyWaiting());
    EXPECT_EQ(platform::PauseForKey(10, 13), 3u);
    EXPECT_TRUE(platform::KeyWaiting());
    EXPECT_EQ(platform::ReadKey(), 'k');
    platform::FlushRecording();
    EXPECT_EQ(EventsOf(dir.Read("game.rec")), "n3+107");
    std::string error;
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
        StartRecordingTo((dir.Path() / "game.rec").string(), kEndsInPause);
        EXPECT_FALSE(platform::KeyWaiting());
        EXPECT_FALSE(platform::KeyWaiting());
        if (drawsFirst) platform::Write("x");
        EXPECT_THROW(platform::PauseForKey(10, 13), Ended);
        EXPECT_EQ(EventsOf(dir.Read("game.rec")), events)
            << (drawsFirst ? "drawn before the pause" : "straight after the test");
        platform::StartRecording({}, "");
    }
}

// A replay reads its file on from where it read to, whatever moves the
// file's position meanwhile: the page's runtime syncs every open stream
// with what it has handed out when the game first pauses, and a replay
// that read on from that position read most of a block twice (its hero
// walked further than recorded).
TEST_F(RecordAndReplay, AReplayReadsOnFromItsOwnPlaceInTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "the file's position is moved with POSIX calls";
#else
    TempDir dir;
    std::string events;
    for (int i = 0; i < 3000; ++i) events += "+" + std::to_string(33 + i % 90) + "\n";  // longer than a block
    dir.Write("long.rec", "header\n" + events);
    const std::string path = (dir.Path() / "long.rec").string();
    std::string error;
    ASSERT_TRUE(platform::StartReplay(path, 7, 1, true, error)) << error;
    struct stat recording {};
    ASSERT_EQ(::stat(path.c_str(), &recording), 0);
    std::vector<int> read;
    try {
        while (platform::KeyWaiting()) {
            read.push_back(platform::ReadKey());
            if (read.size() > 1) continue;
            // The first key's line handed out: the position moved back to it.
            for (int fd = 3; fd < 256; ++fd) {
                struct stat open {};
                if (::fstat(fd, &open) == 0 && open.st_ino == recording.st_ino && open.st_dev == recording.st_dev)
                    ::lseek(fd, 7 + 4, SEEK_SET);
            }
        }
    } catch (const headless::ExitCalled&) {
    }
    ASSERT_EQ(read.size(), 3000u);
    for (std::size_t i = 0; i < read.size(); ++i) ASSERT_EQ(read[i], static_cast<int>(33 + i % 90)) << "key " << i;
#endif
}

}  // namespace
}  // namespace rf::test
