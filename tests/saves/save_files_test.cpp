// Save files on disk: never overwriting another game nor anything but the
// file opened, surviving a kill in the middle of a write, one lock per
// save, no leftovers, and the listing.
#include <algorithm>
#include <fstream>

#include "platform/player_files.h"
#include "saves/save_files.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace rf::test {
namespace {

SaveData Save(int level, std::int64_t savedAt, const std::string& world = "default") {
    SaveData s;
    s.world = world, s.worldDigest = "00000000000000aa", s.savedAt = s.startedAt = savedAt;
    s.hero.level = static_cast<std::int16_t>(level), s.hero.mapNumber = 2;
    return s;
}

TEST(SaveFiles, AKillInTheMiddleOfASaveLeavesThePreviousSaveWhole) {
    TempDir dir;
    const std::string path = (dir.Path() / "game.save").string();
    const std::string before = ComposeSave(Save(3, 1'800'000'000));
    std::string problem;
    platform::FileIdentity kept;
    bool changed = false;
    ASSERT_TRUE(platform::WriteFileAtomically(path, before, kept, changed, problem));
    const std::string after = ComposeSave(Save(4, 1'800'000'100));
    for (int stage : {1, 2}) {
        EXPECT_EXIT(
            {
                platform::InjectWriteFault(stage);
                platform::WriteFileAtomically(path, after, kept, changed, problem);
                std::exit(0);
            },
            ::testing::ExitedWithCode(137), "");
        EXPECT_EQ(dir.Read("game.save"), before) << "stage " << stage;
        // The torn temporary file is not taken for a save.
        ASSERT_EQ(SavesIn(dir.Path().string()).size(), 1u);
        EXPECT_TRUE(SavesIn(dir.Path().string())[0].readable);
    }
    ASSERT_TRUE(platform::WriteFileAtomically(path, after, kept, changed, problem));
    EXPECT_EQ(dir.Read("game.save"), after);
}

#ifndef _WIN32
// Writes go only to the file the game opened: a link planted at its name or
// at a temporary file's is replaced or passed by, never followed; another
// file put under the name stays as it is; a name removed is made again.
TEST(SaveFiles, WritesGoOnlyToTheFileThatWasOpened) {
    TempDir dir, elsewhere;
    elsewhere.Write("victim", "keep me");
    const std::string path = (dir.Path() / "game.save").string();
    const std::filesystem::path victim = elsewhere.Path() / "victim", other = dir.Path() / "other";
    std::filesystem::create_symlink(victim, dir.Path() / "game.save.tmp");
    const struct {
        const char* planted;  // what comes to stand under the name
        bool written;
        const char* after;
    } cases[] = {{"", true, "new"}, {"link", false, "keep me"}, {"file", false, "theirs"}, {"gone", true, "new"}};
    for (const auto& c : cases) {
        dir.Write("game.save", "old");
        platform::FileIdentity kept;
        ASSERT_TRUE(platform::IdentifyFile(path, kept));
        const std::string planted = c.planted;
        // Put in place while the old file still exists, so it cannot share its inode.
        if (planted == "link") std::filesystem::create_symlink(victim, other);
        if (planted == "file") dir.Write("other", "theirs");
        if (planted == "link" || planted == "file") std::filesystem::rename(other, path);
        if (planted == "gone") std::filesystem::remove(path);
        bool changed = false;
        std::string problem;
        EXPECT_EQ(platform::WriteFileAtomically(path, "new", kept, changed, problem), c.written) << planted;
        EXPECT_EQ(changed, !c.written) << planted;
        EXPECT_EQ(dir.Read("game.save"), c.after) << planted;
        EXPECT_EQ(elsewhere.Read("victim"), "keep me");
        std::filesystem::remove(path);
    }
}
#endif

TEST(SaveFiles, NewGamesNeverTakeAnOlderName) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    std::string problem;
    platform::FileIdentity made;
    // Nor cut short by a clock past 9999, nor one before 1970 (what such a
    // clock stamps reads back: SaveFormat.DatesAreUtcCivilTimeUnderAnyClock).
    const std::pair<std::int64_t, const char*> cases[] = {{1'796'003'661, "game-2026-11-30-015421.save"},
                                                          {1'796'003'661, "game-2026-11-30-015421-2.save"},
                                                          {253'402'300'800, "game-10000-01-01-000000.save"},
                                                          {-3'596, "game-1969-12-31-230004.save"}};
    std::vector<std::string> paths;
    for (auto [stamp, name] : cases) {
        paths.push_back(WriteNewSave(folder, Save(static_cast<int>(paths.size()) + 1, stamp), made, problem));
        EXPECT_EQ(paths.back().substr(paths.back().find_last_of("/\\") + 1), name);
    }
    EXPECT_EQ(ReadSaveFile(paths[0]).data.hero.level, 1);  // not overwritten by the second
    for (const std::string& p : paths) ReleaseSave(p);
}

#ifndef _WIN32
// The lock is the file's, beside it, whatever name reached it; a lock name
// taken by something else refuses the save; released, its file goes; and
// what an interrupted game left is cleaned unless its game still runs.
TEST(SaveFiles, OneLockPerSaveAndNoLeftovers) {
    TempDir dir, other;
    dir.Write("b.save", ComposeSave(Save(1, 1'800'000'000)));
    std::filesystem::create_symlink(dir.Path() / "b.save", other.Path() / "mine.save");
    std::string said;
    // The game resolves the name it was given, as here.
    ASSERT_EQ(HoldSave(platform::AbsolutePath((other.Path() / "mine.save").string()), said),
              platform::LockResult::kHeld);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ".b.save.lock"));
    // Another open file of this process is refused as another window would be.
    EXPECT_EQ(HoldSave((dir.Path() / "b.save").string(), said), platform::LockResult::kHeldElsewhere);
    EXPECT_EQ(said.find("process "), 0u) << said;

    for (const char* name : {"a.save", "a.save.1a2b3c4d.tmp", "b.save.abcdefgh.tmp", "b.rec", "empty.save", "empty.rec",
                             "empty.2.rec", "notes.tmp", ".a.save.lock"})
        dir.Write(name, std::string(name).starts_with("a.save") ? "x" : "");
    CleanLeftovers(dir.Path().string());
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".b.save.lock", "a.save", "b.rec", "b.save", "b.save.abcdefgh.tmp",
                                              "notes.tmp"}));
    ReleaseSave((dir.Path() / "b.save").string());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / ".b.save.lock"));

    std::filesystem::create_directory(dir.Path() / ".c.save.lock");
    ::mkfifo((dir.Path() / ".d.save.lock").c_str(), 0600);
    std::filesystem::create_symlink(other.Path() / "mine.save", dir.Path() / ".e.save.lock");
    for (const char* name : {"c.save", "d.save", "e.save"}) {
        dir.Write(name, "");
        EXPECT_EQ(HoldSave((dir.Path() / name).string(), said), platform::LockResult::kNotALock) << name;
        EXPECT_TRUE(said.starts_with("it is a ")) << said;
    }
}
#endif

TEST(SaveFiles, ListingShowsTheMostRecentFirstAndWhatCannotBeResumed) {
    TempDir dir;
    dir.Write("a.save", ComposeSave(Save(2, 1'700'000'000)));
    // A folder named with a line break and an escape survives the file and
    // reaches the terminal harmless, as does whatever a foreign file holds.
    dir.Write("b.save", ComposeSave(Save(9, 1'700'000'500, "/games/\x1b[2Jother\r")));
    dir.Write("c.save", "ranks-and-files save 7\x1b[31m\n");
    dir.Write("notes.txt", "not a save");
    // Stamped by a clock that was ahead: after the games stamped before now.
    dir.Write("d.save", ComposeSave(Save(5, 4'102'444'799)));
    std::string listing = SavesListing(dir.Path().string());
    std::size_t b =
        listing.find("  b.save  level 9, map 2, saved 2023-11-14 22:21:40 UTC, world /games/\\x1b[2Jother\\x0d\n");
    std::size_t a = listing.find("  a.save  level 2, map 2, saved 2023-11-14 22:13:20 UTC, world default\n");
    std::size_t c =
        listing.find("  c.save  cannot be resumed: saved by another version of the game (format 7\\x1b[31m)\n");
    const std::size_t d = listing.find("  d.save  level 5");
    EXPECT_TRUE(b != std::string::npos && a != std::string::npos && c != std::string::npos) << listing;
    EXPECT_TRUE(b < a && a < d && d < c) << listing;
    EXPECT_EQ(listing.find("notes"), std::string::npos);
}

}  // namespace
}  // namespace rf::test
