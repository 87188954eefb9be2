// Bytes a terminal is sent for the game's real frame sequences: our
// renderer against ncurses drawing the very same console-model frames.
//   ranks_bench_bytes WORLD_DIR
// RANKS_DUMP=<scenario> RANKS_DUMP_FRAME=<n> prints frame n both ways
// (n 0: the bytes of every frame).
// Both render every frame at every point where the terminal backend
// presents one. A glyph of ambiguous width is drawn by ncurses as the
// C library measures it (one cell) followed by a blank, as a terminal of
// one-cell ambiguous glyphs shows it; ours is measured with the width
// unknown (the fallback), one cell and two cells. Both use the sixteen-colour
// palette (light grey, or bright white and bold, on black); ncurses is also
// measured with the terminal's own colours and bold, its cheapest form.
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>

#include "game_scenarios.h"
#include "text/cp932.h"
#include "text/utf8.h"
#include "platform/model/terminal_renderer.h"

namespace {

using namespace rf;
using platform::Cell;
using platform::TerminalRenderer;

// ncurses drawing the console model through curses calls, into a file.
class CursesSink {
public:
    // `ownColours`: the terminal's default colours for plain text and
    // bold for the highlight, the cheapest ncurses can do.
    explicit CursesSink(bool ownColours) : ownColours_(ownColours) {
        out_ = std::tmpfile();
        in_ = std::fopen("/dev/null", "r");
        screen_ = newterm("xterm-256color", out_, in_);
        set_term(screen_);
        start_color();
        use_default_colors();
        idlok(stdscr, TRUE);
        idcok(stdscr, TRUE);
        leaveok(stdscr, FALSE);
        // Blank cells light grey on black, as ours clears the screen.
        short pair = 0;
        Attributes(7, pair);
        if (pair) bkgdset(COLOR_PAIR(pair));
    }
    ~CursesSink() {
        endwin();
        delscreen(screen_);
        std::fclose(out_);
        std::fclose(in_);
    }
    long Bytes() {
        set_term(screen_);
        std::fflush(out_);
        struct stat st{};
        fstat(fileno(out_), &st);
        return static_cast<long>(st.st_size);
    }
    std::string Tail(long n) {
        std::fflush(out_);
        std::string t(static_cast<std::size_t>(n), '\0');
        pread(fileno(out_), t.data(), t.size(), Bytes() - n);
        return t;
    }
    void Frame(const platform::VirtualConsole& m) {
        set_term(screen_);
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 80; ++x) {
                const Cell& c = m.At(x, y);
                if (c.half == 2) continue;
                std::uint32_t cp;
                if (c.half == 1 && x < 79) {
                    cp = UnicodeOf(c.code);
                    if (cp == 0) cp = 0x30FB;
                } else {
                    std::uint16_t code = c.half == 0 ? c.code : ' ';
                    cp = code < 0x20 || code == 0x7F ? ' ' : UnicodeOf(code);
                    if (cp == 0) cp = 0xFF65;
                }
                Put(y, x, cp, c.attribute);
                if (c.half == 1 && x < 79 && wcwidth(static_cast<wchar_t>(cp)) != 2) Put(y, x + 1, ' ', c.attribute);
            }
        }
        bool cursor = m.CursorVisible() && m.CursorY() < 25;
        curs_set(cursor ? 1 : 0);
        if (cursor) move(m.CursorY(), m.CursorX());
        refresh();
    }

private:
    // The console attribute as ncurses colours, the palette ours selects:
    // the sixteen colours for foreground and background.
    attr_t Attributes(std::uint16_t a, short& pair) {
        if (ownColours_) {
            pair = 0;
            return (a & 0x08 ? A_BOLD : A_NORMAL) | (a & 0x4000 ? A_REVERSE : A_NORMAL) | (a & 0x8000 ? A_UNDERLINE : A_NORMAL);
        }
        auto ansi = [](int c) { return static_cast<short>((c & 2) | (c & 1) << 2 | (c & 4) >> 2 | (c & 8)); };
        short fg = ansi(a & 0x0F), bg = ansi(a >> 4 & 0x0F);
        pair = static_cast<short>(1 + fg * 16 + bg);
        if (!inited_[pair]) {
            init_pair(pair, fg, bg);
            inited_[pair] = true;
        }
        attr_t at = (a & 0x08) ? A_BOLD : A_NORMAL;  // bright white is bold too, as ours draws it
        if (a & 0x4000) at |= A_REVERSE;
        if (a & 0x8000) at |= A_UNDERLINE;
        return at;
    }
    void Put(int y, int x, std::uint32_t cp, std::uint16_t attribute) {
        short pair = 0;
        attr_t at = Attributes(attribute, pair);
        wchar_t w[2] = {static_cast<wchar_t>(cp), 0};
        cchar_t cc;
        setcchar(&cc, w, at, pair, nullptr);
        mvadd_wch(y, x, &cc);
    }

    bool ownColours_;
    bool inited_[260] = {};
    FILE* out_;
    FILE* in_;
    SCREEN* screen_;
};

}  // namespace

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

int main(int argc, char** argv) {
    const char* dumpName = std::getenv("RANKS_DUMP");
    const long dumpFrame = std::getenv("RANKS_DUMP_FRAME") ? std::atol(std::getenv("RANKS_DUMP_FRAME")) : 5;
    if (argc < 2) {
        std::fprintf(stderr, "usage: ranks_bench_bytes WORLD_DIR\n");
        return 2;
    }
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::filesystem::path world = argv[1];
    const auto scratch = std::filesystem::temp_directory_path() / ("ranks-bytes-" + std::to_string(::getpid()));
    std::printf("| scenario | frames | ours, width unknown | ours, ambiguous 1 cell | ours, 2 cells | ncurses, same colours | ncurses, terminal's colours | ours 1 cell / ncurses same colours | ours 1 cell / ncurses terminal's colours | ours, us per frame |\n");
    std::printf("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n");
    for (const auto& s : scenario::All()) {
        TerminalRenderer ours[3];
        ours[1].SetAmbiguousWidth(1);
        ours[2].SetAmbiguousWidth(2);
        long bytes[3] = {0, 0, 0};
        CursesSink curses(false), plainSink(true);  // plainSink: the terminal's own colours
        long cursesBefore = 0, plainBefore = 0;
        long frames = 0;
        double renderNs = 0;
        const bool dump = dumpName && std::string(dumpName) == s.name;
        bool wasCounted = false;
        scenario::Play(s, world, scratch, [&](bool counted) {
            const auto& m = headless::Screen();
            if (counted && !wasCounted) {
                cursesBefore = curses.Bytes();
                plainBefore = plainSink.Bytes();
            }
            wasCounted = counted;
            bool any = false;
            long before = plainSink.Bytes();
            long oursThis = 0;
            for (int k = 0; k < 3; ++k) {
                auto t0 = std::chrono::steady_clock::now();
                std::string f = ours[k].Frame(m);
                if (k == 1 && counted) renderNs += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
                if (k == 1) oursThis = static_cast<long>(f.size());
                if (k == 1 && dump && counted && frames == dumpFrame && !f.empty()) std::fprintf(stderr, "OURS %zu: %s\n", f.size(), Escaped(f).c_str());
                if (counted) bytes[k] += static_cast<long>(f.size());
                any = any || !f.empty();
            }
            if (counted && any) ++frames;
            curses.Frame(m);
            plainSink.Frame(m);
            if (dump && counted && frames == dumpFrame + 1 && oursThis) std::fprintf(stderr, "NCURSES %ld: %s\n", plainSink.Bytes() - before, Escaped(plainSink.Tail(plainSink.Bytes() - before)).c_str());
            if (dump && counted && !dumpFrame) std::fprintf(stderr, "frame %ld: ours %ld ncurses %ld\n", frames, oursThis, plainSink.Bytes() - before);
        });
        long nc = curses.Bytes() - cursesBefore, ns = plainSink.Bytes() - plainBefore;
        auto ratio = [](long a, long b) { return b > 0 ? static_cast<double>(a) / static_cast<double>(b) : 0.0; };
        std::printf("| %s | %ld | %ld | %ld | %ld | %ld | %ld | %.2f | %.2f | %.0f |\n", s.name, frames, bytes[0], bytes[1],
                    bytes[2], nc, ns, ratio(bytes[1], nc), ratio(bytes[1], ns), frames ? renderNs / 1000.0 / static_cast<double>(frames) : 0.0);
    }
    std::filesystem::remove_all(scratch);
    return 0;
}
