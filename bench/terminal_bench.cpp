// Figures of the terminal backend: the bytes of a full repaint and of small
// changes, and the processor time an idle key-poll loop costs.
// Usage: ranks_bench_terminal [idle-seconds]
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/sjis.h"
#include "platform/platform.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/virtual_console.h"

using namespace rf;
using rf::platform::TerminalRenderer;
using rf::platform::VirtualConsole;

namespace {

double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
            static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0);
}

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == 0x1b) out += "\\e";
        else if (c == '\b') out += "\\b";
        else if (c < 0x20) out += "^" + std::string(1, static_cast<char>(c + 64));
        else out += static_cast<char>(c);
    }
    return out;
}

void RendererFigures() {
    VirtualConsole vc;
    vc.Reset();
    // A busy battle-like screen: full-width text, ASCII numbers, symbols of ambiguous width.
    const std::string_view pieces[] = {"たたかう"_sj, " HP 123/456 "_sj, "ぼうぎょ"_sj, "●○□△"_sj,
                                       "アイテム"_sj, " Lv 12 "_sj, "にげる"_sj, "◎Ω×"_sj};
    for (int y = 0; y < VirtualConsole::kVisibleRows; ++y) {
        vc.SetCursor(0, y);
        std::size_t i = static_cast<std::size_t>(y);
        int used = 0;
        while (used < 78) {
            auto text = pieces[i++ % std::size(pieces)];
            vc.SetAttribute(i % 3 == 0 ? 15 : 7);
            if (used + static_cast<int>(text.size()) > 78) break;
            vc.Write(text);
            used += static_cast<int>(text.size());
        }
    }
    vc.SetCursorVisible(false);
    TerminalRenderer r;
    std::size_t full = r.Frame(vc).size();
    // Each change lands on a cell of the same attribute that shows something else.
    auto change = [&](int x, int y, std::string_view bytes) {
        vc.SetCursor(x, y);
        vc.SetAttribute(vc.At(x, y).attribute);
        vc.Write(bytes);
        std::string frame = r.Frame(vc);
        std::fprintf(stderr, "  frame: %s\n", Escaped(frame).c_str());
        return frame.size();
    };
    std::size_t one = change(40, 12, "X");
    std::size_t wide = change(40, 13, "漢"_sj);
    std::size_t ambiguous = change(40, 14, "※"_sj);
    std::size_t idle = r.Frame(vc).size();
    std::fprintf(stderr,
                 "full repaint of 80x25 mixed text: %zu bytes\n"
                 "one ASCII cell changed:           %zu bytes\n"
                 "one full-width glyph changed:     %zu bytes\n"
                 "one ambiguous-width glyph:        %zu bytes\n"
                 "nothing changed:                  %zu bytes\n",
                 full, one, wide, ambiguous, idle);
}

// Runs the real backend's key poll on a private pseudo-terminal.
void IdleFigures(int seconds) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "idle poll: no pseudo-terminal available\n");
        return;
    }
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    winsize ws{};
    ws.ws_col = 80;
    ws.ws_row = 25;
    ioctl(slave, TIOCSWINSZ, &ws);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    platform::Open();
    double cpu0 = CpuMs();
    auto start = std::chrono::steady_clock::now();
    auto end = start + std::chrono::seconds(seconds);
    long polls = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (platform::KeyWaiting()) platform::ReadKey();
        ++polls;
    }
    double cpu = CpuMs() - cpu0;
    double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "idle key poll over %.1f s: %ld polls (%.0f per second), CPU %.1f ms (%.2f%% of one core)\n",
                 wall / 1000.0, polls, static_cast<double>(polls) / wall * 1000.0, cpu, cpu / wall * 100.0);
    // The slide animations pace themselves with Sleep(1).
    constexpr int kSleeps = 500;
    auto sleepStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kSleeps; ++i) platform::Sleep(1);
    double perSleep =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sleepStart).count() / kSleeps;
    std::fprintf(stderr, "Sleep(1) takes %.3f ms on average over %d calls\n", perSleep, kSleeps);
    platform::Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    RendererFigures();
    if (seconds > 0) IdleFigures(seconds);
    return 0;
}
