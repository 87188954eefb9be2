// The whole game in a real terminal (a tmux pane): what a player sees.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/startup.h"
#include "platform/cp932_unicode.h"
#include "platform/terminal_renderer.h"
#include "terminal_session.h"
#include "test_support.h"

namespace rf::test {
namespace {

using namespace std::chrono_literals;

// The default world with every map's enemies taken away, so that only the
// player's keys change the screen.
void CopyWorldWithoutEnemies(const TempDir& dir) {
    std::filesystem::copy(RANKS_WORLD_DIR, dir.Path(), std::filesystem::copy_options::recursive);
    for (int n = 1; n <= 9; ++n) dir.Write("map_info/map1/" + std::to_string(n) + ".txt", "0\n");
}

// A headless row as a terminal that draws ambiguous glyphs one cell wide
// shows it: such a glyph is followed by its blanked second cell.
std::string AsTerminalShowsIt(int y) {
    const auto& screen = headless::Screen();
    std::string out;
    for (int x = 0; x < 80; ++x) {
        const auto& cell = screen.At(x, y);
        if (cell.half == 2) continue;
        std::uint32_t cp = platform::Cp932ToUnicode(cell.code);
        platform::AppendUtf8(out, cp == 0 ? ' ' : cp);
        if (cell.half == 1 && !platform::TerminalRenderer::IsWide(cp)) out += ' ';
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

class GameInTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
    }
};

TEST_F(GameInTerminal, DefaultWorldDrawsTheFieldAndSigtermRestoresTheTerminal) {
    TerminalSession s;
    TempDir cwd;
    ASSERT_TRUE(s.Start(cwd.Path(), {"--world", RANKS_WORLD_DIR}));
    ASSERT_TRUE(s.WaitForText("_____MiniMap_____"));
    auto lines = s.Capture();
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[21].rfind("＞+----", 0), 0u) << lines[21];
    EXPECT_NE(lines[24].find("キング"), std::string::npos) << lines[24];
    EXPECT_TRUE(s.AlternateScreen());
    EXPECT_FALSE(s.CursorVisible());
    ASSERT_TRUE(s.Signal(SIGTERM));
    EXPECT_EQ(s.WaitForExit(), 128 + SIGTERM);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(GameInTerminal, ArrowKeysMoveTheHeroExactlyAsHeadless) {
    TempDir world;
    CopyWorldWithoutEnemies(world);
    const std::vector<std::string> keys = {"Right", "Right", "Down", "Down", "Down", "Left", "Up", "Right"};

    // The same keys headlessly.
    ResetGameState();
    headless::Reset();
    dataRoot = world.Path().string();
    for (const auto& k : keys) {
        int scan = k == "Up" ? 72 : k == "Down" ? 80 : k == "Left" ? 75 : 77;
        headless::Arrow(scan);
    }
    try {
        StartUp();
        MainLoop();
    } catch (const headless::ScriptEnded&) {
    }
    std::vector<std::string> expected;
    for (int y = 0; y < 25; ++y) expected.push_back(AsTerminalShowsIt(y));

    TerminalSession s;
    ASSERT_TRUE(s.Start(world.Path()));
    ASSERT_TRUE(s.WaitForText("_____MiniMap_____"));
    for (const auto& k : keys) s.SendKeys({k});
    std::vector<std::string> shown;
    bool same = TerminalSession::WaitUntil([&] {
        shown.clear();
        for (auto& line : s.Capture()) shown.push_back(TrimRight(line));
        return shown == expected;
    });
    EXPECT_TRUE(same);
    if (!same) {
        for (int y = 0; y < 25 && y < static_cast<int>(shown.size()); ++y)
            EXPECT_EQ(shown[y], expected[y]) << "row " << y;
    }
    s.SendKeys({"C-c"});
    EXPECT_TRUE(s.WaitForExit().has_value());
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(GameInTerminal, ContactShowsTheBattleAndTheFieldComesBack) {
    TerminalSession s;
    TempDir cwd;
    ASSERT_TRUE(s.Start(cwd.Path(), {"--world", RANKS_WORLD_DIR}));
    ASSERT_TRUE(s.WaitForText("_____MiniMap_____"));
    // The Pawn beside the starting room walks to the hero within seconds.
    ASSERT_TRUE(s.WaitForText("Enemy View", 20s));
    // The opening animation ends with the status area.
    EXPECT_TRUE(s.WaitForText("HP : "));
    EXPECT_TRUE(s.ScreenContains("たたかう"));
    // Fight with Enter until the battle is over, won or lost.
    bool back = TerminalSession::WaitUntil(
        [&] {
            s.SendKeys({"Enter"});
            return s.ScreenContains("_____MiniMap_____") && !s.ScreenContains("Enemy View");
        },
        120s);
    EXPECT_TRUE(back);
    EXPECT_TRUE(s.ScreenContains("＞+----"));
    s.SendKeys({"C-c"});
    EXPECT_TRUE(s.WaitForExit().has_value());
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(GameInTerminal, MissingMapFileShowsTheNoticeAndExits255ThirtySecondsLater) {
    TerminalSession s;
    TempDir world;
    world.WriteText("Hero_Info/Hero_Status_Info.txt", "Hero 10 1 1 1 1 1 10 0 1 0 0 0 0 1 1 2 1 3 1 5 5");
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.Start(world.Path()));
    ASSERT_TRUE(s.WaitForText("ファイルが存在しないため情報の初期化に失敗しました。"));
    auto lines = s.Capture();
    EXPECT_EQ(lines[1], "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。");
    EXPECT_EQ(lines[2], "ファイルが見つからない場合はもう一度ダウンロードしてください。");
    EXPECT_EQ(lines[3], " 30 秒後に強制終了しますので手動で閉じないでください。");
    s.SendKeys({"Enter", "x", "Up"});  // keys change nothing
    EXPECT_EQ(s.WaitForExit(40s), 255);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 29s);
    EXPECT_TRUE(s.TerminalRestored());
}

}  // namespace
}  // namespace rf::test
