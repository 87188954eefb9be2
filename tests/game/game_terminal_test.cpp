// The whole game in a real terminal (a tmux pane): installed, and stopped by a
// missing file. What the screens show is checked headlessly and through the
// terminal model (the renderer's tests).
#include <gtest/gtest.h>

#include <filesystem>

#include "terminal_session.h"

namespace rf::test {
namespace {

using namespace std::chrono_literals;

using GameInTerminal = TerminalTest;

TEST_F(GameInTerminal, TheInstalledGamePlaysItsWorldFromAnyWorkingDirectory) {
    TempDir prefix;
    std::string install = Quote(RANKS_CMAKE) + " --install " + Quote(RANKS_BUILD_DIR) + " --prefix " +
                          Quote(prefix.Path().string()) + " > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);
    for (const char* file : {"bin/ranks", "share/ranks/world/map_form/map1/1.txt", "share/man/man6/ranks.6"})
        EXPECT_TRUE(std::filesystem::exists(prefix.Path() / file)) << file;
    // The working directory is empty: the world is found from the program's own place.
    TerminalSession s;
    ASSERT_TRUE(s.Start(dir.Path(), {}, (prefix.Path() / "bin/ranks").string()));
    EXPECT_TRUE(s.WaitForText("ビショップ"));
    EXPECT_TRUE(s.WaitForText("_____MiniMap_____"));
    EXPECT_FALSE(s.ScreenContains("ファイルが存在しない"));
    s.SendKeys({"C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

// Ctrl+C during a pause, such as this notice, is the terminal backend test's.
TEST_F(GameInTerminal, MissingMapFileShowsTheNoticeAndExits255ThirtySecondsLater) {
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "Hero 10 1 1 1 1 1 10 0 1 0 0 0 0 1 1 2 1 3 1 5 5");
    TerminalSession s;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.Start(dir.Path()));
    // The lines of the notice are checked headlessly; the last one shows they all fit.
    ASSERT_TRUE(s.WaitForText(" 30 秒後に強制終了しますので手動で閉じないでください。"));
    s.SendKeys({"Enter", "x", "Up"});  // keys change nothing
    ExpectEnd(s, 255, 40s);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 29s);
    // Below the shell's restored screen, the file and why.
    EXPECT_TRUE(s.ScreenContains("ranks: map_form/map1/1.txt: missing")) << s.Tmux("capture-pane -p");
}

}  // namespace
}  // namespace rf::test
