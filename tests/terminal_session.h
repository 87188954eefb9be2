// Runs the game in a real terminal: a pane of a private tmux server, so
// tests can type keys, read the screen and check that the terminal is
// left as it was found. Tests skip when tmux is not installed.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <thread>

#include "test_support.h"

namespace rf::test {

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
    for (auto end = std::chrono::steady_clock::now() + timeout; !condition();) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The pane runs the game in a shell with job control, so that a stopped
// game really stops and is put back in the foreground when the test says
// so; the shell survives the interrupt that ends the game (a trap, so the
// game gets the default) and records `stty -g` before and after, and the status.
constexpr const char* kRunScript = R"(D=$1; shift; ulimit -c 0 2>/dev/null; trap : INT QUIT
stty -g > "$D/before"; cd "$1" || exit 99; shift; set -m
sh -c 'echo $$ > "$0"; shift; exec "$@"' "$D/pid" _ "$@"; st=$?
while [ $st -gt 128 ] && kill -0 $(cat "$D/pid") 2>/dev/null; do
  while [ ! -e "$D/go" ]; do sleep 0.02; done; rm -f "$D/go"; fg >/dev/null; st=$?
done
stty -g > "$D/after"; echo $st > "$D/status.part"; mv "$D/status.part" "$D/status"; exec sleep 600
)";

class TerminalSession {
public:
    TerminalSession() { dir_.Write("run.sh", kRunScript); }
    ~TerminalSession() { Tmux("kill-server"); }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool Start(const std::filesystem::path& workingDir, const std::vector<std::string>& args = {},
               const std::string& program = RANKS_BINARY) {
        // Saved games go to a folder of the session's own.
        std::string line = "env XDG_DATA_HOME=" + Quote(DataHome().string()) + " sh " +
                           Quote((dir_.Path() / "run.sh").string()) + " " + Quote(dir_.Path().string()) + " " +
                           Quote(workingDir.string()) + " " + Quote(program);
        for (const auto& a : args) line += " " + Quote(a);
        Tmux("new-session -d -x 80 -y 25 " + Quote(line));
        return WaitUntil([this] { return Pid() > 0; });
    }
    std::filesystem::path DataHome() const { return dir_.Path() / "data"; }
    std::filesystem::path SaveFolder() const { return DataHome() / "ranks-and-files"; }
    // Keys by tmux name ("Up", "Enter", "C-c").
    void SendKeys(const std::vector<std::string>& keys) {
        std::string line = "send-keys";
        for (const auto& k : keys) line += " " + Quote(k);
        Tmux(line);
    }
    // The visible screen as UTF-8 lines (trailing blanks dropped by tmux).
    std::vector<std::string> Capture() {
        std::vector<std::string> lines;
        std::istringstream in(Tmux("capture-pane -p"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Lines the terminal wrapped count as one (a farewell naming a long path).
    bool ScreenContains(const std::string& utf8) { return Tmux("capture-pane -p -J").find(utf8) != std::string::npos; }
    bool WaitForText(const std::string& utf8, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        return WaitUntil([&] { return ScreenContains(utf8); }, timeout);
    }
    // Alternate screen on and cursor hidden: "10"; as found: "01".
    std::string Modes() { return Tmux("display-message -p '#{alternate_on}#{cursor_flag}'"); }
    bool Playing() { return Modes() == "10\n"; }
    // The game's process (0 before it runs).
    int Pid() const { return Read("pid").empty() ? 0 : std::stoi(Read("pid")); }
    bool Signal(int sig) { return Pid() > 0 && ::kill(Pid(), sig) == 0; }
    // After the game stopped: its shell puts it back in the foreground.
    void Continue() { dir_.Write("go", "\n"); }
    // The exit status as the shell reports it (128 + n after signal n).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        if (!WaitUntil([this] { return std::filesystem::exists(dir_.Path() / "status"); }, timeout)) return {};
        return std::stoi(Read("status"));
    }
    // Main screen, visible cursor and the terminal modes as they were.
    bool TerminalRestored() { return Modes() == "01\n" && !Read("before").empty() && Read("before") == Read("after"); }

    std::string Tmux(const std::string& arguments) {
        // Not nested in a tmux the tests may run in; the game needs a UTF-8 locale.
        std::string command =
            "env -u TMUX LC_ALL=C.UTF-8 tmux -f /dev/null -L " + socket_ + " " + arguments + " 2>/dev/null";
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
            ::pclose(pipe);
        }
        return out;
    }

private:
    std::string Read(const std::string& name) const { return dir_.Read(name); }

    TempDir dir_;
    const std::string socket_ = "ranks-test-" + dir_.Path().filename().string();
};

class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    }
    // The game up and drawing (`field`: the field screen as well).
    void StartGame(TerminalSession& s, const std::vector<std::string>& args = {}, bool field = false) {
        ASSERT_TRUE(s.Start(dir.Path(), args));
        ASSERT_TRUE(!field || s.WaitForText("_____MiniMap_____"));
        ASSERT_TRUE(WaitUntil([&] { return s.Playing(); }));
    }
    // Ends with `status` (any when empty), the terminal as it was found.
    void ExpectEnd(TerminalSession& s, std::optional<int> status,
                   std::chrono::seconds timeout = std::chrono::seconds(3)) {
        auto ended = s.WaitForExit(timeout);
        ASSERT_TRUE(ended.has_value());
        EXPECT_TRUE(!status || *ended == *status) << *ended;
        EXPECT_TRUE(s.TerminalRestored());
    }
    // Ctrl+C: the game ends as a SIGINT ends it, the terminal as it was found.
    void Interrupt(TerminalSession& s) {
        s.SendKeys({"C-c"});
        ExpectEnd(s, 128 + SIGINT);
    }
    TempDir dir;  // the game's working directory
};

}  // namespace rf::test
