// Saved games with the real binary in a real terminal: every way out saves,
// the farewell's command resumes, one game plays in one window, and saves
// hold where nothing locks, where the player cannot write and under any
// clock. (What a quit in battle saves is the session saves test's.)
#include <algorithm>

#include "saves/save_files.h"
#include "terminal_session.h"

namespace rf::test {
namespace {

using SavesInTerminal = TerminalTest;

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
    std::vector<std::string> words;  // the program, then its arguments
    for (std::string w; printed >> w;) words.push_back(w);
    TerminalSession second;
    std::filesystem::create_directories(second.SaveFolder());
    std::filesystem::copy(first.SaveFolder(), second.SaveFolder(), std::filesystem::copy_options::recursive);
    ASSERT_TRUE(second.Start(dir.Path(), {words.begin() + 1, words.end()}, words.at(0)));
    ASSERT_TRUE(second.WaitForText("_____MiniMap_____"));
    Interrupt(second);
}

// The game goes on in `session`'s save folder as in that of `home`.
void ShareSaves(TerminalSession& home, TerminalSession& session) {
    std::filesystem::create_directories(session.DataHome());
    std::filesystem::remove_all(session.DataHome());
    std::filesystem::create_directory_symlink(home.DataHome(), session.DataHome());
}

// A second window cannot continue the game the first is playing, and says
// which process plays it; the farewell after Ctrl+C says how to resume it.
TEST_F(SavesInTerminal, OneGameOneWindow) {
    TerminalSession first, second;
    StartGame(first, {"--world", RANKS_RECORDINGS_WORLD}, true);
    ShareSaves(first, second);
    ASSERT_TRUE(second.Start(dir.Path(), {"--world", RANKS_RECORDINGS_WORLD, "--continue"}));
    EXPECT_EQ(second.WaitForExit(), 2);
    EXPECT_TRUE(second.ScreenContains("is being played in another window (process " + std::to_string(first.Pid())))
        << second.Tmux("capture-pane -p");
    Interrupt(first);
    EXPECT_TRUE(first.ScreenContains("ranks --continue game-")) << first.Tmux("capture-pane -p");
}

bool LockLeft(const std::filesystem::path& folder) {
    return std::any_of(std::filesystem::directory_iterator(folder), {},
                       [](const auto& e) { return e.path().filename().string().ends_with(".lock"); });
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
        EXPECT_TRUE(!resume || s.WaitForText("cannot be locked here (")) << s.Tmux("capture-pane -p");
        ASSERT_TRUE(s.WaitForText("_____MiniMap_____", std::chrono::seconds(6)));
        Interrupt(s);
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
        EXPECT_EQ(SaveNames(s.SaveFolder()).size(), resume ? 3u : 2u);
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
    Interrupt(first);
    const auto before = SaveNames(first.SaveFolder());
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
        Interrupt(s);
        EXPECT_TRUE(s.ScreenContains("ranks: this game was not saved: ")) << s.Tmux("capture-pane -p -J");
        EXPECT_EQ(SaveNames(first.SaveFolder()), before);
    }
}

// Every way out saves and gives the terminal back: a quit during a map
// change's scroll, by Ctrl+C or any signal that ends the game, saves the old
// map with the old cell or the new map with the new one.
TEST_F(SavesInTerminal, EveryWayOutDuringAScrollSavesAPlaceThatFitsTheMap) {
    for (int sig : {SIGINT, SIGHUP, SIGTERM, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, SIGPIPE}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        StartGame(s, {"--world", RANKS_RECORDINGS_WORLD, "--start", "1,56,4"}, true);
        s.SendKeys({"Right", "Right"});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the scroll takes 0.6 s
        if (sig == SIGINT) s.SendKeys({"C-c"});
        else s.Signal(sig);
        ExpectEnd(s, 128 + sig);
        const auto names = SaveNames(s.SaveFolder());
        ASSERT_EQ(names.size(), 2u);
        const HeroStatus h = ReadSaveFile((s.SaveFolder() / names[1]).string()).data.hero;
        const int place = h.mapNumber * 10000 + h.fieldX * 100 + h.fieldY;
        EXPECT_TRUE(place == 15704 || place == 20004) << place;
        EXPECT_FALSE(LockLeft(s.SaveFolder()));
    }
}

}  // namespace
}  // namespace rf::test
