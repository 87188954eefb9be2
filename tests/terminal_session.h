// Runs a program in a real terminal: a pane of a private tmux server, so
// tests can type keys, read the screen and check that the terminal is
// left as it was found. Tests skip when tmux is not installed.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rf::test {

bool TmuxAvailable();

class TerminalSession {
public:
    explicit TerminalSession(int columns = 80, int rows = 25);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Starts `program` (the game by default) with `args` in `workingDir`.
    // The pane records `stty -g` before and after, and the exit status.
    bool Start(const std::filesystem::path& workingDir, const std::vector<std::string>& args = {});
    bool StartProgram(const std::string& program, const std::filesystem::path& workingDir,
                      const std::vector<std::string>& args = {});

    // Keys by tmux name ("Up", "Enter", "C-c", "Escape"), or literal text.
    void SendKeys(const std::vector<std::string>& keys);
    void SendText(const std::string& text);
    void Resize(int columns, int rows);

    // The visible screen as UTF-8 lines (trailing blanks dropped by tmux);
    // with attributes, tmux's own SGR sequences are kept in the text.
    std::vector<std::string> Capture(bool withAttributes = false);
    bool ScreenContains(const std::string& utf8);
    // A tmux format of the pane, such as "#{alternate_on}".
    std::string Format(const std::string& format);
    bool AlternateScreen() { return Format("#{alternate_on}") == "1"; }
    bool CursorVisible() { return Format("#{cursor_flag}") == "1"; }

    // Polls `condition` every 20 ms until it holds or the time is up.
    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(3));
    bool WaitForText(const std::string& utf8, std::chrono::milliseconds timeout = std::chrono::seconds(3));

    // The process id of the program (it replaces the small shell that starts it).
    int ProgramPid();
    bool Signal(int signal);
    // After the program stopped (Ctrl+Z, SIGTSTP): its shell puts it back
    // in the foreground, as `fg` does.
    void Continue();
    // Waits for the program to end: its exit status as the shell reports it
    // (128 + n after signal n), or nothing on timeout.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(3));

    std::string SttyBefore() const;
    std::string SttyAfter() const;
    // Main screen, visible cursor and the terminal modes as they were.
    bool TerminalRestored();

private:
    std::string Tmux(const std::string& arguments);
    std::string ReadFile(const std::string& name) const;

    std::string socket_;
    std::filesystem::path dir_;
    int columns_;
    int rows_;
    bool started_ = false;
};

}  // namespace rf::test
