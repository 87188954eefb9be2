// The game on a POSIX terminal: raw keys, the alternate screen, and the
// console model drawn by TerminalRenderer whenever the game waits.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include "platform/backend.h"
#include "platform/console_session.h"
#include "platform/files.h"
#include "platform/model/drawn_console.h"
#include "platform/model/terminal_requirements.h"
#include "platform/model/waiting.h"
#include "platform/posix/posix_write.h"
#include "platform/posix/speech_dispatcher.h"
#include "platform/streams.h"

// The environment a play-test started from the painter inherits (unistd.h
// declares it only on some systems).
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace rf::platform {
namespace {

constexpr int kIn = STDIN_FILENO;
constexpr int kOut = STDOUT_FILENO;
constexpr int kMinColumns = VirtualConsole::kWidth;
constexpr int kMinRows = VirtualConsole::kVisibleRows;

// What leaving the game sends: plain attributes, the cursor, the main screen.
constexpr char kLeave[] = "\x1b[0m\x1b[?25h\x1b[?1049l";
constexpr char kEnter[] = "\x1b[?1049h\x1b[?25l";

struct TerminalState {
    DrawnConsole drawn;
    bool opened = false;
    PauseDeadlines pauses;
    // The game said nothing moves until a key (NothingMovesUntilKey); once
    // that key came (at stillKeyNs), the game's pauses before it are passed
    // through at once on the pauses' own clock, and its key tests find nothing.
    bool still = false;
    std::int64_t stillKeyNs = -1;
    AmbiguousWidthQuestion widthQuestion;
    std::terminate_handler previousTerminate = nullptr;
};

TerminalState state;

// Shared with the signal handlers: written before they are installed, or
// of type sig_atomic_t.
struct termios originalModes;
volatile std::sig_atomic_t terminalTaken = 0;
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t resumed = 0;
// A byte on this pipe wakes a poll that blocks until input: the signal
// handlers write it, so a resize during a long wait is seen at once.
int wakePipe[2] = {-1, -1};
// A request to end (SIGTERM, SIGHUP, SIGINT from outside), acted on at the
// backend's next call: the game's before-exit hook (a save) must not run
// inside a signal handler.
volatile std::sig_atomic_t quitSignal = 0;
// Room for the crash handlers when the stack itself overflowed.
alignas(16) char alternateStack[64 * 1024];

// Async-signal-safe.
void Wake() {
    if (wakePipe[1] < 0) return;
    int saved = errno;
    char b = 1;
    [[maybe_unused]] ssize_t n = ::write(wakePipe[1], &b, 1);  // a full pipe already wakes
    errno = saved;
}

std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::int64_t NowMs() { return NowNs() / 1'000'000; }

// Whether the game set the title (the user's is on the terminal's title stack).
volatile std::sig_atomic_t titleSet = 0;
// The game's title, shown again when the terminal is taken back (Ctrl+Z, fg).
std::string gameTitle;

// Async-signal-safe: puts the terminal back as the game found it.
void RestoreTerminal() {
    if (!terminalTaken) return;
    terminalTaken = 0;
    int saved = errno;
    WriteAll(kOut, std::string_view(kLeave, sizeof kLeave - 1));
    if (titleSet) {
        WriteAll(kOut, "\x1b[23;0t");
        titleSet = 0;
    }
    ::tcsetattr(kIn, TCSANOW, &originalModes);
    errno = saved;
}

void TakeTerminal() {
    struct termios raw = originalModes;
    // No echo, no line editing, and Ctrl+C, Ctrl+Z and Ctrl+S arrive as
    // bytes; output processing stays as the user had it.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | INPCK);
    raw.c_cflag |= CS8;
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    // Marked first: a signal from here on puts the terminal back.
    terminalTaken = 1;
    ::tcsetattr(kIn, TCSADRAIN, &raw);
    WriteAll(kOut, std::string_view(kEnter, sizeof kEnter - 1));
    if (!gameTitle.empty()) ShowTitle(std::string(gameTitle));
    state.drawn.renderer.Invalidate();
}

void OnFatalSignal(int sig) {
    RestoreTerminal();
    // The handler was reset on entry: the default action ends the process.
    ::raise(sig);
}

void OnStopSignal(int) {
    int saved = errno;
    RestoreTerminal();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    struct sigaction mine {};
    ::sigaction(SIGTSTP, &dfl, &mine);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(SIGTSTP);  // stops here until continued
    ::sigaction(SIGTSTP, &mine, nullptr);
    resumed = 1;
    Wake();
    errno = saved;
}

void OnContinue(int) {
    resumed = 1;
    Wake();
}
void OnQuitSignal(int sig) {
    quitSignal = sig;
    Wake();
}
void OnResize(int) {
    resized = 1;
    Wake();
}

void OnTerminate() {
    RestoreTerminal();
    if (state.previousTerminate) state.previousTerminate();
    std::abort();
}

void RestoreAtExit() { RestoreTerminal(); }

void InstallHandlers() {
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction fatal {};
    fatal.sa_handler = OnFatalSignal;
    sigemptyset(&fatal.sa_mask);
    fatal.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
    // No SA_RESTART: a blocking wait returns, so the quit is seen at once.
    struct sigaction quit {};
    quit.sa_handler = OnQuitSignal;
    sigemptyset(&quit.sa_mask);
    // Every signal that would end the game ends it as a request to end does:
    // the terminal put back and the game saved.
    for (int sig :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPIPE}) {
        // A signal that the caller chose to ignore (nohup, a background job) stays ignored.
        struct sigaction before {};
        ::sigaction(sig, nullptr, &before);
        if (before.sa_handler != SIG_IGN) ::sigaction(sig, &quit, nullptr);
    }
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(sig, &fatal, nullptr);
    // A file grown past `ulimit -f` fails its write (a save says so) rather
    // than ending the game.
    ::signal(SIGXFSZ, SIG_IGN);

    struct sigaction other {};
    sigemptyset(&other.sa_mask);
    other.sa_flags = SA_RESTART;
    other.sa_handler = OnStopSignal;
    struct sigaction before {};
    ::sigaction(SIGTSTP, nullptr, &before);
    if (before.sa_handler != SIG_IGN) ::sigaction(SIGTSTP, &other, nullptr);
    other.sa_handler = OnContinue;
    ::sigaction(SIGCONT, &other, nullptr);
    other.sa_handler = OnResize;
    ::sigaction(SIGWINCH, &other, nullptr);

    state.previousTerminate = std::set_terminate(OnTerminate);
    std::atexit(RestoreAtExit);
}

// Ctrl+C ends the game as it does in the Windows console: the terminal put
// back, then the end the shell expects from an interrupt.
[[noreturn]] void EndByInterrupt() {
    std::fflush(nullptr);
    RestoreTerminal();
    // After the terminal is back, so what the hook says is seen.
    RunBeforeExit();
    ::signal(SIGINT, SIG_DFL);
    ::raise(SIGINT);
    ::_exit(130);
}

// Ctrl+Z: stop the job as the terminal would; OnStopSignal restores first.
void Suspend() { ::kill(0, SIGTSTP); }

// The terminal went away: end as a hang-up does.
[[noreturn]] void EndByHangUp() {
    RestoreTerminal();
    RunBeforeExit();
    ::signal(SIGHUP, SIG_DFL);
    ::raise(SIGHUP);
    ::_exit(129);
}

// A quit requested by a signal: the game's last word, then the end the
// signal would have made.
[[noreturn]] void EndBySignal(int sig) {
    std::fflush(nullptr);
    RestoreTerminal();
    RunBeforeExit();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    ::_exit(128 + sig);
}

// Takes the answers to the start-up questions out of the keys, whenever they come.
void TakeAnswers() {
    if (auto kind = state.drawn.decoder.TakeTerminalKind())
        state.drawn.renderer.SetMovedBlanksKept(KeepsMovedBlanks(*kind));
    if (auto report = state.drawn.decoder.TakeCursorReport())
        if (auto width = AmbiguousWidthAnswer(report->row, report->column)) {
            state.widthQuestion.Answered(*width);
            state.drawn.renderer.SetAmbiguousWidth(*width);
        }
}

// Reads what the terminal has sent so far, without waiting.
void ReadInput() {
    if (!terminalTaken) return;
    char buffer[256];
    for (;;) {
        ssize_t n = ::read(kIn, buffer, sizeof buffer);
        if (n > 0) {
            state.drawn.decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs());
            if (n < static_cast<ssize_t>(sizeof buffer)) break;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EIO) {
            EndByHangUp();
        } else {
            break;
        }
    }
    state.drawn.decoder.Tick(NowMs());
    TakeAnswers();
    if (state.drawn.decoder.TakeInterrupt()) EndByInterrupt();
    if (state.drawn.decoder.TakeSuspend()) Suspend();
}

void DrainWakePipe() {
    char buffer[64];
    while (wakePipe[0] >= 0 && ::read(wakePipe[0], buffer, sizeof buffer) > 0) {
    }
}

// Waits up to timeoutMs (-1 for ever) for input or a signal's wake-up;
// false when neither came.
bool WaitForInput(int timeoutMs) {
#if defined(__APPLE__)
    // poll() does not take terminal devices there.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(kIn, &readable);
    int top = kIn;
    if (wakePipe[0] >= 0) {
        FD_SET(wakePipe[0], &readable);
        if (wakePipe[0] > top) top = wakePipe[0];
    }
    timeval tv{timeoutMs / 1000, static_cast<suseconds_t>(timeoutMs % 1000) * 1000};
    int r = ::select(top + 1, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &tv);
    if (r > 0 && wakePipe[0] >= 0 && FD_ISSET(wakePipe[0], &readable)) DrainWakePipe();
    return r != 0;
#else
    pollfd p[2] = {{kIn, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    int r = ::poll(p, wakePipe[0] >= 0 ? 2 : 1, timeoutMs);
    // A terminal that hung up stays "readable" for ever: that must end the game, not spin.
    if (r > 0 && (p[0].revents & (POLLHUP | POLLERR | POLLNVAL))) EndByHangUp();
    if (r > 0 && p[1].revents) DrainWakePipe();
    return r != 0;
#endif
}

// Asks the width of ambiguous glyphs and waits a moment for the answer, so
// that the first frame is drawn for it; one that comes later is taken then.
// Keys typed meanwhile go to the decoder as usual.
void AskAmbiguousWidth(int withoutAnswer) {
    constexpr std::int64_t kWaitMs = 300;
    // Which terminal it is first: its answer comes before the width's.
    WriteAll(kOut, std::string(kTerminalKindQuery) + AmbiguousWidthQuery());
    const std::int64_t asked = NowMs();
    state.widthQuestion.Asked(asked, withoutAnswer);
    for (const std::int64_t end = asked + kWaitMs; !state.widthQuestion.HasAnswer();) {
        std::int64_t left = end - NowMs();
        if (left <= 0 || !WaitForInput(static_cast<int>(left))) break;
        char buffer[256];
        ssize_t n = ::read(kIn, buffer, sizeof buffer);
        if (n > 0) state.drawn.decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs());
        else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
        TakeAnswers();
    }
}

// Sleeps `ns` nanoseconds, or less when input or a signal comes first (a
// Ctrl+C, a resize or a request to end is then seen at once; a key stays
// queued).
void NapUnlessInput(std::int64_t ns) {
    timespec request{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
#if defined(__linux__)
    if (terminalTaken) {
        pollfd p[2] = {{kIn, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        const int r = ::ppoll(p, wakePipe[0] >= 0 ? 2 : 1, &request, nullptr);
        if (r > 0 && (p[0].revents & (POLLHUP | POLLERR | POLLNVAL))) EndByHangUp();
        if (r > 0 && p[1].revents) DrainWakePipe();
        return;
    }
#endif
    // A signal ends the nap early (it is not taken up again), so the caller
    // sees what it asked for.
    timespec remaining{};
    ::nanosleep(&request, &remaining);
}

bool LargeEnough(int& columns, int& rows) {
    winsize ws{};
    if (::ioctl(kOut, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return true;
    columns = ws.ws_col;
    rows = ws.ws_row;
    return columns >= kMinColumns && rows >= kMinRows;
}

// A terminal smaller than the game's screen gets a notice, and the game
// waits here until the terminal is large enough.
void WaitForSize() {
    int columns = 0, rows = 0;
    bool noticed = false;
    while (!LargeEnough(columns, rows)) {
        if (!noticed || resized) {
            resized = 0;
            // Short lines, so that even a narrow terminal shows it whole;
            // Japanese first, as every text of the game, and the English below.
            const std::string need = std::to_string(kMinColumns) + "x" + std::to_string(kMinRows);
            const std::string now = std::to_string(columns) + "x" + std::to_string(rows);
            std::string notice =
                "\x1b[0m\x1b[H\x1b[2J"
                "端末が小さすぎます（いまは " +
                now + "）。\r\n" + need +
                " 以上に広げると続きます。\r\n\r\n"
                "The terminal is too small (" +
                now +
                ").\r\n"
                "Enlarge it to " +
                need + " or more to go on.";
            WriteAll(kOut, notice);
            noticed = true;
        }
        WaitForInput(100);
        ReadInput();
        if (quitSignal) EndBySignal(quitSignal);
        if (resumed) return;
    }
    state.drawn.renderer.SetTerminalSize(columns, rows);
    if (noticed) state.drawn.renderer.Invalidate();
}

void Present() {
    if (!terminalTaken) return;
    // The clock only matters while the form for both waits for an answer.
    if (state.drawn.renderer.AmbiguousWidth() == 0 && state.widthQuestion.Waiting())
        state.drawn.renderer.SetAmbiguousWidth(state.widthQuestion.Width(NowMs()));
    WriteAll(kOut, state.drawn.Frame());
}

// Every call that lets time pass comes here first: signals noticed,
// the terminal brought up to date (unless `present` is false: the game has
// not drawn its first screen yet, and the cursor it shows would flash).
void Service(bool present = true) {
    if (!state.opened) return;
    if (quitSignal) EndBySignal(quitSignal);
    for (;;) {
        if (resumed) {
            resumed = 0;
            if (!terminalTaken) TakeTerminal();
            state.drawn.renderer.Invalidate();
            resized = 1;
        }
        if (resized) {
            resized = 0;
            state.drawn.renderer.Invalidate();
            WaitForSize();
            if (resumed) continue;
        }
        break;
    }
    if (present) Present();
}

// What the environment says about the terminal: its type, what terminfo
// knows of it, and the locale's character set.
TerminalFacts GatherFacts() {
    TerminalFacts facts;
    if (const char* term = std::getenv("TERM")) facts.term = term;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            facts.localeVariable = name;
            facts.localeValue = value;
            break;
        }
    }
    // Only asked, then put back: the game itself runs in the C locale.
    if (std::setlocale(LC_CTYPE, "")) facts.codeset = ::nl_langinfo(CODESET);
    std::setlocale(LC_CTYPE, "C");
    if (facts.term) {
        for (const std::string& path :
             TermInfoPaths(*facts.term, std::getenv("TERMINFO"), std::getenv("HOME"), std::getenv("TERMINFO_DIRS"))) {
            std::ifstream file(path, std::ios::binary);
            if (!file) continue;
            std::string entry(std::istreambuf_iterator<char>(file), {});
            const std::optional<TermInfoAbilities> abilities = ReadTermInfo(entry);
            if (!abilities) continue;
            facts.cursorAddressing = abilities->cursorAddressing;
            facts.backgroundColourErase = abilities->backgroundColourErase;
            facts.directColour = abilities->directColour;
            break;
        }
    }
    return facts;
}

}  // namespace

namespace terminal {

void Open() {
    if (state.opened) return;
    if (!::isatty(kIn) || !::isatty(kOut)) {
        PrintError("ranks: standard input and output must be a terminal\n");
        std::exit(1);
    }
    // A terminal the game cannot draw on is left untouched.
    const TerminalFacts facts = GatherFacts();
    if (std::string refusal = TerminalRefusal(facts); !refusal.empty()) {
        PrintError(refusal + "\n");
        std::exit(1);
    }
    ::tcgetattr(kIn, &originalModes);
    if (::pipe(wakePipe) == 0) {
        for (int fd : wakePipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    } else {
        wakePipe[0] = wakePipe[1] = -1;
    }
#if defined(__linux__)
    // The default 50 us of timer slack would stretch every Sleep(1) of an animation by 5 %.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
#endif
    state.drawn.renderer = TerminalRenderer(
        ColoursFor(std::getenv("NO_COLOR"), std::getenv("COLORTERM"), facts.term.value_or(""), facts.directColour),
        facts.backgroundColourErase, ConsoleLook() ? ScreenLook::kConsole : ScreenLook::kMarked);
    InstallHandlers();
    state.opened = true;
    TakeTerminal();
    AskAmbiguousWidth(AmbiguousWidthWithoutAnswer(facts.localeValue));
    resized = 1;  // checks the size before the first frame
    Service(false);
}

// Something moved after all, or the key was handed over: the pauses count
// from now again if they ran ahead of it.
void EndStill() {
    if (state.stillKeyNs >= 0) state.pauses.Forget();
    state.still = false;
    state.stillKeyNs = -1;
}

void SetCursorPosition(int x, int y) { state.drawn.model.SetCursor(x, y); }
void SetAttribute(std::uint16_t attribute) { state.drawn.model.SetAttribute(attribute); }
void Write(std::string_view bytes) {
    if (state.still) EndStill();
    state.drawn.model.Write(bytes);
}
void SetCursorVisible(bool visible) { state.drawn.model.SetCursorVisible(visible); }
bool CursorVisible() { return state.drawn.model.CursorVisible(); }

constexpr std::int64_t kAwakeNs = 100'000;

void Sleep(std::uint32_t milliseconds) {
    if (state.still) EndStill();
    Service();
    // Keys typed since the last look are taken in (they stay queued for the
    // game): a Ctrl+C among them ends the game now, not after the animation.
    ReadInput();
    state.drawn.idle.Busy();
    // The end is fixed from the previous pause's end, so drawing and writing
    // the frame do not lengthen the animation; the first pause counts from
    // when its frame was written, which is when the terminal shows it (an
    // animation's first frame is often its largest: counted from before it
    // was drawn, a 7 ms slide showed for 6.93). One nap to the end: input
    // and signals end it early, and Ctrl+C and a resize are seen at once.
    const std::int64_t end = state.pauses.End(NowNs(), milliseconds);
    for (std::int64_t now = NowNs(); now < end; now = NowNs()) {
        // A nap wakes some 40-80 us late even with the slack at 1 us: the
        // last stretch is waited out awake, so a 7 ms slide lasts 7 ms.
        if (end - now <= kAwakeNs) continue;
        NapUnlessInput(end - now - kAwakeNs);
        ReadInput();
        if (NowNs() < end) Service();
    }
}

// Blocks until a key is queued (or a lone Escape settles into one); signals
// and resizes are served meanwhile.
void WaitForKey() {
    for (;;) {
        Service();
        ReadInput();
        if (state.drawn.decoder.HasKey()) return;
        std::int64_t settle = state.drawn.decoder.MsUntilSettled(NowMs());
        int timeout = settle < 0 ? -1 : static_cast<int>(settle) + 1;
        if (!terminalTaken) timeout = 100;  // stopped and not yet taken back
        WaitForInput(timeout);
    }
}

std::uint32_t PauseForKey(std::uint32_t step, std::uint32_t steps) {
    Service();
    ReadInput();
    state.drawn.idle.Busy();
    const std::int64_t stepNs = static_cast<std::int64_t>(step) * 1'000'000;
    // While still, after the key came, the pauses run on from where the
    // last one ended, however long ago that is now.
    const std::int64_t first = state.pauses.End(state.stillKeyNs >= 0 ? state.pauses.Last() : NowNs(), step);
    const std::int64_t last = first + (static_cast<std::int64_t>(steps) - 1) * stepNs;
    if (state.still) {
        // Nothing moves until a key: asleep until it comes, however many
        // pauses that spans. Those it outlasts pass at once.
        if (state.stillKeyNs < 0) {
            WaitForKey();
            state.stillKeyNs = NowNs();
        }
        if (state.stillKeyNs > last) {
            for (std::uint32_t k = 1; k < steps; ++k) state.pauses.End(first + (k - 1) * stepNs, step);
            return steps;
        }
    }
    // Asleep until the last pause ends or a key comes; the pause a key came
    // in is then slept to its end, where the game would have looked.
    std::int64_t end = last;
    if (state.still) {
        const std::int64_t keyNs = state.stillKeyNs;
        end = first + (keyNs <= first ? 0 : (keyNs - first + stepNs - 1) / stepNs * stepNs);
        state.still = false;
        state.stillKeyNs = -1;
    }
    for (std::int64_t now = NowNs(); now < end; now = NowNs()) {
        if (state.drawn.decoder.HasKey() && end == last)
            end = std::min(last, first + (now <= first ? 0 : (now - first + stepNs - 1) / stepNs * stepNs));
        if (now >= end) break;
        std::int64_t nap = end - now;
        // A lone Escape settles into a key of its own meanwhile.
        if (std::int64_t settle = state.drawn.decoder.MsUntilSettled(NowMs()); settle >= 0 && end == last)
            nap = std::min(nap, (settle + 1) * 1'000'000);
        NapUnlessInput(nap);
        ReadInput();
        if (NowNs() < end) Service();
    }
    const auto passed = static_cast<std::uint32_t>((end - first) / stepNs + 1);
    for (std::uint32_t k = 1; k < passed; ++k) state.pauses.End(first + (k - 1) * stepNs, step);
    return passed;
}

bool KeyWaiting() {
    Service();
    ReadInput();
    // The key that ends the stillness came after the pauses passed so far.
    if (state.stillKeyNs >= 0) return false;
    const bool waiting = state.drawn.KeyWaiting([] {
        // Only waiting for a key: sleep until one, a resize or a signal comes
        // (or a lone Escape settles into a key of its own).
        std::int64_t settle = state.drawn.decoder.MsUntilSettled(NowMs());
        int timeout = settle < 0 ? -1 : static_cast<int>(settle) + 1;
        if (!terminalTaken) timeout = 100;  // stopped and not yet taken back
        WaitForInput(timeout);
        state.pauses.Forget();
        ReadInput();
    });
    if (waiting) EndStill();
    return waiting;
}

void NothingMovesUntilKey() { state.still = true; }

// Ends with the tick of the seconds clock: the wall clock's own time to it,
// slept on the monotonic clock, so setting the clock meanwhile changes nothing.
void SleepUntilClock(std::int64_t seconds) {
    EndStill();
    Service();
    ReadInput();
    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    const std::int64_t left =
        (seconds - static_cast<std::int64_t>(wall.tv_sec)) * 1'000'000'000 - static_cast<std::int64_t>(wall.tv_nsec);
    const std::int64_t end = NowNs() + left;
    // One nap to the end: input and signals end it early, and Ctrl+C and a
    // resize are seen at once.
    for (std::int64_t now = NowNs(); now < end; now = NowNs()) {
        NapUnlessInput(end - now);
        ReadInput();
        if (NowNs() < end) Service();
    }
    state.pauses.Forget();
}

int ReadKey() {
    EndStill();
    state.drawn.idle.Busy();
    state.pauses.Forget();
    for (;;) {
        Service();
        ReadInput();
        if (state.drawn.decoder.HasKey()) return state.drawn.decoder.NextKey();
        std::int64_t settle = state.drawn.decoder.MsUntilSettled(NowMs());
        // A quit signal wakes the wait through the pipe, so it may last.
        int timeout = settle < 0 ? -1 : static_cast<int>(settle) + 1;
        if (!terminalTaken) timeout = 100;  // stopped and not yet taken back
        WaitForInput(timeout);
    }
}

std::int64_t ClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void TakeText(bool on) { state.drawn.decoder.TakeText(on); }

int RunInConsole(const std::vector<std::string>& command) {
    if (command.empty()) return -1;
    Present();
    RestoreTerminal();
    // An interrupt typed before the other program takes the terminal is its own.
    const std::sig_atomic_t quitBefore = quitSignal;
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    int status = -1;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) == 0) {
        int waited = 0;
        while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        // As a shell says it: 128 and the signal for one that ended it.
        status = waited != child       ? -1
                 : WIFEXITED(status)   ? WEXITSTATUS(status)
                 : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                       : -1;
    }
    if (quitBefore == 0 && quitSignal == SIGINT) quitSignal = 0;
    state.drawn.decoder.Clear();
    TakeTerminal();
    resized = 1;
    Service(false);
    return status;
}

void Exit(int status) {
    Present();
    std::fflush(nullptr);
    RestoreTerminal();
    WriteAll(STDERR_FILENO, TakeFarewell());
    std::exit(status & 0xFF);
}

}  // namespace terminal

void ShowTitle(std::string_view utf8) {
    gameTitle = utf8;
    if (!terminalTaken) return;
    // The user's title is pushed once, and popped on leaving.
    std::string out = titleSet ? "\x1b]2;" : "\x1b[22;0t\x1b]2;";
    titleSet = 1;
    for (char c : utf8) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    WriteAll(kOut, out + "\x07");
}

const Speaker* NativeSpeaker() { return &SpeechDispatcher(); }

const Backend& NativeBackend() {
    static constexpr Backend kTerminal{terminal::Open,
                                       terminal::SetCursorPosition,
                                       terminal::SetAttribute,
                                       terminal::Write,
                                       terminal::SetCursorVisible,
                                       terminal::CursorVisible,
                                       terminal::Sleep,
                                       terminal::PauseForKey,
                                       terminal::KeyWaiting,
                                       terminal::ReadKey,
                                       terminal::ClockSeconds,
                                       terminal::Exit,
                                       terminal::SleepUntilClock,
                                       terminal::NothingMovesUntilKey,
                                       nullptr,
                                       nullptr,
                                       terminal::TakeText,
                                       terminal::RunInConsole};
    return kTerminal;
}

}  // namespace rf::platform
