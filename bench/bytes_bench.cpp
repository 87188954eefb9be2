// Bytes a terminal is sent for the game's real frame sequences: our
// renderer against ncurses drawing the very same console-model frames.
//   ranks_bench_bytes WORLD_DIR
// RANKS_DUMP=<scenario> RANKS_DUMP_FRAME=<n> prints frame n both ways
// (n 0: the bytes of every frame); RANKS_DUMP_WIDTH=0, 1, 2 or 3 picks which
// of ours (the form for both widths, one cell, two cells, no answer; 1 by
// default).
// Both render every frame at every point where the terminal backend
// presents one. A glyph of ambiguous width is drawn by ncurses as the
// C library measures it (one cell) followed by a blank, as a terminal of
// one-cell ambiguous glyphs shows it; ours is measured with the width
// answered (one cell, two cells), unanswered (the form for both while an
// answer may still come, then one cell: a player whose first key comes
// after that wait), and in the form for both throughout (the first
// seconds, or no answer under an East Asian locale). Both use the sixteen-colour
// palette (light grey, or bright white and bold, on black). ncurses is set
// up at its best: it is told the terminal's default colours are the plain
// ones (so plain cells need no colour and every erase is plain), it leaves
// the cursor alone while it is hidden, and it refreshes once per frame.
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
#include "own_folders.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/terminal_requirements.h"
#include "text/cp932.h"
#include "text/utf8.h"
#include "vt_screen.h"

namespace {

using namespace rf;
using platform::Cell;
using platform::TerminalRenderer;

// ncurses drawing the console model through curses calls, into a file.
class CursesSink {
public:
    CursesSink() {
        out_ = std::tmpfile();
        in_ = std::fopen("/dev/null", "r");
        screen_ = newterm("xterm-256color", out_, in_);
        set_term(screen_);
        start_color();
        // Light grey on black, ours' plain colours, are the terminal's own.
        assume_default_colors(COLOR_WHITE, COLOR_BLACK);
        idlok(stdscr, TRUE);
        idcok(stdscr, TRUE);
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
        struct stat st {};
        fstat(fileno(out_), &st);
        return static_cast<long>(st.st_size);
    }
    std::string Tail(long n) {
        std::fflush(out_);
        std::string t(static_cast<std::size_t>(n), '\0');
        pread(fileno(out_), t.data(), t.size(), Bytes() - n);
        return t;
    }
    // The screen as the terminal shows it: what a player sees, cell by cell.
    void Frame(const test::VtScreen& t) {
        set_term(screen_);
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 80; ++x) {
                const auto& g = t.cells[y][x];
                if (g.continuation) continue;
                Put(y, x, g.cp, g.pen);
            }
        }
        const bool cursor = t.cursorVisible && t.y < 25;
        curs_set(cursor ? 1 : 0);
        leaveok(stdscr, cursor ? FALSE : TRUE);  // a hidden cursor may stay where drawing left it
        if (cursor) move(t.y, t.x);
        refresh();
    }

private:
    // The terminal's pen as ncurses colours: the sixteen colours for
    // foreground and background; the terminal's own (light grey on black)
    // is pair 0.
    attr_t Attributes(const test::VtScreen::Pen& pen, short& pair) {
        const auto fg = static_cast<short>(pen.fg < 0 ? COLOR_WHITE : pen.fg);
        const auto bg = static_cast<short>(pen.bg < 0 ? COLOR_BLACK : pen.bg);
        pair = fg == COLOR_WHITE && bg == COLOR_BLACK ? 0 : static_cast<short>(1 + fg * 16 + bg);
        if (pair && !inited_[pair]) {
            init_pair(pair, fg, bg);
            inited_[pair] = true;
        }
        attr_t at = pen.bold ? A_BOLD : A_NORMAL;
        if (pen.reverse) at |= A_REVERSE;
        if (pen.underline) at |= A_UNDERLINE;
        return at;
    }
    void Put(int y, int x, std::uint32_t cp, const test::VtScreen::Pen& pen) {
        short pair = 0;
        attr_t at = Attributes(pen, pair);
        wchar_t w[2] = {static_cast<wchar_t>(cp), 0};
        cchar_t cc;
        setcchar(&cc, w, at, pair, nullptr);
        mvadd_wch(y, x, &cc);
    }

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

// Today's bytes in the form for both, which a change may not exceed (the
// battles with the marks of the menu that has the keys and the waiting mark).
struct Budget {
    const char* scenario;
    long formForBoth;
};
constexpr Budget kFormForBoth[] = {
    {"start-up", 1283},        {"ten steps", 127}, {"sideways map change", 14576}, {"vertical map change", 4059},
    {"chase and wipes", 8686}, {"battle", 4046},   {"battle with level-up", 7726},
};

int main(int argc, char** argv) {
    const char* dumpName = std::getenv("RANKS_DUMP");
    const long dumpFrame = std::getenv("RANKS_DUMP_FRAME") ? std::atol(std::getenv("RANKS_DUMP_FRAME")) : 5;
    if (argc < 2) {
        std::fprintf(stderr, "usage: ranks_bench_bytes WORLD_DIR [--check]\n");
        return 2;
    }
    const bool check = argc > 2 && std::string(argv[2]) == "--check";
    const test::OwnFolders ownFolders;  // the scenarios' games save as any game does
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::filesystem::path world = argv[1];
    const auto scratch = std::filesystem::temp_directory_path() / ("ranks-bytes-" + std::to_string(::getpid()));
    std::printf(
        "| scenario | frames | ncurses at its best | ours: 1 cell | 2 cells | unanswered | form for both | "
        "1 cell / ncurses | 2 cells / ncurses | unanswered / ncurses | form for both / ncurses | "
        "1 cell, an unknown terminal | ours, us per frame |\n");
    std::printf("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n");
    int failures = 0;
    for (const auto& s : scenario::All()) {
        // Ours on a terminal known to keep the background in moved blanks
        // (xterm, VTE, tmux), and the first again on one not known to.
        TerminalRenderer ours[5];
        ours[1].SetAmbiguousWidth(1);
        ours[2].SetAmbiguousWidth(2);
        ours[4].SetAmbiguousWidth(1);
        for (int k = 0; k < 4; ++k) ours[k].SetMovedBlanksKept(true);
        for (auto& r : ours) r.SetTerminalSize(80, 25);
        // What the terminal shows of the first: the screens ncurses is fed.
        test::VtScreen shown(1);
        long bytes[5] = {0, 0, 0, 0, 0};
        bool first = true;
        CursesSink curses;
        long cursesBefore = 0;
        long frames = 0;
        double renderNs = 0;
        const bool dump = dumpName && std::string(dumpName) == s.name;
        const int dumped = std::getenv("RANKS_DUMP_WIDTH") ? std::atoi(std::getenv("RANKS_DUMP_WIDTH")) : 1;
        bool wasCounted = false;
        scenario::Play(s, world, scratch, [&](bool counted) {
            const auto& m = headless::Screen();
            if (counted && !wasCounted) cursesBefore = curses.Bytes();
            wasCounted = counted;
            // No answer: the wait is over by the player's first key.
            if (!first) ours[3].SetAmbiguousWidth(platform::AmbiguousWidthWithoutAnswer("C.UTF-8"));
            first = false;
            bool any = false;
            long oursThis = 0;
            for (int k = 0; k < 5; ++k) {
                auto t0 = std::chrono::steady_clock::now();
                std::string f = ours[k].Frame(m);
                if (k == 1 && counted)
                    renderNs += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
                if (k == 1) shown.Feed(f);
                if (k == dumped) oursThis = static_cast<long>(f.size());
                if (k == dumped && dump && counted && frames == dumpFrame && !f.empty())
                    std::fprintf(stderr, "OURS %zu: %s\n", f.size(), Escaped(f).c_str());
                if (counted) bytes[k] += static_cast<long>(f.size());
                any = any || !f.empty();
            }
            if (counted && any) ++frames;
            const long before = curses.Bytes();
            curses.Frame(shown);
            if (dump && counted && frames == dumpFrame + 1 && oursThis)
                std::fprintf(stderr, "NCURSES %ld: %s\n", curses.Bytes() - before,
                             Escaped(curses.Tail(curses.Bytes() - before)).c_str());
            if (dump && counted && !dumpFrame)
                std::fprintf(stderr, "frame %ld: ours %ld ncurses %ld\n", frames, oursThis, curses.Bytes() - before);
        });
        const long nc = curses.Bytes() - cursesBefore;
        auto ratio = [nc](long a) { return nc > 0 ? static_cast<double>(a) / static_cast<double>(nc) : 0.0; };
        std::printf("| %s | %ld | %ld | %ld | %ld | %ld | %ld | %.2f | %.2f | %.2f | %.2f | %ld | %.0f |\n", s.name,
                    frames, nc, bytes[1], bytes[2], bytes[3], bytes[0], ratio(bytes[1]), ratio(bytes[2]),
                    ratio(bytes[3]), ratio(bytes[0]), bytes[4],
                    frames ? renderNs / 1000.0 / static_cast<double>(frames) : 0.0);
        if (!check) continue;
        // The answered and unanswered forms at most what ncurses sends; the
        // form for both at most today's.
        for (int k : {1, 2, 3})
            if (bytes[k] > nc) {
                std::fprintf(stderr, "FAIL %s: %ld bytes (form %d) above ncurses' %ld\n", s.name, bytes[k], k, nc);
                ++failures;
            }
        for (const Budget& b : kFormForBoth)
            if (std::string(b.scenario) == s.name && bytes[0] > b.formForBoth) {
                std::fprintf(stderr, "FAIL %s: %ld bytes in the form for both, above %ld\n", s.name, bytes[0],
                             b.formForBoth);
                ++failures;
            }
    }
    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
