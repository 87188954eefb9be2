// Figures of the terminal backend: the bytes of a full repaint and of small
// changes, and how long a pause of 1 ms lasts.
// Usage: ranks_bench_terminal [--no-pauses]
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/console_session.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/virtual_console.h"
#include "text/sj_literal.h"

using namespace rf;
using rf::platform::TerminalRenderer;
using rf::platform::VirtualConsole;

namespace {

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
                                       "アイテム"_sj, " Lv 12 "_sj,      "にげる"_sj,   "◎Ω×"_sj};
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

// The real backend's pauses on a private pseudo-terminal (its idle key
// polls block until a key: bench/idle.sh measures them on the game).
void PauseFigures() {
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
    // The slide animations pace themselves with Sleep(1).
    constexpr int kSleeps = 500;
    auto sleepStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kSleeps; ++i) platform::Sleep(1);  // each counted from the previous end
    double perSleep =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sleepStart).count() / kSleeps;
    std::fprintf(stderr, "Sleep(1) takes %.3f ms on average over %d calls\n", perSleep, kSleeps);
    platform::Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    RendererFigures();
    if (argc < 2 || std::string(argv[1]) != "--no-pauses") PauseFigures();
    return 0;
}
