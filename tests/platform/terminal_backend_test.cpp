// The real game binary, outside a terminal and in one (a tmux pane).
#include <gtest/gtest.h>

#include "pty_process.h"
#include "terminal_session.h"
#include "vt_screen.h"

namespace rf::test {
namespace {

TEST(RealBinaryCommandLine, StatusAndWhichStreamCarriesTheText) {
    struct Case {
        const char *args, *out, *err;  // a part of each stream; "" for none at all
        int status;
    };
    for (const Case c : {Case{"--help", "usage: ranks", "", 0}, Case{"--version", "ranks ", "", 0},
                         Case{"--bogus", "", "usage: ranks", 2}, Case{"--world", "", "usage: ranks", 2},
                         Case{"", "", "terminal", 1}}) {  // no escape sequences into a file
        SCOPED_TRACE(c.args);
        TempDir dir;
        std::string d = Quote(dir.Path().string());
        int raw = std::system(("cd " + d + " && " + Quote(RANKS_BINARY) + " " + c.args + " > out 2> err < /dev/null").c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
        for (auto [file, part] : {std::pair{"out", c.out}, std::pair{"err", c.err}}) {
            std::stringstream s;
            s << std::ifstream(dir.Path() / file).rdbuf();
            EXPECT_TRUE(*part ? s.str().find(part) != std::string::npos : s.str().empty()) << file << ": " << s.str();
        }
    }
}

TEST_F(TerminalTest, EverySignalThatEndsTheGameRestoresTheTerminal) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT}) {
        SCOPED_TRACE(sig);
        TerminalSession s;
        StartGame(s);
        ASSERT_TRUE(s.Signal(sig));
        ExpectEnd(s, 128 + sig);  // the signal's own end follows the restore
    }
}

TEST_F(TerminalTest, AnUncaughtExceptionRestoresTheTerminalBeforeAborting) {
    TerminalSession s;
    ASSERT_TRUE(s.Start(dir.Path(), {"throw"}, RANKS_TERMINAL_PROBE));
    ExpectEnd(s, 128 + SIGABRT);
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

TEST_F(TerminalTest, TooSmallATerminalGetsANoticeUntilItGrowsThenTheWholeScreen) {
    TerminalSession s;
    StartGame(s, {}, true);
    s.Tmux("resize-window -x 60 -y 20");
    EXPECT_TRUE(s.WaitForText("of at least 80x25; this one is 60x20."));
    s.Tmux("resize-window -x 80 -y 25");
    // The whole screen is drawn again, not just what changes next.
    EXPECT_TRUE(WaitUntil([&] { return !s.ScreenContains("needs a terminal") && s.ScreenContains("_____MiniMap_____"); }));
    s.SendKeys({"C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

// The width of ambiguous glyphs is asked once at start-up: a terminal that
// answers gets them drawn plainly for that width, one that stays silent
// gets the form that is right for both.
TEST(AmbiguousWidthProbe, TheAnswerDecidesHowAmbiguousGlyphsAreDrawn) {
    struct Case {
        const char* answer;
        int width;
        bool safeForm;
    };
    for (const Case c : {Case{"\x1b[5;11R", 1, false}, Case{"\x1b[5;12R", 2, false}, Case{nullptr, 1, true}}) {
        SCOPED_TRACE(c.width);
        PtyProcess p;
        ASSERT_TRUE(p.Start({RANKS_TERMINAL_PROBE, "keys"}));
        std::string out = p.ReadUntil("\x1b[6n", 3000);
        ASSERT_NE(out.find("\x1b[5;10H\xe2\x96\xa0\x1b[6n"), std::string::npos);
        if (c.answer) p.Send(c.answer);
        out += p.ReadUntil("keys:", 3000);
        EXPECT_EQ(out.find("  \b\b") != std::string::npos, c.safeForm);
        VtScreen t(c.width);
        t.Feed(out);
        std::string row = t.Row(0);
        row.erase(row.find_last_not_of(' ') + 1);
        EXPECT_EQ(row, c.width == 1 ? "たたかう● ○ □ △ ◎ ■ Ω Ψ × ｱｲｳ end" : "たたかう●○□△◎■ΩΨ×ｱｲｳ end");
        p.Send("q");
        EXPECT_EQ(p.Wait(3000), 0);
    }
}

}  // namespace
}  // namespace rf::test
