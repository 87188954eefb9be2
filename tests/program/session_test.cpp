// The session as the real program runs it, in-process on the headless
// console: a game that never starts writes nothing, a save in play is
// locked, --record writes only into a file of its own, and a game that
// cannot be saved says so. (When a game is saved through the real loops is
// the autosave test's.)
#include <array>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "core/save_keeping.h"
#include "core/texts.h"
#include "core/world_folder.h"
#include "platform/backend.h"
#include "platform/recording.h"
#include "program/resume.h"
#include "replay/state_digest.h"
#include "saves/autosave.h"
#include "saves/save_files.h"
#include "saves/world_digest.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace rf::test {
namespace {

#ifndef _WIN32

class SessionSaves : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        environment_.Keep("HOME");
        environment_.Set("XDG_DATA_HOME", data.Path().string());
        headless::SetLimits(100'000'000, 600'000);
    }
    void TearDown() override { platform::UseBackend(platform::HeadlessBackend()); }
    std::filesystem::path Folder() const { return data.Path() / "ranks-and-files"; }
    // Runs the program until its keys run out, `quit` (what a backend does on
    // Ctrl+C or a signal) is called, or it exits.
    void Run(const std::vector<std::string>& args, bool quitAtTheNotice = false) {
        if (quitAtTheNotice)
            headless::SetPresentObserver([] {
                if (headless::RowUtf8(3).find("30 秒後") == std::string::npos) return;
                platform::RunBeforeExit();
                throw headless::ExitCalled{130};
            });
        status = RunProgram(args);
        headless::SetPresentObserver(nullptr);
    }
    // The program run again, from a clean game and console.
    void Again(const std::vector<std::string>& args, bool quitAtTheNotice = false) {
        headless::Reset();
        ResetGameState();
        Run(args, quitAtTheNotice);
    }
    // A save of this world, not in play, with the hero at `x`, `y` of map 1.
    std::string SaveAt(std::int16_t level, std::int16_t x, std::int16_t y, int exp = 0, const char* lang = "") {
        dataRoot = world.Path().string();
        SaveData s;
        s.language = lang, s.world = SavedWorldName(), s.worldDigest = WorldDigest();
        s.hero.level = level, s.hero.exp = exp, s.hero.mapNumber = 1, s.hero.fieldX = x, s.hero.fieldY = y;
        std::filesystem::create_directories(Folder());
        std::string problem;
        platform::FileIdentity made;
        const std::string path = WriteNewSave(Folder().string(), s, made, problem);
        EXPECT_FALSE(path.empty()) << problem;
        ReleaseSave(path);  // as when its game ended
        platform::LetGoOfFile(made);
        return path;
    }
    std::vector<std::string> Saves() const { return SaveNames(Folder()); }
    // The program's error stream holds `text` (and is shown if not).
    static testing::AssertionResult Said(const std::string& text) {
        return testing::IsSubstring("text", "stderr", text, headless::PrintedError());
    }
    TempDir world{RANKS_RECORDINGS_WORLD};
    TempDir data;
    int status = -1;

private:
    ScopedEnvironment environment_;
};

// No save to continue; a good save, a map file gone, a quit at the notice:
// the save is as it was, and the farewell names the file; a new game on
// that world leaves no file.
TEST_F(SessionSaves, AGameThatNeverStartedWritesNothing) {
    Run({"--world", world.Path().string(), "--continue"});  // nothing to continue
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(Said("no saved game of this world to continue"));
    SaveAt(2, 8, 4, 98);
    const std::vector<std::string> first = Saves();
    const std::string before = data.Read("ranks-and-files/" + first[0]);
    std::filesystem::remove(world.Path() / "map_form/map1/6.txt");
    for (bool resume : {true, false}) {
        std::vector<std::string> args = {"--world", world.Path().string()};
        if (resume) args.push_back("--continue");
        Again(args, true);
        EXPECT_EQ(status, 130);
        EXPECT_EQ(Saves(), first) << "no new save, no new recording";
        EXPECT_EQ(data.Read("ranks-and-files/" + first[0]), before);
        EXPECT_TRUE(Said("ranks: map_form/map1/6.txt: missing\n"));
    }
}

// A hand-edited save with the hero on a wall: he starts on the nearest free
// cell, and the player is told; a save continued on another world's files
// is refused rather than re-tagged.
TEST_F(SessionSaves, ASavedCellOnAWallIsMovedAndAnotherWorldRefused) {
    const std::string path = SaveAt(1, 0, 0);
    const std::string worldName = ReadSaveFile(path).data.world;
    Run({"--continue", path.substr(path.find_last_of('/') + 1)});  // a bare name is found in the data folder
    EXPECT_TRUE(Said("puts the hero on a wall at (0, 0) of map 1: he starts at (1, 1)"));
    EXPECT_EQ(hero.fieldX * 100 + hero.fieldY, 101);

    TempDir other{RANKS_WORLD_DIR};
    Again({"--continue", path, "--world", other.Path().string()});
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(Said("whose files differ"));
    EXPECT_EQ(ReadSaveFile(path).data.world, worldName);
}

// A save goes on in the language it was played in, or in the one --lang
// gives for that run; older saves, which say none, in Japanese.
TEST_F(SessionSaves, ASaveContinuesInItsLanguageOrTheOneGiven) {
    std::filesystem::copy(std::filesystem::path(RANKS_WORLD_DIR) / "translations", world.Path() / "translations");
    struct Case {
        const char* saved;       // the save's language
        const char* given;       // --lang's, "" for none
        bool english;            // whether it plays in English
        const char* savedAgain;  // what the save says once written again
    };
    const Case cases[] = {
        {"", "", false, "ja"},    {"", "en", true, "en"},  {"en", "", true, "en"},  {"en", "ja", false, "ja"},
        {"ja", "en", true, "en"}, {"xx", "", false, "xx"}, {"EN", "", false, "EN"}, {"xx", "en", true, "en"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.saved) + " " + c.given);
        std::filesystem::remove_all(Folder());
        const std::string path = SaveAt(2, 8, 4, 0, c.saved);
        std::vector<std::string> args = {"--world", world.Path().string(), "--continue", path};
        if (*c.given) args.insert(args.end(), {"--lang", c.given});
        Again(args);
        std::string screen;
        for (const std::string& line : platform::HeadlessScreenLines()) screen += line + "\n";
        EXPECT_EQ(screen.find("Arrow keys") != std::string::npos, c.english) << screen;
        EXPECT_EQ(ReadSaveFile(path).data.hero.level, 2);  // the same game, in either language
        // Saved again, it says what was played, or keeps a language this game lacks.
        EXPECT_EQ(ReadSaveFile(path).data.language, c.savedAgain);
        // A language this game lacks is said, once, unless --lang chose one.
        const bool unknown = LanguageIndex(c.saved) < 0 && *c.saved && !*c.given;
        const std::string said = headless::PrintedError(), word = "「" + std::string(c.saved) + "」";
        EXPECT_EQ(said.find(word) != std::string::npos, unknown) << said;
        EXPECT_EQ(said.find(word), said.rfind(word)) << said;
    }
}

// The Queen on the start map: never drawn at start-up, not after a battle,
// and the strip stays shut; the save and its recording continue and replay
// exactly so, to the same records.
TEST_F(SessionSaves, AStartMapMarkIsDrawnOnlyWhereTheGameDrawsIt) {
    world.Write("map_info/map1.txt", "1 21 8\n9 29 13\n9 31 1\n1\n");
    for (int i = 0; i < 60; ++i) headless::Key(headless::kEnter);  // the pawn comes: a battle, won
    Run({"--world", world.Path().string()});
    platform::FlushRecording();
    const WorldGrid grid = worldGrid;
    const std::vector<std::string> live = platform::HeadlessScreenLines();
    const std::string played = StateDigest();
    auto unmarked = [&] {
        EXPECT_EQ(Row(7).find("Ω"), std::string::npos);
        EXPECT_EQ(std::memcmp(&grid, &worldGrid, sizeof grid), 0);
        EXPECT_NE(worldGrid.cells[40][150], ' ');  // the strip, on map 9, shut
    };
    unmarked();
    const std::vector<std::string> names = Saves();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_LT(data.Read("ranks-and-files/" + names[0]).size(), 2000u);  // a battle's recording, in its short tokens
    const SaveEntry saved = ReadSaveFile((Folder() / names[1]).string());
    ASSERT_EQ(saved.data.hero.exp > 0, true);
    EXPECT_FALSE(saved.data.markOnScreen || saved.data.queenMarkShown);

    headless::Reset();
    ResetGameState();
    dataRoot = world.Path().string();
    ResumeGame(saved.data);
    unmarked();

    Again({"--replay", (Folder() / names[0]).string(), "--headless"});
    EXPECT_EQ(platform::HeadlessScreenLines(), live);
    EXPECT_EQ(StateDigest(), played);
    unmarked();
}

// What --record may write: a new file or a regular one, and nothing else;
// the refusals come before anything is written, and nothing changes.
TEST_F(SessionSaves, RecordWritesOnlyARegularFileOfItsOwn) {
    TempDir places;
    const std::string target = (places.Path() / "target").string();
    places.Write("target", "keep me");
    places.Write("g.save", "ranks-and-files save 1\n");
    ::mkfifo((places.Path() / "fifo").c_str(), 0600);
    std::filesystem::create_symlink(target, places.Path() / "link");
    const std::pair<std::string, const char*> cases[] = {
        {(places.Path() / "fifo").string(), "it is a FIFO"},
        {"/dev/null", "it is a device"},
        {(places.Path() / "link").string(), "it is a symbolic link"},
        {places.Path().string(), "it is a folder"},
        {(places.Path() / "none/x.rec").string(), "does not exist"},
        {(places.Path() / "g.save").string(), "it is a saved game"},
        {target, "it is not a recording"},
    };
    for (const auto& [path, refusal] : cases) {
        Again({"--world", world.Path().string(), "--record", path});
        EXPECT_EQ(status, 2) << path;
        EXPECT_TRUE(Said(refusal));
    }
    EXPECT_EQ(places.Read("target"), "keep me");
    EXPECT_EQ(places.Read("g.save"), "ranks-and-files save 1\n");
    EXPECT_TRUE(Saves().empty());
    Again({"--world", world.Path().string(), "--record", (places.Path() / "game.rec").string()});
    EXPECT_EQ(places.Read("game.rec").substr(0, 26), "ranks-and-files recording ");
    // The save in play, above all.
    const std::string save = (Folder() / Saves()[1]).string(), before = data.Read("ranks-and-files/" + Saves()[1]);
    Again({"--continue", save, "--record", save});
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(Said("it is a saved game"));
    EXPECT_EQ(data.Read("ranks-and-files/" + Saves()[1]), before);
}

// One save, one lock, whatever name reaches it: continued through a link,
// it cannot be continued by its own name; its writes and its recording go
// to the file itself. A link planted at its name during the game is left
// alone, and the game saved beside it under a new name.
TEST_F(SessionSaves, ALinkNeitherSharesASaveNorTakesItsWrites) {
    Run({"--world", world.Path().string()});
    const std::string own = Saves()[1];
    platform::RunBeforeExit();  // quit: the lock goes with its file
    EXPECT_FALSE(std::filesystem::exists(Folder() / ("." + own + ".lock")));
    TempDir mine, elsewhere;
    std::filesystem::create_symlink(Folder() / own, mine.Path() / "mine.save");
    Again({"--continue", (mine.Path() / "mine.save").string()});
    std::string said;
    EXPECT_EQ(HoldSave((Folder() / own).string(), said), platform::LockResult::kHeldElsewhere);
    EXPECT_EQ(Saves().size(), 3u) << "the second recording beside the file itself";
    EXPECT_FALSE(std::filesystem::exists(mine.Path() / "mine.rec"));

    elsewhere.Write("notes.txt", "mine");
    std::filesystem::create_symlink(elsewhere.Path() / "notes.txt", Folder() / "planted");
    std::filesystem::rename(Folder() / "planted", Folder() / own);
    platform::RunBeforeExit();
    EXPECT_EQ(elsewhere.Read("notes.txt"), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(Folder() / own));
    EXPECT_TRUE(Said(own + " was replaced by another file during the game"));
    EXPECT_TRUE(ReadSaveFile(saveKeeping.path).readable);
    EXPECT_NE(saveKeeping.path, (Folder() / own).string());
}

// What shapes a game is in its recording: a play-test replays to the same
// screens; a save whose world is gone is refused, never played elsewhere.
// A play-test asked for a wall starts on the nearest free cell, and
// --no-save leaves no file.
TEST_F(SessionSaves, APlayTestReplaysAndAGoneWorldIsRefused) {
    const std::string rec = (data.Path() / "x.rec").string();
    for (int i = 0; i < 3; ++i) headless::Arrow(headless::kDown);
    Run({"--world", world.Path().string(), "--start", "1,12,8", "--level", "20", "--record", rec});
    platform::FlushRecording();
    const std::vector<std::string> live = platform::HeadlessScreenLines();
    EXPECT_EQ(hero.level, 20);
    Again({"--replay", rec, "--headless"});
    EXPECT_EQ(platform::HeadlessScreenLines(), live);
    EXPECT_EQ(hero.level, 20);

    TempDir gone{RANKS_RECORDINGS_WORLD};
    const std::string save = (Folder() / Saves()[1]).string();
    EXPECT_EQ(ReadSaveFile(save).data.world, std::filesystem::canonical(world.Path()).string());
    std::filesystem::rename(world.Path(), gone.Path() / "moved");
    Again({"--continue", save});
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(Said(", which is not there: give that world with --world DIR"));
    std::filesystem::rename(gone.Path() / "moved", world.Path());
    const std::vector<std::string> before = Saves();
    Again({"--world", world.Path().string(), "--start", "5,30,10", "--level", "9", "--no-save"});
    EXPECT_EQ((std::array{hero.mapNumber, hero.fieldX, hero.fieldY, hero.level}),
              (std::array<std::int16_t, 4>{5, 31, 10, 9}));
    EXPECT_EQ(Saves(), before);
}

// A game that cannot be saved says so, once before it starts and again when
// the player quits; --saves makes no folder.
TEST_F(SessionSaves, NoUsableSaveFolderIsSaid) {
    TempDir scratch;
    scratch.Write("file", "");
    struct Folders {
        const char* dataHome;  // XDG_DATA_HOME (null: unset)
        const char* home;      // HOME (null: unset)
        const char* reason;    // why there is no folder
    };
    const Folders cases[] = {
        {nullptr, nullptr, "HOME is not set"},
        {"", "", "HOME is not set"},
        {"relative/data", "relative/home", "HOME is not an absolute path"},
        {"FILE", nullptr, "is not a folder"},
    };
    for (auto [dataHome, home, reason] : cases) {
        std::string xdg = dataHome ? dataHome : "";
        if (xdg == "FILE") xdg = (scratch.Path() / "file").string();
        dataHome ? ::setenv("XDG_DATA_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
        home ? ::setenv("HOME", home, 1) : ::unsetenv("HOME");
        Again({"--saves"});
        EXPECT_FALSE(std::filesystem::exists("relative"));
        headless::Reset();
        Run({"--world", world.Path().string()});
        platform::RunBeforeExit();
        EXPECT_EQ(headless::PrintedError().find("ranks: this game will not be saved: "), 0u)
            << headless::PrintedError();
        EXPECT_TRUE(Said(reason));
        EXPECT_TRUE(Said("ranks: this game was not saved: "));
    }
}

// The settings page says where its changes are kept, or truly why not.
TEST_F(SessionSaves, TheSettingsPageSaysWhetherChangesAreKept) {
    const std::string rec = (data.Path() / "menu.rec").string(), w = world.Path().string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* shown;
    };
    const Case kCases[] = {
        {"a game that saves", {"--world", w, "--record", rec}, "ここにおぼえる"},
        {"a game played with --no-save", {"--world", w, "--no-save"}, "--no-save で遊んでいるので"},
        {"the first game's replay", {"--replay", rec, "--headless"}, "リプレイ中はおぼえない"},
    };
    for (const Case& c : kCases) {
        headless::Reset();
        ResetGameState();
        headless::Key(headless::kSpace);
        for (int page = 0; page < 4; ++page) headless::Arrow(headless::kRight);
        Run(c.args);
        platform::FlushRecording();
        std::string screen;
        for (const std::string& line : platform::HeadlessScreenLines()) screen += line + "\n";
        EXPECT_NE(screen.find(c.shown), std::string::npos) << c.name << "\n" << screen;
    }
}

// The console is taken before anything reaches it, for a new game, a
// continued one and a play-test's start: a Windows console would otherwise
// show the first frame in the shell's own buffer and code page.
namespace early {
bool opened = false;
int writes = 0;  // console calls before open
const platform::Backend& Inner() { return platform::HeadlessBackend(); }
void Note() { writes += opened ? 0 : 1; }
// The headless backend, counting what reaches the console before it is open.
platform::Backend Watched() {
    platform::Backend b = Inner();
    b.open = [] { opened = true, Inner().open(); };
    b.setCursorPosition = [](int x, int y) { Note(), Inner().setCursorPosition(x, y); };
    b.setAttribute = [](std::uint16_t a) { Note(), Inner().setAttribute(a); };
    b.write = [](std::string_view bytes) { Note(), Inner().write(bytes); };
    b.setCursorVisible = [](bool v) { Note(), Inner().setCursorVisible(v); };
    return b;
}
}  // namespace early

TEST_F(SessionSaves, NothingIsDrawnBeforeTheConsoleIsTaken) {
    SaveAt(2, 8, 4);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--world", world.Path().string(), "--continue"},  // before a new game holds its save
             {"--world", world.Path().string()},
             {"--world", world.Path().string(), "--start", "5", "--level", "3"}}) {
        early::opened = false, early::writes = 0;
        static const platform::Backend watched = early::Watched();
        platform::UseBackend(watched);
        Again(args);
        EXPECT_TRUE(early::opened) << args.back() << ": " << headless::PrintedError();
        EXPECT_EQ(early::writes, 0) << args.back();
        EXPECT_NE(Row(0).find_first_not_of(' '), std::string::npos) << "the field is drawn: " << args.back();
    }
}

// The journey's end: entering the Queen's map says the way to the King is
// open; first standing at the King shows the journey until Enter, saves
// it, and replays the same. The original's game shows neither.
TEST_F(SessionSaves, TheJourneyEndsAtTheKingOnceSavedAndReplayed) {
    struct Case {
        const char* name;
        const char* classic;
        bool shown;
    };
    for (const Case& c : {Case{"plain", "off", true}, Case{"classic", "on", false}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(Folder());
        Again({"--world", world.Path().string(), "--start", "7", "--classic", c.classic, "--no-save"});
        EXPECT_EQ(headless::RowUtf8(20).find("キングへの道が開いた") != std::string::npos, c.shown);

        const std::string rec = (data.Path() / (std::string(c.name) + ".rec")).string();
        std::vector<std::string> scene;
        headless::Reset();
        ResetGameState();
        headless::SetKeyObserver([&] {
            if (headless::RowUtf8(1).find("キングのもとに") != std::string::npos)
                scene = platform::HeadlessScreenLines();
        });
        headless::Arrow(headless::kUp);
        headless::Key(kKeyEnter);
        headless::Key(kKeyEnter);
        Run({"--world", world.Path().string(), "--start", "9,28,13", "--classic", c.classic, "--record", rec});
        headless::SetKeyObserver(nullptr);
        platform::FlushRecording();
        const std::vector<std::string> live = platform::HeadlessScreenLines();
        EXPECT_EQ(!scene.empty(), c.shown);
        const SaveData saved = ReadSaveFile((Folder() / Saves().back()).string()).data;
        EXPECT_EQ(saved.journey.kingReachedAt >= 0, c.shown);
        Again({"--replay", rec, "--headless"});
        EXPECT_EQ(platform::HeadlessScreenLines(), live);
        EXPECT_EQ(journey.kingReachedAt, saved.journey.kingReachedAt);
    }
}

#endif

}  // namespace
}  // namespace rf::test
