// Saved games with the real binary in a real terminal: a request to end in
// the middle of a battle saves the field state from before it, and
// --continue brings the hero back.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <sstream>

#include "saves/save_files.h"
#include "terminal_session.h"

namespace rf::test {
namespace {

using SavesInTerminal = TerminalTest;

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (!e.path().filename().string().starts_with("."))
            names.push_back(e.path().filename().string());  // not the locks
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(SavesInTerminal, SigtermInBattleSavesTheFieldBeforeItAndContinueResumes) {
    // The world of the recordings: the pawn beside the start comes to the hero.
    const std::vector<std::string> world = {"--world", RANKS_RECORDINGS_WORLD};
    TerminalSession first;
    StartGame(first, world, true);
    ASSERT_TRUE(first.WaitForText("Enemy View", std::chrono::seconds(15)));
    first.Signal(SIGTERM);
    ExpectEnd(first, 128 + SIGTERM);
    const auto names = Names(first.SaveFolder());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0].ends_with(".rec") && names[1].ends_with(".save"));
    SaveEntry saved = ReadSaveFile((first.SaveFolder() / names[1]).string());
    ASSERT_TRUE(saved.readable) << saved.error;
    EXPECT_EQ(saved.data.hero.hp, 0);  // the battle had filled it
    EXPECT_EQ(saved.data.world, std::filesystem::canonical(RANKS_RECORDINGS_WORLD).string());

    TerminalSession second;
    std::filesystem::create_directories(second.SaveFolder());
    std::filesystem::copy(first.SaveFolder(), second.SaveFolder(), std::filesystem::copy_options::recursive);
    std::vector<std::string> resume = world;
    resume.push_back("--continue");
    StartGame(second, resume, true);
    const auto& hero = saved.data.hero;
    ASSERT_TRUE(
        WaitUntil([&] { return second.Capture().at(hero.fieldY).find("●") == static_cast<std::size_t>(hero.fieldX); }));
    second.SendKeys({"C-c"});
    ExpectEnd(second, 130);
    // The same save, and a second recording beside it.
    EXPECT_EQ(Names(second.SaveFolder()).size(), 3u);

    TerminalSession none;
    ASSERT_TRUE(none.Start(dir.Path(), {"--continue"}));
    EXPECT_EQ(none.WaitForExit(), 2);
}

// The menu's Quit saves and says how to resume, naming the game as it was
// started: the command, typed as printed in the same folder, resumes it.
TEST_F(SavesInTerminal, MenuQuitsAndTheFarewellsCommandRunsAsPrinted) {
    const TempDir world{RANKS_WORLD_DIR};
    for (int n = 1; n <= 9; ++n) world.Write("map_info/map1/" + std::to_string(n) + ".txt", "0\n");
    std::filesystem::create_directories(dir.Path() / "bin");
    std::filesystem::create_symlink(RANKS_BINARY, dir.Path() / "bin" / "ranks");
    TerminalSession first;
    ASSERT_TRUE(first.Start(dir.Path(), {"--world", world.Path().string()}, "./bin/ranks"));
    ASSERT_TRUE(first.WaitForText("_____MiniMap_____"));
    first.SendKeys({"Space"});
    ASSERT_TRUE(first.WaitForText("たびのきろく"));
    first.SendKeys({"Left", "Enter"});
    ExpectEnd(first, 0);
    const std::string screen = first.Tmux("capture-pane -p -J");
    const std::size_t at = screen.find("./bin/ranks --continue game-");
    ASSERT_NE(at, std::string::npos) << screen;
    std::istringstream printed(screen.substr(at, screen.find(" resumes it", at) - at));
    std::string program;
    std::vector<std::string> words;
    printed >> program;
    for (std::string w; printed >> w;) words.push_back(w);
    TerminalSession second;
    std::filesystem::create_directories(second.SaveFolder());
    std::filesystem::copy(first.SaveFolder(), second.SaveFolder(), std::filesystem::copy_options::recursive);
    ASSERT_TRUE(second.Start(dir.Path(), words, program));
    ASSERT_TRUE(second.WaitForText("_____MiniMap_____"));
    second.SendKeys({"C-c"});
    ExpectEnd(second, 130);
}

// Play-testing: the hero where --start puts him (the nearest free cell to a
// wall asked for), at the --level asked, and --no-save leaves no file.
TEST_F(SavesInTerminal, StartLevelAndNoSavePlayTestAMapAndLeaveNothing) {
    TerminalSession s;
    StartGame(s, {"--world", RANKS_WORLD_DIR, "--start", "5,30,10", "--level", "9", "--no-save"}, true);
    ASSERT_TRUE(WaitUntil([&] { return s.Capture().at(10).find("#####●") != std::string::npos; }))
        << s.Capture().at(10);
    s.SendKeys({"C-c"});
    ExpectEnd(s, 130);
    EXPECT_FALSE(std::filesystem::exists(s.SaveFolder()) && !Names(s.SaveFolder()).empty());
}

// A second window cannot continue the game the first is playing; every
// signal that ends the game saves it and gives the terminal back; the
// farewell says where it is saved and how to resume it.
TEST_F(SavesInTerminal, OneGameOneWindowAndEveryWayOutSaves) {
    const std::vector<std::string> world = {"--world", RANKS_RECORDINGS_WORLD};
    for (int sig : {SIGINT, SIGUSR1, SIGALRM, SIGXCPU, SIGPIPE}) {
        TerminalSession first;
        StartGame(first, world, true);
        if (sig == SIGINT) {
            TerminalSession second;
            std::filesystem::create_directories(second.DataHome());
            std::filesystem::remove_all(second.DataHome());
            std::filesystem::create_directory_symlink(first.DataHome(), second.DataHome());
            std::vector<std::string> resume = world;
            resume.push_back("--continue");
            ASSERT_TRUE(second.Start(dir.Path(), resume));
            EXPECT_EQ(second.WaitForExit(), 2);
            EXPECT_TRUE(second.ScreenContains("is being played in another window (process"))
                << second.Tmux("capture-pane -p");
            first.SendKeys({"C-c"});
            ExpectEnd(first, 130);
            EXPECT_TRUE(first.ScreenContains("ranks --continue game-")) << first.Tmux("capture-pane -p");
        } else {
            first.Signal(sig);
            ExpectEnd(first, 128 + sig);
        }
        const auto names = Names(first.SaveFolder());
        ASSERT_EQ(names.size(), 2u) << "signal " << sig;
        EXPECT_TRUE(ReadSaveFile((first.SaveFolder() / names[1]).string()).readable) << "signal " << sig;
    }
}

// The game goes on in `session`'s save folder as in that of `home`.
void ShareSaves(TerminalSession& home, TerminalSession& session) {
    std::filesystem::create_directories(session.DataHome());
    std::filesystem::remove_all(session.DataHome());
    std::filesystem::create_directory_symlink(home.DataHome(), session.DataHome());
}

bool LockLeft(const std::filesystem::path& folder) {
    return std::any_of(std::filesystem::directory_iterator(folder), {},
                       [](const auto& e) { return e.path().filename().string().ends_with(".lock"); });
}

// One save, two windows, through a link: the second is refused, the first
// records beside the file itself, and its lock goes when it quits.
TEST_F(SavesInTerminal, ALinkToASaveSharesItsLock) {
    const std::vector<std::string> world = {"--world", RANKS_RECORDINGS_WORLD};
    TerminalSession first;
    StartGame(first, world, true);
    first.SendKeys({"C-c"});
    ExpectEnd(first, 130);
    EXPECT_FALSE(LockLeft(first.SaveFolder()));
    const std::filesystem::path link = dir.Path() / "mine.save";
    std::filesystem::create_symlink(first.SaveFolder() / Names(first.SaveFolder())[1], link);
    TerminalSession one, two;
    ShareSaves(first, one);
    ShareSaves(first, two);
    std::vector<std::string> args = world;
    args.push_back("--continue");
    StartGame(one, {"--continue", link.string()}, true);
    ASSERT_TRUE(two.Start(dir.Path(), args));
    EXPECT_EQ(two.WaitForExit(), 2);
    EXPECT_TRUE(two.ScreenContains("is being played in another window (process")) << two.Tmux("capture-pane -p");
    one.SendKeys({"C-c"});
    ExpectEnd(one, 130);
    EXPECT_FALSE(LockLeft(first.SaveFolder()));
    EXPECT_EQ(Names(first.SaveFolder()).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "mine.rec"));
}

#ifdef RANKS_NO_LOCKS
// Where the file system keeps no locks, a new game and its continuation
// play and save; the continuation says once that it cannot be locked, and
// no lock file is left behind.
TEST_F(SavesInTerminal, WhereNothingCanLockGamesPlayAndSave) {
    const std::vector<std::string> preload = {"LD_PRELOAD=" + std::string(RANKS_NO_LOCKS),
                                              "ASAN_OPTIONS=verify_asan_link_order=0", RANKS_BINARY, "--world",
                                              RANKS_RECORDINGS_WORLD};
    TerminalSession home;  // holds the saves of both
    std::filesystem::create_directories(home.SaveFolder());
    for (bool resume : {false, true}) {
        SCOPED_TRACE(resume);
        TerminalSession s;
        ShareSaves(home, s);
        std::vector<std::string> args = preload;
        if (resume) args.push_back("--continue");
        ASSERT_TRUE(s.Start(dir.Path(), args, "env"));
        if (resume) {
            EXPECT_TRUE(s.WaitForText("cannot be locked here (")) << s.Tmux("capture-pane -p");
        }
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", std::chrono::seconds(6)));
        s.SendKeys({"C-c"});
        ExpectEnd(s, 130);
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
        EXPECT_EQ(Names(s.SaveFolder()).size(), resume ? 3u : 2u);
    }
}
#endif

// A player whose save folder he cannot write (run as another user: root
// writes anywhere): a new game and a continued one are told before they
// start, play, and leave the folder as it was.
TEST_F(SavesInTerminal, AFolderThePlayerCannotWriteIsSaidAndLeftAsItWas) {
    if (::geteuid() != 0 || std::system("setpriv --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root and setpriv to play as another user";
    TerminalSession first;
    StartGame(first, {"--world", RANKS_RECORDINGS_WORLD}, true);
    first.SendKeys({"C-c"});
    ExpectEnd(first, 130);
    const auto before = Names(first.SaveFolder());
    // Readable by all, writable by root alone.
    for (auto p = first.SaveFolder(); p != first.DataHome().parent_path().parent_path(); p = p.parent_path())
        std::filesystem::permissions(p, std::filesystem::perms(0755));
    for (const auto& name : before)
        std::filesystem::permissions(first.SaveFolder() / name, std::filesystem::perms(0644));
    for (bool resume : {false, true}) {
        SCOPED_TRACE(resume);
        TerminalSession s;
        ShareSaves(first, s);
        std::vector<std::string> args = {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                         RANKS_BINARY,     "--world",         RANKS_RECORDINGS_WORLD};
        if (resume) args.push_back("--continue");
        ASSERT_TRUE(s.Start(dir.Path(), args, "setpriv"));
        EXPECT_TRUE(s.WaitForText("ranks: this game will not be saved: ")) << s.Tmux("capture-pane -p");
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", std::chrono::seconds(6)));
        s.SendKeys({"C-c"});
        ExpectEnd(s, 130);
        EXPECT_TRUE(s.ScreenContains("ranks: this game was not saved: ")) << s.Tmux("capture-pane -p -J");
        EXPECT_EQ(Names(first.SaveFolder()), before);
    }
}

// A quit during a map change's scroll, by Ctrl+C or a signal, saves the old
// map with the old cell or the new map with the new one.
TEST_F(SavesInTerminal, AQuitDuringAScrollSavesAPlaceThatFitsTheMap) {
    for (int sig : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        StartGame(s, {"--world", RANKS_RECORDINGS_WORLD, "--start", "1,56,4"}, true);
        s.SendKeys({"Right", "Right"});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the scroll takes 0.6 s
        if (sig == SIGINT) s.SendKeys({"C-c"});
        else s.Signal(sig);
        ExpectEnd(s, 128 + sig);
        const auto names = Names(s.SaveFolder());
        ASSERT_EQ(names.size(), 2u);
        const HeroStatus h = ReadSaveFile((s.SaveFolder() / names[1]).string()).data.hero;
        const int place = h.mapNumber * 10000 + h.fieldX * 100 + h.fieldY;
        EXPECT_TRUE(place == 15704 || place == 20004) << place;
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
    }
}

// Games saved under a clock before 1970 or past 9999 read back with the
// right clock, under names whole.
TEST_F(SavesInTerminal, SavesUnderAnyClockReadBack) {
    if (std::system("faketime -f +0 true >/dev/null 2>&1") != 0) GTEST_SKIP() << "faketime is not installed";
    const std::string year10000 = "+" + std::to_string(253'402'300'805 - std::time(nullptr));
    const std::pair<std::string, std::string> clocks[] = {{"@1969-12-31 23:00:04", "game-1969-12-31-23000"},
                                                          {year10000, "game-10000-01-01-00000"}};
    for (const auto& [clock, name] : clocks) {
        TerminalSession s;
        ASSERT_TRUE(s.Start(dir.Path(),
                            // A sanitized build's runtime must come first; faketime's preload goes before it.
                            {"FAKETIME_DONT_FAKE_MONOTONIC=1", "ASAN_OPTIONS=verify_asan_link_order=0", "faketime",
                             "-f", clock, RANKS_BINARY, "--world", RANKS_RECORDINGS_WORLD},
                            "env"));
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____"));
        s.SendKeys({"C-c"});
        ExpectEnd(s, std::nullopt);  // faketime reports the end its own way
        const auto names = Names(s.SaveFolder());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_TRUE(names[1].starts_with(name)) << names[1];
        const SaveEntry saved = ReadSaveFile((s.SaveFolder() / names[1]).string());
        EXPECT_TRUE(saved.readable) << saved.error;
    }
}

// Ctrl+C at the notice of a missing map file: no save, and the file named.
TEST_F(SavesInTerminal, QuittingAGameThatCouldNotStartLeavesNoFile) {
    std::filesystem::copy(RANKS_RECORDINGS_WORLD, dir.Path() / "w", std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.Path() / "w/map_form/map1/6.txt");
    TerminalSession s;
    ASSERT_TRUE(s.Start(dir.Path(), {"--world", (dir.Path() / "w").string()}));
    ASSERT_TRUE(s.WaitForText("30 秒後に強制終了"));
    s.SendKeys({"C-c"});
    ExpectEnd(s, 130);
    EXPECT_TRUE(s.ScreenContains("ranks: map_form/map1/6.txt: missing")) << s.Tmux("capture-pane -p");
    EXPECT_TRUE(!std::filesystem::exists(s.SaveFolder()) || Names(s.SaveFolder()).empty());
}

}  // namespace
}  // namespace rf::test
