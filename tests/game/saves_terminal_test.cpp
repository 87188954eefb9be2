// Saved games with the real binary in a real terminal: a request to end in
// the middle of a battle saves the field state from before it, and
// --continue brings the hero back.
#include <gtest/gtest.h>
#include <signal.h>

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
