// The real game binary, outside a terminal and in one (a tmux pane).
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "terminal_session.h"

namespace rf::test {
namespace {

TEST(RealBinaryCommandLine, StatusAndWhichStreamCarriesTheText) {
    struct Case {
        const char* args;
        int status;
        const char* out;  // part of standard output
        const char* err;  // part of standard error
    };
    const Case cases[] = {
        {"--help", 0, "usage: ranks", ""},
        {"--version", 0, "ranks ", ""},
        {"--bogus", 2, "", "usage: ranks"},
        {"", 1, "", "terminal"},  // no escape sequences into a file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        TempDir dir;
        auto out = dir.Path() / "out", err = dir.Path() / "err";
        std::string command = "cd '" + dir.Path().string() + "' && '" RANKS_BINARY "' " + c.args + " > '" +
                              out.string() + "' 2> '" + err.string() + "' < /dev/null";
        int raw = std::system(command.c_str());
        std::stringstream o, e;
        o << std::ifstream(out).rdbuf();
        e << std::ifstream(err).rdbuf();
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
        EXPECT_NE(o.str().find(c.out), std::string::npos) << o.str();
        if (*c.out == '\0') { EXPECT_EQ(o.str(), ""); }
        EXPECT_NE(e.str().find(c.err), std::string::npos) << e.str();
        if (*c.err == '\0') { EXPECT_EQ(e.str(), ""); }
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

TEST_F(TerminalTest, CtrlCEndsTheGame) {
    TerminalSession s;
    StartGame(s);
    s.SendKeys({"Up", "Enter", "x", "C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

TEST_F(TerminalTest, SuspendRestoresAndContinueTakesTheTerminalBack) {
    TerminalSession s;
    StartGame(s);
    for (bool typed : {false, true}) {
        SCOPED_TRACE(typed ? "Ctrl+Z" : "SIGTSTP");
        if (typed) {
            s.SendKeys({"C-z"});
        } else {
            ASSERT_TRUE(s.Signal(SIGTSTP));
        }
        EXPECT_TRUE(TerminalSession::WaitUntil([&] { return !s.Playing(); }));
        s.Continue();
        EXPECT_TRUE(TerminalSession::WaitUntil([&] { return s.Playing(); }));
    }
    // Raw mode is back: Ctrl+C arrives as a key and ends the game cleanly.
    s.SendKeys({"C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

TEST_F(TerminalTest, TooSmallATerminalGetsANoticeUntilItGrows) {
    TerminalSession s;
    StartGame(s);
    s.Resize(60, 20);
    EXPECT_TRUE(s.WaitForText("of at least 80x25; this one is 60x20."));
    s.Resize(80, 25);
    EXPECT_TRUE(TerminalSession::WaitUntil([&] { return !s.ScreenContains("needs a terminal"); }));
    s.SendKeys({"C-c"});
    ExpectEnd(s, 128 + SIGINT);
}

}  // namespace
}  // namespace rf::test
