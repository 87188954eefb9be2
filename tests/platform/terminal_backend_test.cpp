// The terminal backend in a real terminal (a tmux pane): a terminal the
// game cannot use is refused before it is touched; the terminal is given
// back whatever ends the game, and taken again after a suspend; colours
// follow the environment; Ctrl+C ends a pause at once; and a terminal too
// small gets a notice until it grows.
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "terminal_session.h"

namespace rf::test {
namespace {

TEST_F(TerminalTest, ATerminalTheGameCannotUseIsRefusedInOneLineBeforeItIsTouched) {
    // A type that terminfo knows without cursor addressing.
    std::filesystem::create_directories(dir.Path() / "terminfo/t");
    std::filesystem::copy_file("/lib/terminfo/d/dumb", dir.Path() / "terminfo/t/teletype");
    // What each refusal says is checked headlessly; here the real terminfo lookup and locale: the
    // environment the game runs in, and what it says.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"TERMINFO=" + (dir.Path() / "terminfo").string(), "TERM=teletype", RANKS_BINARY},
         "TERM=teletype cannot place"},
        {{"-u", "LC_ALL", "LANG=C", RANKS_BINARY}, "is ANSI_X3.4-1968, not UTF-8 (LANG=C)"},
    };
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(says);
        TerminalSession s;
        ASSERT_TRUE(s.Start(dir.Path(), args, "/usr/bin/env"));
        ExpectEnd(s, 1);
        // One line on standard error, and nothing else on the screen.
        std::vector<std::string> lines = s.Capture();
        std::erase(lines, "");
        ASSERT_FALSE(lines.empty());
        EXPECT_NE((lines[0] + (lines.size() > 1 ? lines[1] : "")).find(says), std::string::npos) << lines[0];
        EXPECT_LE(lines.size(), 3u) << "one line, wrapped at most twice by the 80 columns";
    }
}

// Signal 0: an uncaught exception, which aborts after the restore.
TEST_F(TerminalTest, EverySignalThatEndsTheGameAndAnUncaughtExceptionRestoreTheTerminal) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT, 0}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        if (sig) StartGame(s);
        ASSERT_TRUE(sig ? s.Signal(sig) : s.Start(dir.Path(), {"throw"}, RANKS_TERMINAL_PROBE));
        ExpectEnd(s, 128 + (sig ? sig : SIGABRT));  // the signal's own end follows the restore
    }
}

TEST_F(TerminalTest, SuspendRestoresContinueTakesTheTerminalBackAndCtrlCEnds) {
    TerminalSession s;
    StartGame(s);
    for (bool typed : {false, true}) {
        SCOPED_TRACE(typed ? "Ctrl+Z" : "SIGTSTP");
        EXPECT_TRUE(typed ? (s.SendKeys({"C-z"}), true) : s.Signal(SIGTSTP));
        EXPECT_TRUE(WaitUntil([&] { return !s.Playing(); }));
        s.Continue();
        EXPECT_TRUE(WaitUntil([&] { return s.Playing(); }));
    }
    // Raw mode is back: Ctrl+C arrives as a key and ends the game cleanly.
    s.SendKeys({"Up", "x", "C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

TEST_F(TerminalTest, ColoursFollowTheEnvironmentOverTheWholeScreenAndLeaveWithTheGame) {
    // Each look in each colour mode is the renderer test's; here what the
    // environment chooses, and a look without colours.
    struct Colours {
        const char* setting;
        const char* look;
        const char* bright;  // how a highlighted cell shows
        const char* plain;   // and a plain one
    };
    for (auto [setting, look, bright, plain] :
         {Colours{"COLORTERM=truecolor", "keys", "\x1b[7m\x1b[38;2;255;255;255mHIGHLIGHT",
                  "\x1b[38;2;192;192;192m\x1b[48;2;0;0;0m plain"},
          {"COLORTERM=", "console", "\x1b[1m\x1b[97mHIGHLIGHT", "\x1b[0m\x1b[37m\x1b[40mplain"},
          {"NO_COLOR=1", "console", "\x1b[7mHIGHLIGHT", " plain"}}) {
        SCOPED_TRACE(std::string(setting) + " " + look);
        TerminalSession s;
        ASSERT_TRUE(s.Start(dir.Path(), {"-u", "NO_COLOR", setting, RANKS_TERMINAL_PROBE, look}, "/usr/bin/env"));
        ASSERT_TRUE(s.WaitForText("bottom"));
        // Every cell of the screen, trailing blanks included.
        std::string screen = s.Tmux("capture-pane -e -N -p");
        EXPECT_NE(screen.find(bright), std::string::npos) << screen;
        EXPECT_NE(screen.find(plain), std::string::npos) << screen;
        // With colours no cell falls back to the terminal's own background.
        EXPECT_TRUE(*plain == ' ' || screen.find("49m") == std::string::npos) << screen;
        s.SendKeys({"q"});
        ExpectEnd(s, 0);
        // What the shell shows next comes in the user's own colours.
        s.SendKeys({"zz"});
        ASSERT_TRUE(s.WaitForText("zz"));
        const std::string after = s.Tmux("capture-pane -e -p");
        EXPECT_EQ(after.rfind('\x1b', after.find("zz")), std::string::npos) << after;
    }
}

TEST_F(TerminalTest, CtrlCEndsAPauseAtOnceAndOtherKeysWaitForTheGame) {
    for (bool interrupt : {false, true}) {
        SCOPED_TRACE(interrupt ? "Ctrl+C" : "keys");
        TerminalSession s;
        ASSERT_TRUE(s.Start(dir.Path(), {"pause"}, RANKS_TERMINAL_PROBE));
        ASSERT_TRUE(s.WaitForText("bottom"));
        auto sent = std::chrono::steady_clock::now();
        s.SendKeys(interrupt ? std::vector<std::string>{"C-c"} : std::vector<std::string>{"x", "Up"});
        if (interrupt) {
            ExpectEnd(s, 128 + SIGINT);
            // The pauses last five seconds and more.
            EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2));
        } else {
            EXPECT_TRUE(s.WaitForText("keys: 120 224 72", std::chrono::seconds(10)));
            s.SendKeys({"q"});
            ExpectEnd(s, 0);
        }
    }
}

TEST_F(TerminalTest, TooSmallATerminalGetsANoticeUntilItGrowsThenTheWholeScreen) {
    TerminalSession s;
    StartGame(s, {}, true);
    s.Tmux("resize-window -x 60 -y 20");
    EXPECT_TRUE(s.WaitForText("端末が小さすぎます（いまは 60x20）。"));
    EXPECT_TRUE(s.ScreenContains("The terminal is too small (60x20)."));
    s.Tmux("resize-window -x 80 -y 25");
    // The whole screen is drawn again, not just what changes next.
    EXPECT_TRUE(WaitUntil([&] { return !s.ScreenContains("too small") && s.ScreenContains("_____MiniMap_____"); }));
    Interrupt(s);
}

}  // namespace
}  // namespace rf::test
