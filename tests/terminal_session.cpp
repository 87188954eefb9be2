#include "terminal_session.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace rf::test {
namespace {

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) out.append(buffer.data(), n);
    ::pclose(pipe);
    return out;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

int sessionCount = 0;

}  // namespace

TerminalSession::TerminalSession(int columns, int rows) : columns_(columns), rows_(rows) {
    std::string id = std::to_string(::getpid()) + "-" + std::to_string(++sessionCount);
    socket_ = "ranks-test-" + id;
    dir_ = std::filesystem::temp_directory_path() / ("ranks-term-" + id);
    std::filesystem::create_directories(dir_);
}

TerminalSession::~TerminalSession() {
    if (started_) Tmux("kill-server");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TerminalSession::Tmux(const std::string& arguments) {
    // Not nested in a tmux the tests may run in.
    return Run("env -u TMUX tmux -f /dev/null -L " + Quote(socket_) + " " + arguments + " 2>/dev/null");
}

bool TerminalSession::Start(const std::filesystem::path& workingDir, const std::vector<std::string>& args) {
    std::string d = dir_.string() + "/";
    std::string pid = Quote(d + "pid");
    std::ofstream script(dir_ / "run.sh");
    // Job control, so that a stopped program really stops and is continued
    // in the foreground when the test says so; the shell survives the
    // interrupt that ends the program (a trap, so the program gets the default).
    script << "ulimit -c 0 2>/dev/null\ntrap : INT QUIT\n"
           << "stty -g > " << Quote(d + "before") << "\n"
           << "cd " << Quote(workingDir.string()) << " || exit 99\nset -m\n"
           << "sh -c 'echo $$ > \"$0\"; shift; exec \"$@\"' " << pid << " _ " << Quote(RANKS_BINARY);
    for (const auto& a : args) script << " " << Quote(a);
    script << "\nst=$?\n"
           << "while [ $st -gt 128 ] && kill -0 $(cat " << pid << ") 2>/dev/null; do\n"
           << "  while [ ! -e " << Quote(d + "go") << " ]; do sleep 0.02; done\n"
           << "  rm -f " << Quote(d + "go") << "; fg >/dev/null; st=$?\ndone\n"
           << "echo $st > " << Quote(d + "status.part") << "\n"
           << "stty -g > " << Quote(d + "after") << "\n"
           << "mv " << Quote(d + "status.part") << " " << Quote(d + "status") << "\nexec sleep 600\n";
    script.close();
    Tmux("new-session -d -x " + std::to_string(columns_) + " -y " + std::to_string(rows_) + " " +
         Quote("sh " + Quote(d + "run.sh")));
    started_ = true;
    return WaitUntil([this] { return ProgramPid() > 0; });
}

void TerminalSession::Continue() { std::ofstream(dir_ / "go").put('\n'); }

void TerminalSession::SendKeys(const std::vector<std::string>& keys) {
    std::string line = "send-keys";
    for (const auto& k : keys) line += " " + Quote(k);
    Tmux(line);
}

void TerminalSession::Resize(int columns, int rows) {
    Tmux("resize-window -x " + std::to_string(columns) + " -y " + std::to_string(rows));
}

std::vector<std::string> TerminalSession::Capture() {
    std::vector<std::string> lines;
    std::istringstream in(Tmux("capture-pane -p"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool TerminalSession::ScreenContains(const std::string& utf8) {
    for (const auto& line : Capture())
        if (line.find(utf8) != std::string::npos) return true;
    return false;
}

std::string TerminalSession::Format(const std::string& format) {
    return Trim(Tmux("display-message -p " + Quote(format)));
}

bool TerminalSession::Playing() { return Format("#{alternate_on}#{cursor_flag}") == "10"; }

bool TerminalSession::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool TerminalSession::WaitForText(const std::string& utf8, std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return ScreenContains(utf8); }, timeout);
}

int TerminalSession::ProgramPid() {
    std::string pid = Trim(ReadFile("pid"));
    return pid.empty() ? 0 : std::stoi(pid);
}

bool TerminalSession::Signal(int sig) {
    int pid = ProgramPid();
    return pid > 0 && ::kill(pid, sig) == 0;
}

std::optional<int> TerminalSession::WaitForExit(std::chrono::milliseconds timeout) {
    if (!WaitUntil([this] { return std::filesystem::exists(dir_ / "status"); }, timeout)) return std::nullopt;
    return std::stoi(Trim(ReadFile("status")));
}

bool TerminalSession::TerminalRestored() {
    std::string before = Trim(ReadFile("before"));
    return Format("#{alternate_on}#{cursor_flag}") == "01" && !before.empty() && before == Trim(ReadFile("after"));
}

std::string TerminalSession::ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void TerminalTest::SetUp() {
    if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
}

void TerminalTest::StartGame(TerminalSession& s, const std::vector<std::string>& args, bool field) {
    ASSERT_TRUE(s.Start(dir.Path(), args));
    if (field) { ASSERT_TRUE(s.WaitForText("_____MiniMap_____")); }
    ASSERT_TRUE(TerminalSession::WaitUntil([&] { return s.Playing(); }));
}

void TerminalTest::ExpectEnd(TerminalSession& s, std::optional<int> status, std::chrono::milliseconds timeout) {
    auto ended = s.WaitForExit(timeout);
    ASSERT_TRUE(ended.has_value());
    if (status) { EXPECT_EQ(*ended, *status); }
    EXPECT_TRUE(s.TerminalRestored());
}

}  // namespace rf::test
