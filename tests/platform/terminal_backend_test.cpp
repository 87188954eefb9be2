// The real game binary in a real terminal (a tmux pane).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "terminal_session.h"
#include "test_support.h"

namespace rf::test {
namespace {

struct Ran {
    int status;
    std::string out;
    std::string err;
};

// Runs the binary outside any terminal, its output into files.
Ran RunBinary(const std::string& args) {
    TempDir dir;
    auto out = dir.Path() / "out", err = dir.Path() / "err";
    std::string command = "cd '" + dir.Path().string() + "' && '" RANKS_BINARY "' " + args + " > '" +
                          out.string() + "' 2> '" + err.string() + "' < /dev/null";
    int raw = std::system(command.c_str());
    auto slurp = [](const std::filesystem::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

TEST(RealBinaryCommandLine, HelpAndVersionPrintToStandardOutput) {
    Ran help = RunBinary("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: ranks"), std::string::npos);
    EXPECT_EQ(help.err, "");
    Ran version = RunBinary("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("ranks ", 0), 0u);
}

TEST(RealBinaryCommandLine, UnknownArgumentGivesUsageOnStandardErrorAndStatusTwo) {
    Ran bad = RunBinary("--bogus");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("usage: ranks"), std::string::npos);
}

TEST(RealBinaryCommandLine, WithoutATerminalTheGameRefusesPlainly) {
    Ran ran = RunBinary("");
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.out, "") << "no escape sequences into a file";
    EXPECT_NE(ran.err.find("terminal"), std::string::npos);
}

class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
    }
    // The game running: alternate screen, cursor hidden.
    void StartGame(TerminalSession& s) {
        ASSERT_TRUE(s.Start(world.Path()));
        ASSERT_TRUE(TerminalSession::WaitUntil([&] { return s.AlternateScreen() && !s.CursorVisible(); }))
            << s.Format("#{alternate_on} #{cursor_flag}");
    }
    TempDir world;
};

TEST_F(TerminalTest, CtrlCEndsTheGameWithTheTerminalRestored) {
    TerminalSession s;
    StartGame(s);
    s.SendKeys({"Up", "Enter", "x", "C-c"});
    auto status = s.WaitForExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 128 + SIGINT);
    EXPECT_TRUE(s.TerminalRestored()) << s.SttyBefore() << " / " << s.SttyAfter();
}

TEST_F(TerminalTest, EverySignalThatEndsTheGameRestoresTheTerminal) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        StartGame(s);
        ASSERT_TRUE(s.Signal(sig));
        auto status = s.WaitForExit();
        ASSERT_TRUE(status.has_value());
        // The signal's own end follows the restore, so the shell sees it.
        EXPECT_EQ(*status, 128 + sig);
        EXPECT_TRUE(s.TerminalRestored()) << s.SttyBefore() << " / " << s.SttyAfter();
    }
}

TEST_F(TerminalTest, SuspendRestoresAndContinueTakesTheTerminalBack) {
    TerminalSession s;
    StartGame(s);
    ASSERT_TRUE(s.Signal(SIGTSTP));
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return !s.AlternateScreen() && s.CursorVisible(); }));
    s.Continue();
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return s.AlternateScreen() && !s.CursorVisible(); }));
    // Ctrl+Z typed in the game stops the job the same way.
    s.SendKeys({"C-z"});
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return !s.AlternateScreen() && s.CursorVisible(); }));
    s.Continue();
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return s.AlternateScreen() && !s.CursorVisible(); }));
    // Raw mode is back: Ctrl+C arrives as a key and ends the game cleanly.
    s.SendKeys({"C-c"});
    auto status = s.WaitForExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 128 + SIGINT);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(TerminalTest, TooSmallATerminalGetsANoticeUntilItGrows) {
    TerminalSession s;
    StartGame(s);
    s.Resize(60, 20);
    EXPECT_TRUE(s.WaitForText("of at least 80x25; this one is 60x20."))
        << s.Format("#{window_width}x#{window_height}");
    s.Resize(80, 25);
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return !s.ScreenContains("needs a terminal"); }));
    s.SendKeys({"C-c"});
    ASSERT_TRUE(s.WaitForExit().has_value());
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(TerminalTest, StartingTooSmallWaitsWithTheNoticeAndCtrlCStillQuits) {
    TerminalSession s(70, 25);
    ASSERT_TRUE(s.Start(world.Path()));
    EXPECT_TRUE(s.WaitForText("this one is 70x25"));
    s.SendKeys({"C-c"});
    auto status = s.WaitForExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 128 + SIGINT);
    EXPECT_TRUE(s.TerminalRestored());
}

#ifdef RANKS_TERMINAL_PROBE
// The backend alone (no game yet draws much): what it puts on the screen
// and what keys it reads.
class ProbeTest : public TerminalTest {
protected:
    void StartProbe(TerminalSession& s, const std::vector<std::string>& args) {
        ASSERT_TRUE(s.StartProgram(RANKS_TERMINAL_PROBE, world.Path(), args));
        ASSERT_TRUE(TerminalSession::WaitUntil([&] { return s.AlternateScreen(); }));
    }
};

TEST_F(ProbeTest, ScreenShowsTheModelInUtf8WithAmbiguousGlyphsOnTheirFirstCell) {
    TerminalSession s;
    StartProbe(s, {"keys"});
    ASSERT_TRUE(s.WaitForText("bottom"));
    auto lines = s.Capture();
    ASSERT_EQ(lines.size(), 25u);
    // tmux draws ambiguous glyphs one cell wide: each is followed by its blanked second cell.
    EXPECT_EQ(lines[0], "たたかう● ○ □ △ ◎ ■ Ω Ψ × ｱｲｳ end");
    EXPECT_EQ(lines[1], "HIGHLIGHT plain");
    EXPECT_EQ(lines[2], "[･･･\\~～]");
    EXPECT_EQ(lines[3], std::string(79, ' ') + "X");
    EXPECT_EQ(lines[24], "bottom");
    EXPECT_FALSE(s.CursorVisible());
    // The highlight is bold, and "plain" is not.
    std::string row1 = s.Capture(true)[1];
    EXPECT_EQ(row1.rfind("\x1b[1mHIGHLIGHT", 0), 0u) << row1;
    EXPECT_LT(row1.find("\x1b[0m"), row1.find("plain")) << row1;
    s.SendKeys({"q"});
    ASSERT_EQ(s.WaitForExit(), 0);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(ProbeTest, KeysFromTheTerminalArriveAsTheConsoleCodes) {
    TerminalSession s;
    StartProbe(s, {"keys"});
    ASSERT_TRUE(s.WaitForText("keys:"));
    s.SendKeys({"Up", "Down", "Left", "Right", "Enter", "Space", "Escape", "F1", "F10", "Home", "NPage", "DC", "M"});
    s.SendText("あ");  // text from an input method is not a key
    s.SendKeys({"a"});
    const std::string want =
        "keys: 224 72 224 80 224 75 224 77 13 32 27 0 59 0 68 224 71 224 81 224 83 77 97";
    EXPECT_TRUE(s.WaitForText(want)) << s.Capture()[5];
    s.SendKeys({"q"});
    ASSERT_EQ(s.WaitForExit(), 0);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(ProbeTest, AfterTheSizeNoticeTheWholeScreenIsDrawnAgain) {
    TerminalSession s;
    StartProbe(s, {"keys"});
    ASSERT_TRUE(s.WaitForText("bottom"));
    s.Resize(79, 25);
    ASSERT_TRUE(s.WaitForText("this one is 79x25."));
    s.SendKeys({"Enter"});  // typed while waiting: kept for the game
    s.Resize(90, 30);
    ASSERT_TRUE(s.WaitForText("keys: 13"));
    auto lines = s.Capture();
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0], "たたかう● ○ □ △ ◎ ■ Ω Ψ × ｱｲｳ end");
    EXPECT_EQ(lines[24], "bottom");
    EXPECT_FALSE(s.ScreenContains("needs a terminal"));
    s.SendKeys({"q"});
    ASSERT_EQ(s.WaitForExit(), 0);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(ProbeTest, ExitStatusMinusOneBecomes255WithTheTerminalRestored) {
    TerminalSession s;
    ASSERT_TRUE(s.StartProgram(RANKS_TERMINAL_PROBE, world.Path(), {"exit", "-1"}));
    ASSERT_EQ(s.WaitForExit(), 255);
    EXPECT_TRUE(s.TerminalRestored());
}

TEST_F(ProbeTest, UncaughtExceptionRestoresTheTerminalBeforeAborting) {
    TerminalSession s;
    ASSERT_TRUE(s.StartProgram(RANKS_TERMINAL_PROBE, world.Path(), {"throw"}));
    ASSERT_EQ(s.WaitForExit(), 128 + SIGABRT);
    EXPECT_TRUE(s.TerminalRestored());
    // The runtime's own report lands on the main screen, readable.
    EXPECT_TRUE(s.WaitForText("probe"));
}
#endif

}  // namespace
}  // namespace rf::test
