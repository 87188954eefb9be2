// Bytes a terminal is sent for the game's real frame sequences: our
// renderer against ncurses drawing the very same console-model frames.
//   ranks_bench_bytes WORLD_DIR [--check]
// RANKS_DUMP=<scenario> RANKS_DUMP_FRAME=<n> prints frame n both ways
// (n 0: the bytes of every frame); RANKS_DUMP_FORM=0 to 4 picks which of
// ours (the columns' order: 1 cell, 2 cells, unanswered, unanswered at
// once, form for both; 0 by default) and RANKS_DUMP_TRUSTED=0 the form for
// a terminal whose moved blanks are not trusted.
// Both render every frame at every point where the terminal backend
// presents one. A glyph of ambiguous width is drawn by ncurses as the
// C library measures it (one cell) followed by a blank, as a terminal of
// one-cell ambiguous glyphs shows it; ours is measured with the width
// answered (one cell, two cells), unanswered (the form for both while an
// answer may still come, then one cell: a player whose first key comes
// after that wait, and one who plays at once, the form for both through
// the first 2 s), and in the form for both throughout (no answer under an
// East Asian locale). Each on a terminal known to keep the background in
// the blanks that inserting, deleting and scrolling bring in (xterm, VTE),
// and on one not known to (every other), beside ncurses with a terminfo
// entry that claims background-colour erase and one that does not (which
// is what ncurses must take to be right where those blanks are not
// trusted: xterm-256color without bce, compiled with tic). Both use the
// sixteen-colour palette (light grey, or bright white and bold, on black).
// ncurses is set up at its best: it is told the terminal's default colours
// are the plain ones (so plain cells need no colour), it leaves the cursor
// alone while it is hidden, and it refreshes once per frame. Told so,
// ncurses without bce writes plain blanks rather than erasing or shifting
// them in, as it must where the terminal's own background need not be the
// game's black; with use_default_colors instead it would erase and shift
// them as with bce, right only where that background is black.
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
#include <fstream>
#include <string>
#include <vector>

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
    explicit CursesSink(const char* term) {
        out_ = std::tmpfile();
        in_ = std::fopen("/dev/null", "r");
        screen_ = newterm(term, out_, in_);
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

// Compiles xterm-256color as it is, and without bce under a name of its
// own (ncurses reuses an entry it has loaded by name), into `folder`, and
// points ncurses there.
bool MakeTermInfo(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    FILE* in = popen("infocmp -x xterm-256color", "r");
    if (!in) return false;
    std::string entry;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) entry.append(buffer, n);
    if (pclose(in) != 0 || entry.find(" bce,") == std::string::npos) return false;
    std::string withoutBce = entry;
    withoutBce.replace(withoutBce.find(" bce,"), 5, "");
    withoutBce.replace(withoutBce.find("xterm-256color|"), 15, "xterm-256color-nobce|");
    std::ofstream(folder / "entries") << entry << withoutBce;
    const std::string tic = "tic -x -o '" + folder.string() + "' '" + (folder / "entries").string() + "' 2>/dev/null";
    if (std::system(tic.c_str()) != 0) return false;
    ::setenv("TERMINFO", folder.c_str(), 1);
    return true;
}

// Our forms, in the tables' order: the width answered (one cell, two
// cells); unanswered, a key after the wait (the form for both on the first
// screen) or play at once (the form for both through the wait); the form
// for both throughout.
enum Form { kOneCell, kTwoCells, kUnanswered, kAtOnce, kForBoth, kForms };

// Today's bytes in the form for both, on a terminal whose moved blanks
// are trusted and on one whose are not, which a change may not exceed; the
// form for both through the first 2 s neither (the battles with the marks
// of the menu that has the keys and the waiting mark).
struct Budget {
    const char* scenario;
    long formForBoth[2];  // not trusted, trusted
};
constexpr Budget kFormForBoth[] = {
    {"start-up", {1283, 1283}},
    {"ten steps", {114, 114}},
    {"sideways map change", {19420, 14576}},
    {"vertical map change", {4126, 4059}},
    {"chase and wipes", {10936, 8646}},
    {"battle", {4316, 4046}},
    {"battle with level-up", {7976, 7726}},
};

struct Result {
    std::string scenario;
    long frames = 0;
    long ncurses[2] = {};       // without bce, with
    long ours[2][kForms] = {};  // not trusted, trusted
    double usPerFrame = 0;
};

void PrintTable(const std::vector<Result>& results, bool trusted) {
    const int t = trusted ? 1 : 0;
    std::printf("\n%s\n\n", trusted ? "Moved blanks trusted (xterm, VTE), against ncurses with bce:"
                                    : "Moved blanks not trusted (every other terminal), against ncurses without bce:");
    std::printf(
        "| scenario | frames | ncurses | 1 cell | 2 cells | unanswered | unanswered, at once | form for both | "
        "1 cell / ncurses | 2 cells / ncurses | unanswered / ncurses | at once / ncurses | form for both / ncurses "
        "|%s\n",
        trusted ? " us per frame |" : "");
    std::printf("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |%s\n",
                trusted ? " ---: |" : "");
    for (const Result& r : results) {
        const long nc = r.ncurses[t];
        std::printf("| %s | %ld | %ld |", r.scenario.c_str(), r.frames, nc);
        for (long b : r.ours[t]) std::printf(" %ld |", b);
        for (long b : r.ours[t])
            std::printf(" %.2f |", nc > 0 ? static_cast<double>(b) / static_cast<double>(nc) : 0.0);
        if (trusted) std::printf(" %.0f |", r.usPerFrame);
        std::printf("\n");
    }
}

// The answered forms and the unanswered one at most what ncurses sends
// (without bce where moved blanks are not trusted), the form for both
// (throughout, or through the first 2 s) at most today's figures; the
// failures.
int Check(const Result& r) {
    int failures = 0;
    static const char* const kNames[] = {"1 cell", "2 cells", "unanswered", "unanswered at once", "form for both"};
    for (int t = 0; t < 2; ++t) {
        auto fail = [&](int form, long limit) {
            std::fprintf(stderr, "FAIL %s: %s, %s, %ld bytes, above %ld\n", r.scenario.c_str(),
                         t ? "trusted" : "not trusted", kNames[form], r.ours[t][form], limit);
            ++failures;
        };
        for (int f : {kOneCell, kTwoCells, kUnanswered})
            if (r.ours[t][f] > r.ncurses[t]) fail(f, r.ncurses[t]);
        for (const Budget& b : kFormForBoth)
            for (int f : {kAtOnce, kForBoth})
                if (r.scenario == b.scenario && r.ours[t][f] > b.formForBoth[t]) fail(f, b.formForBoth[t]);
    }
    return failures;
}

int main(int argc, char** argv) {
    const char* dumpName = std::getenv("RANKS_DUMP");
    const long dumpFrame = std::getenv("RANKS_DUMP_FRAME") ? std::atol(std::getenv("RANKS_DUMP_FRAME")) : 5;
    const int dumped = std::getenv("RANKS_DUMP_FORM") ? std::atoi(std::getenv("RANKS_DUMP_FORM")) : 0;
    const int dumpedTrust = std::getenv("RANKS_DUMP_TRUSTED") ? std::atoi(std::getenv("RANKS_DUMP_TRUSTED")) : 1;
    if (argc < 2) {
        std::fprintf(stderr, "usage: ranks_bench_bytes WORLD_DIR [--check]\n");
        return 2;
    }
    const bool check = argc > 2 && std::string(argv[2]) == "--check";
    const test::OwnFolders ownFolders;  // the scenarios' games save as any game does
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::filesystem::path world = argv[1];
    const auto scratch = std::filesystem::temp_directory_path() / ("ranks-bytes-" + std::to_string(::getpid()));
    // Nothing of the player's: the game's folders and terminfo's are the scratch folder's.
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        std::filesystem::create_directories(scratch / variable);
        ::setenv(variable, (scratch / variable).c_str(), 1);
    }
    if (!MakeTermInfo(scratch / "terminfo")) {
        std::fprintf(stderr, "ranks_bench_bytes: xterm-256color could not be compiled without bce (infocmp, tic)\n");
        std::filesystem::remove_all(scratch);
        return 2;
    }
    std::vector<Result> results;
    int failures = 0;
    for (const auto& s : scenario::All()) {
        TerminalRenderer ours[2][kForms];
        for (int t = 0; t < 2; ++t) {
            ours[t][kOneCell].SetAmbiguousWidth(1);
            ours[t][kTwoCells].SetAmbiguousWidth(2);
            for (auto& r : ours[t]) {
                r.SetMovedBlanksKept(t == 1);
                r.SetTerminalSize(80, 25);
            }
        }
        // What the terminal shows of the trusted one cell: the screens ncurses is fed.
        test::VtScreen shown(1);
        Result result{s.name};
        bool first = true;
        std::int64_t startMs = 0;
        CursesSink curses[2] = {CursesSink("xterm-256color-nobce"), CursesSink("xterm-256color")};
        long cursesBefore[2] = {};
        double renderNs = 0;
        const bool dump = dumpName && std::string(dumpName) == s.name;
        bool wasCounted = false;
        scenario::Play(s, world, scratch / "world", [&](bool counted) {
            const auto& m = headless::Screen();
            if (counted && !wasCounted)
                for (int c = 0; c < 2; ++c) cursesBefore[c] = curses[c].Bytes();
            wasCounted = counted;
            if (first) startMs = headless::NowMs();
            const int withoutAnswer = platform::AmbiguousWidthWithoutAnswer("C.UTF-8");
            const bool waited = headless::NowMs() - startMs >= platform::AmbiguousWidthQuestion::kPatienceMs;
            bool any = false;
            long oursThis = 0;
            for (int t = 0; t < 2; ++t) {
                // No answer: the wait is over by the player's first key, or after 2 s of play.
                if (!first) ours[t][kUnanswered].SetAmbiguousWidth(withoutAnswer);
                if (waited) ours[t][kAtOnce].SetAmbiguousWidth(withoutAnswer);
                for (int k = 0; k < kForms; ++k) {
                    auto t0 = std::chrono::steady_clock::now();
                    std::string f = ours[t][k].Frame(m);
                    if (t == 1 && k == kOneCell && counted)
                        renderNs +=
                            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
                    if (t == 1 && k == kOneCell) shown.Feed(f);
                    const bool dumping = t == dumpedTrust && k == dumped;
                    if (dumping) oursThis = static_cast<long>(f.size());
                    if (dumping && dump && counted && result.frames == dumpFrame && !f.empty())
                        std::fprintf(stderr, "OURS %zu: %s\n", f.size(), Escaped(f).c_str());
                    if (counted) result.ours[t][k] += static_cast<long>(f.size());
                    any = any || !f.empty();
                }
            }
            first = false;
            if (counted && any) ++result.frames;
            for (int c = 0; c < 2; ++c) {
                const long before = curses[c].Bytes();
                curses[c].Frame(shown);
                if (c != dumpedTrust) continue;
                if (dump && counted && result.frames == dumpFrame + 1 && oursThis)
                    std::fprintf(stderr, "NCURSES %ld: %s\n", curses[c].Bytes() - before,
                                 Escaped(curses[c].Tail(curses[c].Bytes() - before)).c_str());
                if (dump && counted && !dumpFrame)
                    std::fprintf(stderr, "frame %ld: ours %ld ncurses %ld\n", result.frames, oursThis,
                                 curses[c].Bytes() - before);
            }
        });
        for (int c = 0; c < 2; ++c) result.ncurses[c] = curses[c].Bytes() - cursesBefore[c];
        result.usPerFrame = result.frames ? renderNs / 1000.0 / static_cast<double>(result.frames) : 0.0;
        if (check) failures += Check(result);
        results.push_back(result);
    }
    PrintTable(results, true);
    PrintTable(results, false);
    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
