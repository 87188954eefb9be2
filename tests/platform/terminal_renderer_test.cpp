#include "platform/model/terminal_renderer.h"
#include "platform/model/terminal_requirements.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#if RANKS_HAVE_VTERM
#include <vterm.h>
#endif

#include "game_scenarios.h"
#include "platform/backend.h"
#include "platform/console_session.h"
#include "program/command_line.h"
#include "test_support.h"
#include "text/cp932.h"
#include "vt_screen.h"

namespace rf::platform {
namespace {

using namespace rf;

using Pen = test::VtScreen::Pen;

// Where terminal `t` does not show model `vc` (empty when it shows it all):
// each glyph and its pen, the cursor, and blanks beyond the game's columns.
// Codes without a character show as middle dots.
std::string Mismatch(const test::VtScreen& t, const VirtualConsole& vc, Colours colours, bool reversed) {
    auto expected = [](const Cell& c) -> std::uint32_t {
        if (c.half == 0 && (c.code < 0x20 || c.code == 0x7F)) return ' ';
        std::uint32_t cp = UnicodeOf(c.code);
        return cp ? cp : c.half == 0 ? 0xFF65 : 0x30FB;
    };
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < t.columns; ++x) {
            const auto& s = t.cells[y][x];
            auto where = [&] { return std::to_string(x) + "," + std::to_string(y) + ": "; };
            if (x >= 80) {
                if (s.cp != U' ' || s.continuation) return where() + "beyond the game's columns";
                continue;
            }
            const Cell& c = vc.At(x, y);
            if (c.half == 2) {
                bool second = t.WidthOf(expected(vc.At(x - 1, y))) == 2;
                if (second ? !s.continuation : s.cp != U' ') return where() + "second half";
                // Drawn one cell wide, its blank second cell is marked with the glyph.
                if (!second && s.pen.reverse != (reversed && (c.attribute & 8) != 0))
                    return where() + "second half's mark";
                continue;
            }
            if (s.cp != expected(c)) return where() + "glyph";
            // Attribute 7 or 15: light grey, or bright white on black; 15
            // in reverse (blanks never), or in the console's look bold; the
            // underscore bit underlined.
            bool blank = s.cp == U' ', bright = (c.attribute & 8) != 0;
            bool bold = bright && !blank && !reversed, reverse = bright && !blank && reversed;
            bool under = (c.attribute & platform::kUnderscore) != 0;
            Pen want = colours == Colours::kExact ? Pen{bright ? 0x1FFFFFF : 0x1C0C0C0, 0x1000000, bold, under, reverse}
                       : colours == Colours::kPalette ? Pen{bright ? 15 : 7, 0, bold, under, reverse}
                                                      : Pen{-1, -1, false, under, reverse};
            Pen got = s.pen;
            if (blank) got.fg = want.fg, got.bold = want.bold;  // no glyph shows them
            auto show = [](const Pen& p) {
                return std::to_string(p.fg) + "/" + std::to_string(p.bg) + (p.bold ? " bold" : "") +
                       (p.underline ? " underline" : "") + (p.reverse ? " reverse" : "");
            };
            if (!(got == want)) return where() + "pen " + show(got) + ", not " + show(want);
        }
    }
    bool cursor = vc.CursorVisible() && vc.CursorY() < 25;
    if (t.cursorVisible != cursor) return "cursor visibility";
    if (cursor && (t.x != vc.CursorX() || t.y != vc.CursorY())) return "cursor position";
    if (t.unknown) return "sequences a terminal may not take";
    return "";
}

// Where the cells the renderer says a terminal of 24-bit colours shows
// (what the web page draws) differ from what terminal `t` shows.
std::string ShownMismatch(TerminalRenderer& r, const test::VtScreen& t, const VirtualConsole& vc) {
    if (r.colours() != Colours::kExact || r.AmbiguousWidth() == 0) return "";
    r.Want(vc);
    auto rgb = [](int colour) { return static_cast<std::uint32_t>(colour) & 0xFFFFFF; };
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            const test::VtScreen::Glyph& s = t.cells[y][x];
            const ShownCell c = r.ShownAt(x, y);
            const bool blank = s.cp == U' ';
            const int fg = s.pen.reverse ? s.pen.bg : s.pen.fg, bg = s.pen.reverse ? s.pen.fg : s.pen.bg;
            // A wide glyph's right half has its left half's look (libvterm reads none back for it).
            const bool same = s.continuation
                                  ? c.glyph == 0
                                  : c.glyph == s.cp && c.background == rgb(bg) && c.underline == s.pen.underline &&
                                        c.wide == (x < 79 && t.cells[y][x + 1].continuation) &&
                                        (blank || (c.foreground == rgb(fg) && c.bold == s.pen.bold));
            if (!same) return std::to_string(x) + "," + std::to_string(y) + ": shown otherwise than the terminal shows";
        }
    }
    return "";
}

#if RANKS_HAVE_VTERM
// libvterm, a terminal emulation of its own (ambiguous glyphs in one cell),
// read back into a VtScreen for the same comparison.
class Vterm {
public:
    Vterm() : vt_(vterm_new(25, 80)), screen_(vterm_obtain_screen(vt_)), view_(1) {
        vterm_set_utf8(vt_, 1);
        static const VTermScreenCallbacks callbacks = [] {
            VTermScreenCallbacks c{};
            c.settermprop = [](VTermProp prop, VTermValue* val, void* self) {
                if (prop == VTERM_PROP_CURSORVISIBLE) static_cast<Vterm*>(self)->view_.cursorVisible = val->boolean;
                return 1;
            };
            return c;
        }();
        // Sequences libvterm does not know.
        static const VTermParserCallbacks unknown = [] {
            VTermParserCallbacks c{};
            c.control = [](unsigned char, void* self) { return ++static_cast<Vterm*>(self)->view_.unknown, 1; };
            c.escape = [](const char*, size_t, void* self) { return ++static_cast<Vterm*>(self)->view_.unknown, 1; };
            c.csi = [](const char*, const long*, int, const char*, char, void* self) {
                return ++static_cast<Vterm*>(self)->view_.unknown, 1;
            };
            return c;
        }();
        vterm_screen_set_callbacks(screen_, &callbacks, this);
        vterm_screen_set_unrecognised_fallbacks(screen_, &unknown, this);
        vterm_screen_reset(screen_, 1);
    }
    ~Vterm() { vterm_free(vt_); }
    Vterm(const Vterm&) = delete;
    const test::VtScreen& Feed(std::string_view bytes) {
        vterm_input_write(vt_, bytes.data(), bytes.size());
        auto colour = [](const VTermColor& c, bool bg) {
            if (bg ? VTERM_COLOR_IS_DEFAULT_BG(&c) : VTERM_COLOR_IS_DEFAULT_FG(&c)) return -1;
            if (VTERM_COLOR_IS_INDEXED(&c)) return static_cast<int>(c.indexed.idx);
            return 0x1000000 | c.rgb.red << 16 | c.rgb.green << 8 | c.rgb.blue;
        };
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 80; ++x) {
                VTermScreenCell c{};
                vterm_screen_get_cell(screen_, VTermPos{y, x}, &c);
                auto& g = view_.cells[y][x];
                g.continuation = c.chars[0] == static_cast<std::uint32_t>(-1);
                g.cp = c.chars[0] == 0 || g.continuation ? U' ' : c.chars[0];
                g.pen = {colour(c.fg, false), colour(c.bg, true), c.attrs.bold != 0, c.attrs.underline != 0,
                         c.attrs.reverse != 0};
            }
        }
        VTermPos at{};
        vterm_state_get_cursorpos(vterm_obtain_state(vt_), &at);
        view_.y = at.row, view_.x = at.col;
        return view_;
    }

private:
    VTerm* vt_;
    VTermScreen* screen_;
    test::VtScreen view_;
};
#endif

// Terminals that draw ambiguous glyphs in one cell or two, fed by renderers
// that do not know the width (the safe form both take) or have learned it;
// terminals wider than the game, where nothing may show beyond its
// columns; terminals that read some sequences otherwise than xterm; and
// libvterm.
// The colour setting and how the highlight shows.
struct Setting {
    Colours colours;
    ScreenLook look = ScreenLook::kMarked;
};

// tmux keeps the background in the blanks that inserting, deleting and
// scrolling bring into its own grid, and has no bce in its terminfo; the
// terminal outside may fill the cells of tmux's own shifts and scrolls
// with its colours (Konsole and qterminal shifted ones, kitty scrolled).
// tmux answers for itself, not for the terminal that shows its cells:
// trusting its answer left patches on the field after a battle there.
constexpr test::VtQuirks kTmuxIn{.noBce = true, .wrapThroughMoves = true, .movedBce = true};
constexpr test::VtQuirks TmuxIn(test::VtQuirks outer) {
    outer.noBce = outer.wrapThroughMoves = outer.movedBce = true;
    return outer;
}

struct Terminals {
    using Quirks = test::VtQuirks;
    struct Pair {
        Pair(Setting c, int learned, int ambiguous, int columns = 80, Quirks q = {}, bool bce = true, bool kept = false,
             const char* terminal = "plain")
            : r(c.colours, bce, c.look), t(ambiguous, columns, q), name(terminal) {
            r.SetAmbiguousWidth(learned);
            r.SetMovedBlanksKept(kept);
            r.SetTerminalSize(columns, 25);
        }
        TerminalRenderer r;
        test::VtScreen t;
        const char* name;
        int learnsLater = 0;  // the terminal's answer, which comes at the tenth frame
    };
    // `few`: one width for each kind of terminal, for long frame sequences.
    explicit Terminals(Setting c, bool few = false) : pairs{{c, 0, 2}, {c, 1, 1}} {
        pairs[0].r.SetTerminalSize(0, 0);  // its size unknown
        if (!few) {
            for (Pair p : {Pair{c, 0, 1}, Pair{c, 2, 2}, Pair{c, 0, 1, 100}, Pair{c, 1, 1, 100}}) pairs.push_back(p);
            // Terminals known to keep the background in moved blanks (xterm, VTE).
            for (Pair p : {Pair{c, 0, 2, 80, {}, true, true}, Pair{c, 2, 2, 100, {}, true, true}}) pairs.push_back(p);
            // Answers that come late: to the form for both, and to a width taken without one.
            struct Late {
                int learned, ambiguous;  // the width taken, and the one answered later
            };
            for (auto [learned, ambiguous] : {Late{0, 1}, {0, 2}, {1, 2}}) {
                pairs.emplace_back(c, learned, ambiguous);
                pairs.back().learnsLater = ambiguous;
            }
        }
        struct Quirky {
            const char* name;
            Quirks quirks;
            bool bce;         // as the terminal's terminfo says
            int answer = -1;  // the kind it answers (none: -1)
        };
        const Quirky quirky[] = {
            {"mlterm", {.shortErase = true, .rgbAfterReset = true}, true, 24},
            {"Konsole", {.foreignShifts = true}, true, 1},  // and qterminal
            {"kitty", {.foreignScrolls = true}, true, 1},   // were its bce read
            {"GNU screen", {.noBce = true}, false, 83},
            {"pyte", {.topMarginReset = true, .foreignClear = true}, true},
            {"tmux, its kind unknown", {.noBce = true, .wrapThroughMoves = true}, false},
            {"tmux in xterm", kTmuxIn, false, 84},
            {"tmux in Konsole", TmuxIn({.foreignShifts = true}), false, 84},
            {"tmux in kitty", TmuxIn({.foreignScrolls = true}), false, 84},
            {"xterm", {}, true, 41},
        };
        // Widths matter to mlterm's quirk (glyphs of two cells); the others
        // are about colours.
        for (const Quirky& q : quirky)
            for (int width : {0, 1, 2})
                if (width == (q.quirks.shortErase ? 2 : 1) || (!few && q.quirks.shortErase))
                    pairs.emplace_back(c, width, width ? width : 2, 80, q.quirks, q.bce, KeepsMovedBlanks(q.answer),
                                       q.name);
#if RANKS_HAVE_VTERM
        for (int learned : {0, 1})
            if (!few || learned) vterms.emplace_back(c, learned);
#endif
    }
    // Sends each terminal its frame of `vc`; where the first fails to show
    // it, or "" when all do.
    std::string Show(const VirtualConsole& vc) {
        ++frames;
        for (auto& p : pairs) {
            const bool fromBoth = frames == 10 && p.learnsLater && p.r.AmbiguousWidth() == 0;
            if (frames == 10 && p.learnsLater) p.r.SetAmbiguousWidth(p.learnsLater);
            const std::string frame = p.r.Frame(vc);
            p.t.Feed(frame);
            if (fromBoth && frame.find("\x1b[2J") != std::string::npos) return "a repaint on learning the width";
            // A width taken wrongly draws wrongly until the answer comes.
            if (p.r.AmbiguousWidth() != 0 && p.r.AmbiguousWidth() != p.t.ambiguous) continue;
            if (std::string failure = Check(p.r, p.t, vc, p.name); !failure.empty()) return failure;
        }
#if RANKS_HAVE_VTERM
        for (auto& [r, t] : vterms)
            if (std::string failure = Check(r, t.Feed(r.Frame(vc)), vc, "libvterm"); !failure.empty()) return failure;
#endif
        return "";
    }
    // The terminal's name (its quirks), and what the renderer knows of it.
    static std::string Check(TerminalRenderer& r, const test::VtScreen& t, const VirtualConsole& vc, const char* name) {
        std::string failure = Mismatch(t, vc, r.colours(), r.HighlightReversed());
        if (failure.empty() && !r.Frame(vc).empty()) failure = "a frame sent again with nothing changed";
        if (failure.empty()) failure = ShownMismatch(r, t, vc);
        if (failure.empty()) return "";
        return failure + " (" + name + ", ambiguous " + std::to_string(t.ambiguous) + ", learned " +
               std::to_string(r.AmbiguousWidth()) + ", " + std::to_string(t.columns) + " columns, moved blanks " +
               (r.MovedBlanksKept() ? "kept" : "redrawn") + ")";
    }
    std::vector<Pair> pairs;
    int frames = 0;
#if RANKS_HAVE_VTERM
    struct VtermPair {
        VtermPair(Setting c, int learned) : r(c.colours, true, c.look) {
            r.SetAmbiguousWidth(learned);
            r.SetTerminalSize(80, 25);
        }
        TerminalRenderer r;
        Vterm t;
    };
    std::deque<VtermPair> vterms;
#endif
};

// Shows the terminals every frame that `play` presents; the frames shown
// before the first that failed.
int ShowEveryFrame(Terminals& terminals, const std::function<void(const std::function<void()>&)>& play) {
    int frames = 0;
    std::string failure;
    play([&] {
        if (failure.empty()) failure = terminals.Show(headless::Screen());
        if (failure.empty()) ++frames;
    });
    EXPECT_EQ(failure, "") << "at frame " << frames + 1;
    return frames;
}

using TerminalRendererTest = ::testing::TestWithParam<Setting>;

TEST_P(TerminalRendererTest, ManyRandomChangesStayInStep) {
    const std::string_view texts[] = {
        "A"_sj,  "xyz"_sj,  "あ"_sj,  "●"_sj,
        "×○"_sj, "漢字"_sj, "  "_sj,  "Ω"_sj,
        "ｶﾅ"_sj, "ーー"_sj, "\\~"_sj, "\x85\x40\xfd\x80\xff\x81\x20\x01"};  // codes without a character
    std::minstd_rand random(7);
    auto next = [&random](std::size_t n) { return static_cast<int>(random() % n); };
    VirtualConsole vc;
    vc.Reset();
    Terminals terminals(GetParam());
    for (int frame = 0; frame < 300; ++frame) {
        for (int i = next(6); i >= 0; --i) {
            // Columns near the right edge on purpose: wraps and split glyphs.
            vc.SetCursor(next(4) == 0 ? 76 + next(4) : next(80), next(25));
            vc.SetAttribute(next(2) ? 7 : 15);
            vc.Write(texts[next(std::size(texts))]);
        }
        vc.SetCursorVisible(next(3) == 0);
        vc.SetCursor(next(80), next(27));
        ASSERT_EQ(terminals.Show(vc), "") << "frame " << frame;
    }
}

// The game's own frame sequences.
TEST_P(TerminalRendererTest, EveryFrameOfTheGamesScenariosShowsExactlyTheModel) {
    test::TempDir dir;
    for (const auto& s : scenario::All()) {
        SCOPED_TRACE(s.name);
        Terminals terminals(GetParam());
        const int frames = ShowEveryFrame(terminals, [&](const std::function<void()>& show) {
            scenario::Play(s, RANKS_WORLD_DIR, dir.Path() / "world", [&](bool) { show(); });
        });
        EXPECT_GT(frames, 0);
    }
}

// Text moved by a cell or two is shifted on the terminal; a shift must not
// push a glyph past the game's last column, where a wider terminal keeps it.
TEST_P(TerminalRendererTest, ShiftedTextNeverLeavesAGlyphBeyondTheGamesColumns) {
    const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    struct Shift {
        int from, to;  // the text's first column
    };
    for (auto [from, to] : {Shift{10, 11}, {10, 8}, {44, 45}, {44, 43}}) {
        VirtualConsole vc;
        vc.Reset();
        Terminals terminals(GetParam());
        for (int at : {from, to}) {
            vc.SetCursor(0, 3);
            vc.Write(std::string(79, ' ') + "|");
            vc.SetCursor(at, 3);
            vc.Write(text.substr(0, std::min<std::size_t>(text.size(), 79 - at)));
            ASSERT_EQ(terminals.Show(vc), "") << from << " to " << to;
        }
    }
}

// libvterm is optional where the tests are built; CI installs it.
TEST(TerminalRenderer, FramesAreAlsoCheckedThroughLibvterm) {
#if !RANKS_HAVE_VTERM
    GTEST_SKIP() << "libvterm is not installed (Debian: apt-get install libvterm-dev), so the frames are checked "
                    "against the project's own terminal model alone";
#endif
}

// The recorded games, every frame, in the colours most terminals differ on.
TEST(TerminalRenderer, EveryFrameOfTheRecordedGamesShowsExactlyTheModel) {
    for (const auto& entry : std::filesystem::directory_iterator(RANKS_RECORDINGS_DIR)) {
        if (entry.path().extension() != ".rec") continue;
        SCOPED_TRACE(entry.path().filename().string());
        Terminals terminals({Colours::kExact}, true);
        const int frames = ShowEveryFrame(terminals, [&](const std::function<void()>& show) {
            test::ReplayHeadless(entry.path(), RANKS_RECORDINGS_WORLD, show);
        });
        EXPECT_GT(frames, 100);
    }
}

// An asciicast's output events joined, in order (the JSON strings decoded:
// the cast escapes only quotes, backslashes and control bytes); empty,
// with a failure, when an event is out of order or not of the form.
std::string CastOutput(const std::string& cast) {
    std::istringstream in(cast);
    std::string line, out;
    std::getline(in, line);  // the header
    double last = 0;
    while (std::getline(in, line)) {
        const std::size_t text = line.find(", \"o\", \"");
        const double time = std::stod(line.substr(1));
        EXPECT_TRUE(line.starts_with("[") && line.ends_with("\"]") && text != std::string::npos && time >= last)
            << line;
        last = time;
        for (std::size_t i = text + 8; i + 2 < line.size(); ++i) {
            if (line[i] != '\\') out += line[i];
            else if (line[++i] == 'u') out += static_cast<char>(std::stoi(line.substr(i + 1, 4), nullptr, 16)), i += 4;
            else out += line[i];
        }
    }
    return out;
}

// Every recorded game as an asciicast: fed to a terminal of its own (and
// libvterm), it ends on the headless replay's last screen, ambiguous
// glyphs drawn in one cell as xterm does; asciinema's own player reads it.
TEST(Cast, EveryRecordedGameEndsOnItsHeadlessScreenAndAsciinemaReadsIt) {
    const bool asciinema = std::system("asciinema --version > /dev/null 2>&1") == 0;
    test::TempDir dir;
    int casts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RANKS_RECORDINGS_DIR)) {
        if (entry.path().extension() != ".rec") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string out = (dir.Path() / "game.cast").string();
        ResetGameState();
        headless::Reset();
        EXPECT_EQ(
            test::RunProgram({"--replay", entry.path().string(), "--world", RANKS_RECORDINGS_WORLD, "--cast", out}), 0);
        const std::string cast = test::FileBytes(out);
        EXPECT_TRUE(cast.starts_with(R"({"version": 2, "width": 80, "height": 25, "title": "Ranks & Files: world, )"))
            << headless::PrintedError();
        test::VtScreen terminal(1);
        terminal.Feed(CastOutput(cast));
        std::vector<test::VtScreen> shown{terminal};
#if RANKS_HAVE_VTERM
        Vterm vterm;
        shown.push_back(vterm.Feed(CastOutput(cast)));
#endif
        std::ifstream expected(std::filesystem::path(entry.path()).replace_extension(".out"));
        for (int y = 0; y < 25; ++y) {
            std::string want;
            std::getline(expected, want);
            for (const test::VtScreen& t : shown) {
                // The headless screen draws an ambiguous glyph as the terminal
                // does: the glyph and a blank, cell for cell.
                std::string row;
                for (int x = 0; x < 80; ++x) {
                    if (!t.cells[y][x].continuation) AppendUtf8(row, t.cells[y][x].cp);
                }
                row.erase(row.find_last_not_of(' ') + 1);
                EXPECT_EQ(row, want) << "row " << y;
                EXPECT_EQ(t.unknown, 0);
            }
        }
        if (asciinema) {
            // It reads its keys from a terminal: one of its own.
            EXPECT_EQ(std::system(("script -qec 'asciinema cat " + out + "' /dev/null > /dev/null").c_str()), 0);
        }
        ++casts;
    }
    EXPECT_GE(casts, 6);
    // Any other file of the player's is left alone.
    dir.Write("notes.txt", "mine");
    const std::string notes = (dir.Path() / "notes.txt").string();
    headless::Reset();
    EXPECT_EQ(test::CallWith(Main, {"ranks", "--replay", RANKS_RECORDINGS_DIR "/field_menu.rec", "--world",
                                    RANKS_RECORDINGS_WORLD, "--cast", notes}),
              2);
    EXPECT_EQ(headless::PrintedError(),
              "ranks: cannot cast to " + notes + ": it is not an asciicast, and would be overwritten\n");
    if (!asciinema)
        GTEST_SKIP() << "asciinema is not installed (Debian: apt-get install asciinema), so no player read the casts";
}

// Without colours the console's look is the marked one.
INSTANTIATE_TEST_SUITE_P(EveryColourModeAndLook, TerminalRendererTest,
                         ::testing::Values(Setting{Colours::kExact}, Setting{Colours::kPalette},
                                           Setting{Colours::kNone}, Setting{Colours::kExact, ScreenLook::kConsole},
                                           Setting{Colours::kPalette, ScreenLook::kConsole}));

// The environment's usual choices are seen in a real terminal (the
// game terminal test); these are its edges.
TEST(TerminalColours, AnEmptyNoColorIsUnsetAndASetOneWins) {
    EXPECT_EQ(ColoursFor("", "truecolor"), Colours::kExact);
    EXPECT_EQ(ColoursFor("1", "truecolor"), Colours::kNone);
}

}  // namespace
}  // namespace rf::platform
