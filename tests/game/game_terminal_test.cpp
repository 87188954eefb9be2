// The whole game in a real terminal (a tmux pane): what a player sees.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/startup.h"
#include "platform/model/cp932_unicode.h"
#include "platform/model/terminal_renderer.h"
#include "terminal_session.h"

namespace rf::test {
namespace {

using namespace std::chrono_literals;
using GameInTerminal = TerminalTest;

TEST_F(GameInTerminal, ArrowKeysMoveTheHeroExactlyAsHeadless) {
    // The default world without enemies: only the keys change the screen.
    std::filesystem::copy(RANKS_WORLD_DIR, dir.Path(), std::filesystem::copy_options::recursive);
    for (int n = 1; n <= 9; ++n) dir.Write("map_info/map1/" + std::to_string(n) + ".txt", "0\n");
    const std::vector<std::string> keys = {"Right", "Right", "Down", "Down", "Down", "Left", "Up", "Right"};
    ResetGameState();
    headless::Reset();
    dataRoot = dir.Path().string();
    for (const auto& k : keys) headless::Arrow(k == "Up" ? 72 : k == "Down" ? 80 : k == "Left" ? 75 : 77);
    try {
        StartUp();
        MainLoop();
    } catch (const headless::ScriptEnded&) {
    }
    // Each headless row as a terminal that draws ambiguous glyphs one cell
    // wide shows it: such a glyph is followed by its blanked second cell.
    std::vector<std::string> expected(25), shown;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            const auto& cell = headless::Screen().At(x, y);
            if (cell.half == 2) continue;
            std::uint32_t cp = platform::Cp932ToUnicode(cell.code);
            platform::AppendUtf8(expected[y], cp == 0 ? ' ' : cp);
            if (cell.half == 1 && !platform::TerminalRenderer::IsWide(cp)) expected[y] += ' ';
        }
        expected[y].erase(expected[y].find_last_not_of(' ') + 1);
    }

    TerminalSession s;
    StartGame(s, {}, true);
    for (const auto& k : keys) s.SendKeys({k});
    WaitUntil([&] {
        shown.clear();
        for (auto& line : s.Capture()) shown.push_back(line.erase(line.find_last_not_of(' ') + 1));
        return shown == expected;
    });
    EXPECT_EQ(shown, expected);
    s.SendKeys({"C-c"});
    ExpectEnd(s, std::nullopt);
}

TEST_F(GameInTerminal, ContactShowsTheBattleAndTheFieldComesBack) {
    TerminalSession s;
    StartGame(s, {"--world", RANKS_WORLD_DIR}, true);
    // The Pawn beside the starting room walks to the hero within seconds.
    ASSERT_TRUE(s.WaitForText("Enemy View", 20s));
    EXPECT_TRUE(s.WaitForText("HP : "));
    EXPECT_TRUE(s.ScreenContains("たたかう"));
    // Fight with Enter until the battle is over, won or lost.
    EXPECT_TRUE(WaitUntil(
        [&] {
            s.SendKeys({"Enter"});
            return s.ScreenContains("_____MiniMap_____") && !s.ScreenContains("Enemy View");
        },
        120s));
    EXPECT_TRUE(s.ScreenContains("＞+----"));
    s.SendKeys({"C-c"});
    ExpectEnd(s, std::nullopt);
}

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

TEST_F(GameInTerminal, MissingMapFileShowsTheNoticeAndExits255ThirtySecondsLaterOrAtCtrlC) {
    dir.WriteText("Hero_Info/Hero_Status_Info.txt", "Hero 10 1 1 1 1 1 10 0 1 0 0 0 0 1 1 2 1 3 1 5 5");
    for (bool interrupted : {true, false}) {
        TerminalSession s;
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(s.Start(dir.Path()));
        ASSERT_TRUE(s.WaitForText("ファイルが存在しないため情報の初期化に失敗しました。"));
        // The other lines of the notice are checked headlessly; the last one shows they all fit.
        EXPECT_TRUE(s.ScreenContains(" 30 秒後に強制終了しますので手動で閉じないでください。"));
        s.SendKeys({"Enter", "x", "Up"});  // keys change nothing
        if (interrupted) {
            s.SendKeys({"C-c"});
            ExpectEnd(s, 128 + SIGINT);
            EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        } else {
            ExpectEnd(s, 255, 40s);
            EXPECT_GE(std::chrono::steady_clock::now() - start, 29s);
        }
    }
}

}  // namespace
}  // namespace rf::test
