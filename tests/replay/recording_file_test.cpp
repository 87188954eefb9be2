// The recording's header: what goes in comes back, how the game was played
// included, and what this version cannot replay is refused with a reason.
#include "replay/recording_file.h"

#include <string>

#include "test_support.h"

namespace rf::test {
namespace {

TEST(RecordingFile, HeaderRoundTripAndRefusals) {
    RecordingHeader h{"/worlds/two\nlines", "0123456789abcdef", true, {}, true, {MessagePace::kAuto, true, true, true}};
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
    EXPECT_TRUE(back.settingsGiven && back.edition == 1);  // each setting's values: the settings table's test
    h.edition = kEdition;
    ASSERT_TRUE(ParseRecording(ComposeRecordingHeader(h), back, eventsAt, error)) << error;
    EXPECT_EQ(back.edition, kEdition);
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
    // (A recording from before the header said how it was played, which
    // plays at the wait pace with the arrows alone, is walk_nine_maps.rec.)
}

}  // namespace
}  // namespace rf::test
