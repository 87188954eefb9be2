// The save file: what goes in comes back, and anything else is refused
// with a reason; on disk, it never overwrites another game nor anything but
// the file opened, survives a kill in the middle of a write, has one lock
// per save and leaves no leftovers; the settings file, of which a change
// writes one row; and the listing.
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/player_files.h"
#include "saves/save_files.h"
#include "saves/save_format.h"
#include "saves/settings_file.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace rf::test {
namespace {

SaveData Sample() {
    SaveData s;
    s.world = "default", s.worldDigest = "0123456789abcdef";
    s.startedAt = 1'796'000'000, s.savedAt = 1'796'003'661;
    std::string name = ToCp932("アレン");
    std::memcpy(s.hero.name, name.data(), name.size());
    s.hero.level = 7, s.hero.exp = 4'000'000'000u, s.hero.hp = -3, s.hero.items[kBuckler] = {3, 1};
    s.hero.mapNumber = 9, s.hero.fieldX = 58, s.hero.fieldY = 19;
    s.effects.slots[TimedEffectOf(kProtein)][1] = {4, 2}, s.effects.rowInUse[2] = 1, s.effects.activeEffects = 1;
    s.kingMarkShown = true;
    s.journey = {4000, -1, 7, 1, 2, 0b10001, false, true};
    return s;
}

// What `text` holds, read as a save (and a failure where it is refused).
SaveData Parsed(const std::string& text) {
    SaveData out;
    std::string error;
    EXPECT_TRUE(ParseSave(text, out, error)) << error;
    return out;
}

TEST(SaveFormat, WhatIsWrittenIsReadBackAndReadable) {
    SaveData in = Sample();
    std::string text = ComposeSave(in);
    EXPECT_NE(text.find("name アレン\n"), std::string::npos);
    EXPECT_EQ(ComposeSave(Parsed(text)), text);  // every field, written again from what was read
    // A name with no exact UTF-8 form is kept byte for byte.
    std::memcpy(in.hero.name, "a b\x81", 5);
    text = ComposeSave(in);
    EXPECT_NE(text.find("name-bytes 61206281\n"), std::string::npos);
    EXPECT_STREQ(Parsed(text).hero.name, "a b\x81");
    // A save from before the journey was kept has one made up from what it
    // holds: its time from start to save, its map, the marks it had shown.
    text.erase(text.find("journey "), text.find('\n', text.find("journey ")) - text.find("journey ") + 1);
    const Journey j = Parsed(text).journey;
    EXPECT_EQ(
        std::tie(j.secondsBefore, j.battlesWon, j.battlesLost, j.battlesFled, j.mapsVisited, j.queenSeen, j.kingSeen),
        std::make_tuple(3661u, 0u, 0u, 0u, std::uint16_t{1 << 8}, false, true));
    // The world's own name, for the list, read back; one that is no line of UTF-8 is left out.
    in.worldName = "王の門";
    EXPECT_EQ(Parsed(ComposeSave(in)).worldName, "王の門");
    text = ComposeSave(in);
    text.replace(text.find("王の門"), std::strlen("王の門"), "\xff\x1b[2J");
    EXPECT_EQ(Parsed(text).worldName, "");
}

// Each effect in turn with every slot running, the others free with rows of
// their own: every slot comes back, however many there are.
TEST(SaveFormat, EverySlotOfEveryEffectIsKept) {
    for (int running = 0; running < kTimedEffects; ++running) {
        SCOPED_TRACE(running);
        SaveData in = Sample();
        for (int e = 0; e < kTimedEffects; ++e)
            for (int k = 0; k < kRunningEffects; ++k)
                in.effects.slots[e][k] = {static_cast<std::int16_t>(e == running ? 2 + k : -1),
                                          static_cast<std::int16_t>(e == running ? k : 10 * e + k)};
        for (std::int16_t& row : in.effects.rowInUse) row = 1;
        in.effects.activeEffects = kRunningEffects;
        const SaveData out = Parsed(ComposeSave(in));
        EXPECT_EQ(std::memcmp(&out.effects, &in.effects, sizeof in.effects), 0);  // sixteen-bit fields, no padding
    }
}

TEST(SaveFormat, DamagedCutShortOrForeignSavesAreRefusedWithAReason) {
    const std::string good = ComposeSave(Sample());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        return s.replace(s.find(from), from.size(), to);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a saved game"},
        {replaced("save 1\n", "save 2\n"), "another version"},
        {good.substr(0, good.size() - 4), "cut short"},
        // Out of range, these would lead the game outside its records.
        {replaced("map 9", "map 10"), "'map'"},
        {replaced("cell 58 19", "cell 58 20"), "'cell'"},
        {replaced("effect-rows 0 0 1", "effect-rows 0 1 0"), "'effect-rows'"},
        {replaced("protein-effects -1 0 4 2", "protein-effects -1 0 4 7"), "'effect-rows'"},
        {replaced("level 7", "level 7x"), "'level'"},
        {replaced("level 7", "level 40000"), "'level'"},
        {replaced("exp 4000000000", "exp -1"), "'exp'"},
        {replaced("world-digest 0123456789abcdef", "world-digest 0123"), "'world-digest'"},
        {replaced("saved 2026-11-30 01:54:21 UTC", "saved 2026-13-30 01:54:21 UTC"), "'saved'"},
        {replaced("saved 2026-11-30 01:54:21 UTC", "saved 2026-02-30 01:54:21 UTC"), "'saved'"},
        {replaced("saved 2026-11-30 01:54:21 UTC", "saved 2026-11-30 1:54:21 UTC"), "'saved'"},
        {replaced("started 2026", "started +2026"), "'started'"},
        {replaced("marks-shown king", "marks-shown rook"), "'marks-shown'"},
        {replaced("speed", "speed 1\nspeed"), "damaged"},
    };
    for (const auto& [text, reason] : cases) {
        SaveData out;
        std::string error;
        EXPECT_FALSE(ParseSave(text, out, error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

// Any stamp a clock gave reads back (also those an earlier version wrote
// under a clock before 1970 or past 9999); a save stamps within the years
// every version reads.
TEST(SaveFormat, DatesAreUtcCivilTimeUnderAnyClock) {
    struct Date {
        std::int64_t seconds;  // the clock's
        const char* utc;       // their text
        const char* saved;     // the text a save stamps
    };
    const Date cases[] = {
        {0, "1970-01-01 00:00:00 UTC", "1970-01-01 00:00:00 UTC"},
        {951'782'400, "2000-02-29 00:00:00 UTC", "2000-02-29 00:00:00 UTC"},
        {4'102'444'799, "2099-12-31 23:59:59 UTC", "2099-12-31 23:59:59 UTC"},
        {-3'596, "1969-12-31 23:00:04 UTC", "1970-01-01 00:00:00 UTC"},
        {253'402'300'800, "10000-01-01 00:00:00 UTC", "9999-12-31 23:59:59 UTC"},
    };
    for (auto [seconds, utc, saved] : cases) {
        EXPECT_EQ(UtcText(seconds), utc);
        std::int64_t back = -1;
        EXPECT_TRUE(ParseUtcText(utc, back)) << utc;
        EXPECT_EQ(back, seconds);
        SaveData in = Sample();
        in.savedAt = in.startedAt = seconds;
        const std::string text = ComposeSave(in);
        EXPECT_NE(text.find(std::string("saved ") + saved + "\n"), std::string::npos) << text;
        Parsed(text);
    }
}

SaveData Save(std::int16_t level, std::int64_t savedAt, const std::string& world = "default") {
    SaveData s = Sample();
    s.world = world, s.savedAt = s.startedAt = savedAt, s.hero.level = level, s.hero.mapNumber = 2;
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

TEST(SaveFiles, NewGamesNeverTakeAnOlderName) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    std::string problem;
    platform::FileIdentity made;
    // A clock past 9999 or before 1970 names the file from the stamp the
    // save holds, put within those years.
    struct Named {
        std::int64_t stamp;
        const char* name;
    };
    const Named cases[] = {{1'796'003'661, "game-2026-11-30-015421.save"},
                           {1'796'003'661, "game-2026-11-30-015421-2.save"},
                           {253'402'300'800, "game-9999-12-31-235959.save"},
                           {-3'596, "game-1970-01-01-000000.save"}};
    std::vector<std::string> paths;
    for (auto [stamp, name] : cases) {
        paths.push_back(WriteNewSave(folder, Save(static_cast<std::int16_t>(paths.size() + 1), stamp), made, problem));
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
    // Known by their names; an empty save goes when the saves are read.
    CleanLeftovers(dir.Path().string());
    SavesIn(dir.Path().string());
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".b.save.lock", "a.save", "b.rec", "b.save", "b.save.abcdefgh.tmp",
                                              "empty.2.rec", "empty.rec", "notes.tmp"}));
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

// Writes go only to the file the game opened, held open as a save in play
// or only known by its identity: a link planted at its name or at a
// temporary file's is passed by, never followed; whatever else comes to
// stand at its name (a backup restored with rm and cp, which may get the
// old file's inode number once it is free, a file written into it in place
// or renamed over it) is never replaced; a hard link made to it or the name
// removed is not a change.
TEST(SaveFiles, WritesGoOnlyToTheFileThatWasOpened) {
    namespace fs = std::filesystem;
    TempDir dir, elsewhere;
    elsewhere.Write("victim", "keep me");
    const fs::path save = dir.Path() / "game.save";
#ifndef _WIN32
    fs::create_symlink(elsewhere.Path() / "victim", dir.Path() / "game.save.tmp");
#endif
    struct Case {
        const char* name;
        bool held;  // or only identified
        void (*during)(const fs::path& save, const fs::path& elsewhere);
        bool written;
        const char* after;  // what the name holds then
    };
    const Case cases[] = {
        {"left alone", true, [](const auto&, const auto&) {}, true, "new"},
        {"removed", true, [](const auto& s, const auto&) { fs::remove(s); }, true, "new"},
        {"restored with rm and cp", true,
         [](const auto& s, const auto&) {
             fs::remove(s);
             std::ofstream(s) << "backup!";
         },
         false, "backup!"},
        {"written in place", true, [](const auto& s, const auto&) { std::ofstream(s, std::ios::trunc) << "backup!"; },
         false, "backup!"},
        {"hard linked elsewhere", true, [](const auto& s, const auto& e) { fs::create_hard_link(s, e / "link.save"); },
         true, "new"},
        {"identified, left alone", false, [](const auto&, const auto&) {}, true, "new"},
        {"identified, removed", false, [](const auto& s, const auto&) { fs::remove(s); }, true, "new"},
        // Put in place while the old file still exists, so it cannot share its inode.
        {"identified, another file renamed over it", false,
         [](const auto& s, const auto&) {
             std::ofstream(s.string() + ".planted") << "backup!";
             fs::rename(s.string() + ".planted", s);
         },
         false, "backup!"},
#ifndef _WIN32
        {"identified, a link renamed over it", false,
         [](const auto& s, const auto& e) {
             fs::create_symlink(e / "victim", s.string() + ".planted");
             fs::rename(s.string() + ".planted", s);
         },
         false, "keep me"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("game.save", "old");
        platform::FileIdentity kept;
        std::string problem;
        if (c.held) ASSERT_EQ(platform::HoldFile(save.string(), kept, problem), platform::LockResult::kHeld) << problem;
        else ASSERT_TRUE(platform::IdentifyFile(save.string(), kept));
        c.during(save, elsewhere.Path());
        bool changed = false;
        EXPECT_EQ(platform::WriteFileAtomically(save.string(), "new", kept, changed, problem), c.written);
        EXPECT_EQ(changed, !c.written);
        EXPECT_EQ(dir.Read("game.save"), c.after);
        EXPECT_EQ(elsewhere.Read("victim"), "keep me");
        // Written, the new file is the one held.
        if (c.written) {
            EXPECT_TRUE(platform::WriteFileAtomically(save.string(), "newer", kept, changed, problem));
        }
        if (c.held) platform::LetGoOfFile(kept);
        fs::remove(save);
        fs::remove(elsewhere.Path() / "link.save");
    }
}

#ifndef _WIN32
// One lock per file, held by the file itself: another process holding it
// under any name or hard link refuses it; a lock's file goes when its
// process exits, even at once (a refusal), and only a killed one leaves it.
TEST(SaveFiles, AHardLinkSharesItsFilesLockAndNoLockOutlivesItsProcess) {
    TempDir dir;
    dir.Write("game.save", "a game");
    const std::filesystem::path save = dir.Path() / "game.save", link = dir.Path() / "linked.save";
    std::filesystem::create_hard_link(save, link);
    dir.Write("copy.save", "a game");
    std::optional<HeldInAnotherProcess> holder(std::in_place, save.string());
    ASSERT_TRUE(holder->Held());
    struct Name {
        const char* name;
        std::filesystem::path path;
        platform::LockResult result;
    };
    const Name names[] = {{"its own name", save, platform::LockResult::kHeldElsewhere},
                          {"a hard link", link, platform::LockResult::kHeldElsewhere},
                          {"a copy", dir.Path() / "copy.save", platform::LockResult::kHeld}};
    for (const Name& n : names) {
        platform::FileIdentity identity;
        std::string said;
        EXPECT_EQ(platform::HoldFile(n.path.string(), identity, said), n.result) << n.name;
        platform::LetGoOfFile(identity);
    }
    holder.reset();

    struct End {
        const char* name;
        void (*end)();
        bool left;
    };
    const End ends[] = {{"exits at once", [] { std::exit(1); }, false}, {"killed", [] { ::raise(SIGKILL); }, true}};
    for (const End& e : ends) {
        const std::string lock = (dir.Path() / ".game.save.lock").string();
        if (const pid_t child = ::fork(); child == 0) {
            std::string said;
            platform::HoldLock(lock, "a test", said);
            e.end();
        } else {
            ::waitpid(child, nullptr, 0);
        }
        EXPECT_EQ(std::filesystem::exists(lock), e.left) << e.name;
        std::filesystem::remove(lock);
    }
}

// Settings are written a row at a time: the rows another window changed,
// and those of another version, stay as they are; the file may be a link
// to the player's own, and stays one.
TEST(SettingsFile, OneRowIsWrittenTheRestKept) {
    Settings s;
    s.pace = MessagePace::kInstant, s.extraKeys = true, s.consoleLook = false;
    struct Case {
        const char* name;
        const char* before;
        SettingKey key;
        const char* after;
    };
    const Case cases[] = {
        {"no file yet", "", SettingKey::kMessages, "messages instant\n"},
        {"another window's rows kept", "messages wait\nextra-keys off\nlook console\nlanguage ja\n",
         SettingKey::kExtraKeys, "messages wait\nextra-keys on\nlook console\nlanguage ja\n"},
        {"another version's row kept", "volume 11\nlook console", SettingKey::kLook, "volume 11\nlook marked\n"},
        {"a second row of the key goes", "language ja\nmessages auto\nlanguage xx\n", SettingKey::kLanguage,
         "language en\nmessages auto\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(WithSetting(c.before, c.key, s, 1), c.after) << c.name;

    TempDir home, mine;
    ScopedEnvironment env{{"HOME", home.Path().string()}, {"XDG_CONFIG_HOME", home.Path().string()}};
    mine.Write("settings", "messages wait\nlook console\n");
    std::filesystem::create_directories(home.Path() / "ranks-and-files");
    std::filesystem::create_symlink(mine.Path() / "settings", home.Path() / "ranks-and-files" / "settings");
    ResetGameState();
    settings.kept = SettingsKept::kKept, settings.extraKeys = true;
    std::string problem;
    EXPECT_TRUE(KeepSetting(SettingKey::kExtraKeys, problem)) << problem;
    EXPECT_TRUE(std::filesystem::is_symlink(home.Path() / "ranks-and-files" / "settings"));
    EXPECT_EQ(mine.Read("settings"), "messages wait\nlook console\nextra-keys on\n");
    ResetGameState();
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
#ifndef _WIN32
    // A link to a save is one; a FIFO is no save, and holds nothing up.
    TempDir other;
    other.Write("e.save", ComposeSave(Save(3, 1'700'000'500)));
    std::filesystem::create_symlink(other.Path() / "e.save", dir.Path() / "e.save");
    ::mkfifo((dir.Path() / "f.save").c_str(), 0600);
#endif
    std::string listing = SavesListing(dir.Path().string());
#ifndef _WIN32
    // Saved in the same second as b.save: the later name first.
    const std::size_t e = listing.find("  e.save  level 3");
    EXPECT_LT(e, listing.find("  b.save  level 9")) << listing;
    EXPECT_EQ(listing.find("f.save"), std::string::npos) << listing;
#endif
    auto b = listing.find("  b.save  level 9, map 2, saved 2023-11-14 22:21:40 UTC, world /games/\\x1b[2Jother\\x0d\n");
    auto a = listing.find("  a.save  level 2, map 2, saved 2023-11-14 22:13:20 UTC, world default\n");
    auto c = listing.find("  c.save  cannot be resumed: saved by another version of the game (format 7\\x1b[31m)\n");
    const std::size_t d = listing.find("  d.save  level 5");
    EXPECT_TRUE(b != std::string::npos && a != std::string::npos && c != std::string::npos) << listing;
    EXPECT_TRUE(b < a && a < d && d < c) << listing;
    EXPECT_EQ(listing.find("notes"), std::string::npos);
}

// A row or a value the file does not know leaves the settings as the rows before it set them (the
// values themselves come back in the settings table's test).
TEST(SettingsFile, WhatItDoesNotKnowLeavesTheSettingsAlone) {
    Settings s, back;
    s.pace = MessagePace::kInstant, s.classicNextStart = true;
    std::int16_t lang = 0;
    ParseSettings(ComposeSettings(s, 1) + "volume 11\nmessages fast\nlanguage xx\nclassic maybe\n", back, lang);
    EXPECT_TRUE(lang == 1 && back.pace == MessagePace::kInstant && back.classic && back.classicNextStart);
}

// The farewell names the game as it was started.
TEST(SaveFiles, FarewellNamesTheGameAsStarted) {
    const std::pair<const char*, const char*> kCases[] = {
        {"ranks", "ranks --continue g.save"},
        {"./build/bin/ranks", "./build/bin/ranks --continue g.save"},
#ifdef _WIN32
        {"/opt/my games/ranks", "\"/opt/my games/ranks\" --continue g.save"},  // as cmd quotes
#else
        {"/opt/my games/ranks", "'/opt/my games/ranks' --continue g.save"},
#endif
        {"", "ranks --continue g.save"},
    };
    for (auto [command, resume] : kCases) EXPECT_EQ(platform::HowToResume(command, "g.save", false), resume);
}

}  // namespace
}  // namespace rf::test
