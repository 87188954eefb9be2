// The real game binary, outside a terminal and in one (a tmux pane).
#include "terminal_session.h"

namespace rf::test {
namespace {

TEST(RealBinaryCommandLine, StatusAndWhichStreamCarriesTheText) {
    struct Case {
        const char *args, *out, *err;  // a part of each stream; "" for none at all
        int status;
    };
    for (const Case c :
         {Case{"--help", "usage: ranks", "", 0}, Case{"--version", "ranks ", "", 0},
          Case{"--bogus", "", "usage: ranks", 2}, Case{"'\x1b]0;t\x07'", "", "'\\x1b]0;t\\x07'", 2},
          Case{"--world", "", "usage: ranks", 2}, Case{"", "", "terminal", 1}}) {  // no escape sequences into a file
        SCOPED_TRACE(c.args);
        TempDir dir;
        std::string d = Quote(dir.Path().string());
        int raw = std::system(
            ("cd " + d + " && " + Quote(RANKS_BINARY) + " " + c.args + " > out 2> err < /dev/null").c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
        for (auto [file, part] : {std::pair{"out", c.out}, std::pair{"err", c.err}}) {
            const std::string text = dir.Read(file);
            EXPECT_TRUE(*part ? text.find(part) != std::string::npos : text.empty()) << file << ": " << text;
        }
    }
}

TEST_F(TerminalTest, ATerminalTheGameCannotUseIsRefusedInOneLineBeforeItIsTouched) {
    struct Case {
        std::vector<std::string> env;
        const char* says;
    };
    // A type that terminfo knows without cursor addressing.
    std::filesystem::create_directories(dir.Path() / "terminfo/t");
    std::filesystem::copy_file("/lib/terminfo/d/dumb", dir.Path() / "terminfo/t/teletype");
    // What each refusal says is checked headlessly; here the real terminfo lookup and locale.
    for (const Case& c :
         {Case{{"TERMINFO=" + (dir.Path() / "terminfo").string(), "TERM=teletype"}, "TERM=teletype cannot place"},
          Case{{"-u", "LC_ALL", "LANG=C"}, "is ANSI_X3.4-1968, not UTF-8 (LANG=C)"}}) {
        SCOPED_TRACE(c.says);
        TerminalSession s;
        std::vector<std::string> args = c.env;
        args.push_back(RANKS_BINARY);
        ASSERT_TRUE(s.Start(dir.Path(), args, "/usr/bin/env"));
        ExpectEnd(s, 1);
        // One line on standard error, and nothing else on the screen.
        std::vector<std::string> lines = s.Capture();
        std::erase(lines, "");
        ASSERT_FALSE(lines.empty());
        EXPECT_NE((lines[0] + (lines.size() > 1 ? lines[1] : "")).find(c.says), std::string::npos) << lines[0];
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
    struct Case {
        const char *setting, *look, *bright, *plain;
    };
    // Each look in each colour mode is the renderer test's; here what the
    // environment chooses, and a look without colours.
    for (const Case c : {Case{"COLORTERM=truecolor", "keys", "\x1b[7m\x1b[38;2;255;255;255mHIGHLIGHT",
                              "\x1b[38;2;192;192;192m\x1b[48;2;0;0;0m plain"},
                         Case{"COLORTERM=", "console", "\x1b[1m\x1b[97mHIGHLIGHT", "\x1b[0m\x1b[37m\x1b[40mplain"},
                         Case{"NO_COLOR=1", "console", "\x1b[7mHIGHLIGHT", " plain"}}) {
        SCOPED_TRACE(std::string(c.setting) + " " + c.look);
        TerminalSession s;
        ASSERT_TRUE(s.Start(dir.Path(), {"-u", "NO_COLOR", c.setting, RANKS_TERMINAL_PROBE, c.look}, "/usr/bin/env"));
        ASSERT_TRUE(s.WaitForText("bottom"));
        // Every cell of the screen, trailing blanks included.
        std::string screen = s.Tmux("capture-pane -e -N -p");
        EXPECT_NE(screen.find(c.bright), std::string::npos) << screen;
        EXPECT_NE(screen.find(c.plain), std::string::npos) << screen;
        // With colours no cell falls back to the terminal's own background.
        EXPECT_TRUE(*c.plain == ' ' || screen.find("49m") == std::string::npos) << screen;
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
