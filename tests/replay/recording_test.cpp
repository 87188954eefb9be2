// Recordings: the event text, the header (how the game was played
// included), and a pause for a key as it is recorded and replayed. (A game
// recorded and replayed to the same screens and records is the session
// saves test's; damaged and cut recordings are the replay fuzz target's.)
#include "platform/recording.h"
#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/player_files.h"
#include "platform/recording/session_events.h"
#include "replay/recording_file.h"
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

TEST(RecordingFile, HeaderRoundTripAndRefusals) {
    RecordingHeader h{"/worlds/two\nlines", "0123456789abcdef", true, {}, true, MessagePace::kAuto, true, true};
    h.save.world = "default", h.save.worldDigest = "0123456789abcdef", h.save.hero.mapNumber = 3;
    std::string text = ComposeRecordingHeader(h) + "n5 +13\n";
    RecordingHeader back;
    std::size_t eventsAt = 0;
    std::string error;
    ASSERT_TRUE(ParseRecording(text, back, eventsAt, error)) << error;
    EXPECT_TRUE(back.resumed);
    EXPECT_EQ(back.world, h.world);
    EXPECT_EQ(back.save.hero.mapNumber, 3);
    EXPECT_EQ(text.substr(eventsAt), "n5 +13\n");
    EXPECT_TRUE(back.settingsGiven && back.pace == MessagePace::kAuto && back.extraKeys && back.consoleLook);
    // A header line this version does not know is refused rather than
    // replayed into another game. (A play-test's start and level come back:
    // SessionSaves.APlayTestReplaysAndAGoneWorldIsRefused replays one.)
    const std::string unknown = text.substr(0, text.find("events")) + "pace 3\nevents\n";
    const std::pair<std::string, const char*> bad[] = {
        {"ranks-and-files recording 9\n", "another version"},
        {"ranks-and-files save 1\n", "not a recording"},
        {unknown, "header line 'pace 3'"},
    };
    for (const auto& [t, reason] : bad) {
        EXPECT_FALSE(ParseRecording(t, back, eventsAt, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    // A recording from before the header said how it was played plays at the
    // wait pace with the arrows alone.
    text.erase(text.find("played messages"), text.find("events") - text.find("played messages"));
    ASSERT_TRUE(ParseRecording(text, back, eventsAt, error)) << error;
    EXPECT_TRUE(!back.settingsGiven && back.pace == MessagePace::kWait && !back.extraKeys);
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

}  // namespace
}  // namespace rf::test
