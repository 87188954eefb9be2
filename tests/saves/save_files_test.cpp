// Save files on disk: never overwriting another game, surviving a kill in
// the middle of a write, and the listing.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/console_session.h"
#include "platform/player_files.h"
#include "saves/save_files.h"
#include "test_support.h"

namespace rf::test {
namespace {

SaveData Save(int level, std::int64_t savedAt, const std::string& world = "default") {
    SaveData s;
    s.world = world;
    s.worldDigest = "00000000000000aa";
    s.savedAt = s.startedAt = savedAt;
    s.hero.level = static_cast<std::int16_t>(level);
    s.hero.mapNumber = 2;
    return s;
}

TEST(SaveFiles, AKillInTheMiddleOfASaveLeavesThePreviousSaveWhole) {
    TempDir dir;
    const std::string path = (dir.Path() / "game.save").string();
    const std::string before = ComposeSave(Save(3, 1'800'000'000));
    std::string problem;
    ASSERT_TRUE(platform::WriteFileAtomically(path, before, problem));
    const std::string after = ComposeSave(Save(4, 1'800'000'100));
    for (int stage : {1, 2}) {
        EXPECT_EXIT(
            {
                platform::InjectWriteFault(stage);
                platform::WriteFileAtomically(path, after, problem);
                std::exit(0);
            },
            ::testing::ExitedWithCode(137), "");
        EXPECT_EQ(dir.Read("game.save"), before) << "stage " << stage;
        // The torn temporary file is not taken for a save.
        ASSERT_EQ(SavesIn(dir.Path().string()).size(), 1u);
        EXPECT_TRUE(SavesIn(dir.Path().string())[0].readable);
    }
    ASSERT_TRUE(platform::WriteFileAtomically(path, after, problem));
    EXPECT_EQ(dir.Read("game.save"), after);
}

#ifndef _WIN32
// A symlinked save is written through its link; a link planted where a
// careless writer would put its temporary file is never followed.
TEST(SaveFiles, WritesFollowNothingTheyDidNotMake) {
    TempDir dir, elsewhere;
    elsewhere.Write("real.save", "old");
    elsewhere.Write("victim", "keep me");
    std::filesystem::create_symlink(elsewhere.Path() / "real.save", dir.Path() / "game.save");
    std::filesystem::create_symlink(elsewhere.Path() / "victim", dir.Path() / "game.save.tmp");
    std::string problem;
    ASSERT_TRUE(platform::WriteFileAtomically((dir.Path() / "game.save").string(), "new", problem)) << problem;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "game.save"));
    EXPECT_EQ(elsewhere.Read("real.save"), "new");
    EXPECT_EQ(elsewhere.Read("victim"), "keep me");
}
#endif

TEST(SaveFiles, NewGamesNeverTakeAnOlderName) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    std::string problem;
    const std::string first = WriteNewSave(folder, Save(1, 1'796'003'661), problem);
    const std::string second = WriteNewSave(folder, Save(2, 1'796'003'661), problem);
    EXPECT_EQ(first.substr(first.find_last_of("/\\") + 1), "game-2026-11-30-015421.save");
    EXPECT_EQ(second.substr(second.find_last_of("/\\") + 1), "game-2026-11-30-015421-2.save");
    EXPECT_EQ(ReadSaveFile(first).data.hero.level, 1);
}

TEST(SaveFiles, ListingShowsTheMostRecentFirstAndWhatCannotBeResumed) {
    TempDir dir;
    dir.Write("a.save", ComposeSave(Save(2, 1'800'000'000)));
    // A folder named with a line break and an escape survives the file and
    // reaches the terminal harmless, as does whatever a foreign file holds.
    dir.Write("b.save", ComposeSave(Save(9, 1'800'000'500, "/games/\x1b[2Jother\r")));
    dir.Write("c.save", "ranks-and-files save 7\x1b[31m\n");
    dir.Write("notes.txt", "not a save");
    std::string listing = SavesListing(dir.Path().string());
    std::size_t b =
        listing.find("  b.save  level 9, map 2, saved 2027-01-15 08:08:20 UTC, world /games/\\x1b[2Jother\\x0d\n");
    std::size_t a = listing.find("  a.save  level 2, map 2, saved 2027-01-15 08:00:00 UTC, world default\n");
    std::size_t c =
        listing.find("  c.save  cannot be resumed: saved by another version of the game (format 7\\x1b[31m)\n");
    EXPECT_TRUE(b != std::string::npos && a != std::string::npos && c != std::string::npos) << listing;
    EXPECT_TRUE(b < a && a < c) << listing;
    EXPECT_EQ(listing.find("notes"), std::string::npos);
}

}  // namespace
}  // namespace rf::test
