// Runs the game in a real terminal: a pane of a private tmux server, so
// tests can type keys, read the screen and check that the terminal is
// left as it was found. Tests skip when tmux is not installed.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

namespace rf::test {

class TerminalSession {
public:
    explicit TerminalSession(int columns = 80, int rows = 25);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Starts the game with `args` in `workingDir`; the pane records
    // `stty -g` before and after, and the exit status.
    bool Start(const std::filesystem::path& workingDir, const std::vector<std::string>& args = {});
    // Keys by tmux name ("Up", "Enter", "C-c").
    void SendKeys(const std::vector<std::string>& keys);
    void Resize(int columns, int rows);
    // The visible screen as UTF-8 lines (trailing blanks dropped by tmux).
    std::vector<std::string> Capture();
    bool ScreenContains(const std::string& utf8);
    bool Playing();  // alternate screen, cursor hidden

    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(3));
    bool WaitForText(const std::string& utf8, std::chrono::milliseconds timeout = std::chrono::seconds(3));

    bool Signal(int signal);
    // After the program stopped: its shell puts it back in the foreground.
    void Continue();
    // The exit status as the shell reports it (128 + n after signal n).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // Main screen, visible cursor and the terminal modes as they were.
    bool TerminalRestored();

private:
    std::string Tmux(const std::string& arguments);
    std::string Format(const std::string& format);
    std::string ReadFile(const std::string& name) const;
    int ProgramPid();

    std::string socket_;
    std::filesystem::path dir_;
    int columns_;
    int rows_;
    bool started_ = false;
};

class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override;
    // The game up and drawing (`field`: the field screen as well).
    void StartGame(TerminalSession& s, const std::vector<std::string>& args = {}, bool field = false);
    // Ends with `status` (any when empty), the terminal as it was found.
    void ExpectEnd(TerminalSession& s, std::optional<int> status,
                   std::chrono::milliseconds timeout = std::chrono::seconds(3));
    TempDir dir;  // the game's working directory
};

}  // namespace rf::test
