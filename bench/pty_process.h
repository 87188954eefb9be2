// A program on a pseudo-terminal of its own, 80x25, for benchmarks that
// read exactly what the game writes and when.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace rf::test {

class PtyProcess {
public:
    PtyProcess() = default;
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;
    ~PtyProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) ::close(master_);
    }

    bool Start(const std::vector<std::string>& argv, const std::string& workingDir = ".") {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return false;
        std::string slave = ::ptsname(master_);
        pid_ = ::fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            ::setsid();
            int fd = ::open(slave.c_str(), O_RDWR);
            if (fd < 0) ::_exit(127);
            ::ioctl(fd, TIOCSCTTY, 0);
            winsize ws{};
            ws.ws_row = 25, ws.ws_col = 80;
            ::ioctl(fd, TIOCSWINSZ, &ws);
            ::dup2(fd, 0), ::dup2(fd, 1), ::dup2(fd, 2);
            if (fd > 2) ::close(fd);
            if (::chdir(workingDir.c_str()) != 0) ::_exit(127);
            ::setenv("TERM", "xterm-256color", 1);
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        return true;
    }

    // What the program wrote within `ms` milliseconds (-1 until it writes,
    // 0 only what is there); empty at the end of the run.
    std::string Read(int ms) {
        std::string out;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return out;
        char buffer[65536];
        ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) out.assign(buffer, static_cast<std::size_t>(n));
        return out;
    }
    // Reads until `pattern` has come or `ms` passed; everything read.
    std::string ReadUntil(const std::string& pattern, int ms) {
        std::string all;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (all.find(pattern) == std::string::npos && std::chrono::steady_clock::now() < end) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            all += Read(static_cast<int>(left.count()) + 1);
        }
        return all;
    }
    bool Signal(int sig) { return pid_ > 0 && ::kill(pid_, sig) == 0; }
    void Send(const std::string& bytes) { [[maybe_unused]] auto n = ::write(master_, bytes.data(), bytes.size()); }
    // The exit status (128 + n after signal n), or -1 when still running after `ms`.
    int Wait(int ms) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (Read(10).empty()) ::usleep(10'000);  // keep the terminal drained
        } while (std::chrono::steady_clock::now() < end);
        return -1;
    }

    int Pid() const { return pid_; }

private:
    int master_ = -1;
    int pid_ = -1;
};

}  // namespace rf::test
