// The terminal and the console as the game models them: keys from a
// terminal's bytes and from the Windows console's units and input records,
// as the console codes; what a terminal must offer, how it is found out and
// what a refusal says; the console model, with the Windows console fed
// through the lead-byte joiner matching it; and where pauses end, with the
// web backend's account of them, where runs of short frames keep their total
// length under a coarse browser timer and a wait starts it afresh; then the
// whole game with no key pressed during a chase, where a poll that blocked
// too early would freeze it or stretch the battle (headless time jumps where
// a terminal would block).
#include "platform/model/key_decoder.h"
#include "platform/model/terminal_requirements.h"
#include "platform/model/virtual_console.h"
#include "platform/model/waiting.h"
#include "platform/web/web_pacing.h"
#include "platform/windows/windows_keys.h"
#include "platform/windows/windows_output.h"

#include <array>

#include "game_scenarios.h"
#include "test_support.h"
#include "text/escape.h"

namespace rf::platform {
namespace {

using namespace rf;

using Codes = std::vector<int>;

Codes Drain(KeyDecoder& d) {
    Codes codes;
    while (d.HasKey()) codes.push_back(d.NextKey());
    return codes;
}

TEST(KeyDecoderTest, BytesThatCameTogether) {
    const std::pair<std::string, Codes> cases[] = {
        {"\x1b[A\x1b[B\x1b[C\x1b[D", {224, 72, 224, 80, 224, 77, 224, 75}},
        {"\x1bOA\x1bOB\x1bOC\x1bOD", {224, 72, 224, 80, 224, 77, 224, 75}},
        {"\x1b[1;5A\x1b[H\x1b[4~\x1b[3;5~\x1bOP\x1b[21~\x1b[[E",
         {224, 72, 224, 71, 224, 79, 224, 83, 0, 59, 0, 68, 0, 63}},
        {"\x1b[5~\x1b[6~\x1b[2~", {224, 73, 224, 81, 224, 82}},
        {"\r", {13}},
        {"\n", {13}},
        {"\r\n\r\n", {13, 13}},
        {"\n\n\ra", {13, 13, 13, 'a'}},
        {" aZ~H\t\x7f", {32, 'a', 'Z', '~', 72, 9, 8}},
        // Alt+key is no key, and no Escape either (it would open the menu);
        // Alt+arrow is the arrow.
        {"\x1bx\x1b \x1b\xe3\x81\x82\x1b\x1b[Aq\x1b\r", {224, 72, 'q', 13}},
        // Unknown, unfinished and broken-off sequences are swallowed.
        {"\x1b[99~a\x1b[Ib\x1b[?1;2cz\x1bOzq\x1b[1\r\x1b[1\x1b[B", {'a', 'b', 'z', 'q', 13, 224, 80}},
        {"\x1b[" + std::string(40, '1') + "~a", {'a'}},
        // A cursor report is the terminal's answer, even amid keys; F3 with a modifier is a key.
        {"a\x1b[5;11Rb\x1b[1;5R\x1b[12;3R", {'a', 'b', 0, 61}},
        // UTF-8 text is no key: no continuation byte may pass for 77 or 80;
        // nor may Ctrl+Space (NUL) pass for a prefix.
        {std::string("\xe3\x81\x82q\xef\xbc\xadr\x80\xff\xe3\x81s\0t", 15), {'q', 'r', 's', 't'}},
    };
    for (const auto& [bytes, codes] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        KeyDecoder d;
        d.Feed(bytes, 0);
        EXPECT_EQ(Drain(d), codes);
    }
}

// The last cursor report is kept until taken; the terminal's kind is an
// answer too, not a key.
TEST(KeyDecoderTest, TheTerminalsAnswersAreKeptUntilTakenAndAreNoKeys) {
    KeyDecoder d;
    d.Feed("\x1b[5;1", 0);
    EXPECT_FALSE(d.TakeCursorReport());
    d.Feed("1Rx\x1b[7;12R", 1);
    auto report = d.TakeCursorReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->row * 100 + report->column, 712);
    EXPECT_FALSE(d.TakeCursorReport());
    EXPECT_EQ(Drain(d), Codes{'x'});
    struct Attributes {
        const char* bytes;
        int kind;  // the terminal's, from the first number (-1: none said)
    };
    for (auto [bytes, kind] : {Attributes{"a\x1b[>41;388;0cb", 41}, {"a\x1b[>84;0;0cb", 84}, {"a\x1b[>cb", -1}}) {
        d.Feed(bytes, 2);
        EXPECT_EQ(d.TakeTerminalKind(), kind) << bytes;
        EXPECT_FALSE(d.TakeTerminalKind());
        EXPECT_EQ(Drain(d), (Codes{'a', 'b'}));
    }
}

// Ctrl+C and Ctrl+Z are typed in a real terminal by the terminal backend test.
TEST(KeyDecoderTest, OnePairCodePerReadAndTheQuietTime) {
    KeyDecoder d;
    d.Feed("\x1b[C", 0);
    EXPECT_EQ(d.NextKey(), 224);
    EXPECT_TRUE(d.HasKey()) << "the scan code waits with its prefix";
    EXPECT_EQ(Drain(d), (Codes{77}));
    // A lone ESC is a key only after the quiet time.
    d.Feed("\x1b", 100);
    d.Tick(100 + KeyDecoder::kEscapeTimeoutMs - 1);
    EXPECT_FALSE(d.HasKey());
    d.Tick(100 + KeyDecoder::kEscapeTimeoutMs);
    EXPECT_EQ(Drain(d), (Codes{27}));
    // Within the quiet time a sequence may come in pieces (an arrow split
    // by a slow link is no Escape); so may CR LF and UTF-8.
    d.Feed("\x1b", 200);
    d.Feed("[", 200 + KeyDecoder::kEscapeTimeoutMs - 1);
    d.Tick(200 + 2 * KeyDecoder::kEscapeTimeoutMs - 2);
    d.Feed("A\r", 398);
    d.Feed("\n\xe3\x81", 399);
    d.Feed("\x82g", 400);
    EXPECT_EQ(Drain(d), (Codes{224, 72, 13, 'g'}));
}

// Units, and input records as the console hands them over: an arrow is
// whole at once, with no character after it; releases and lone modifiers
// give nothing.
TEST(WindowsKeys, UnitsAndInputRecordsAsTheConsoleCodesTheGameReads) {
    const std::pair<std::vector<std::uint32_t>, std::vector<int>> cases[] = {
        {{0xE0, 72, 0xE0, 77, 0, 59, 0xE0, 133}, {224, 72, 224, 77, 0, 59, 224, 133}},
        // Keypad navigation with prefix 0 reads as the gray keys; Alt+A stays.
        {{0, 72, 0, 83, 0, 30}, {224, 72, 224, 83, 0, 30}},
        {{13, 32, 27, 8, 'H', 'P', '\n'}, {13, 32, 27, 8, 'H', 'P', 13}},
        // Full-width input from an input method reads as ASCII; other
        // characters are dropped without disturbing a prefix that follows.
        {{0x3000, 0xFF21, 0xFF5E, 0x3042, 0xE9, 0xFFFF, 0xFF00, 0xFF5F, 0xE0, 80}, {32, 'A', '~', 224, 80}},
    };
    for (const auto& [units, codes] : cases) {
        SCOPED_TRACE(testing::PrintToString(units));
        WindowsKeyDecoder d;
        std::vector<int> got;
        for (auto u : units) {
            d.Feed(u);
            while (d.HasCode()) got.push_back(d.TakeCode());
        }
        EXPECT_EQ(got, codes);
    }
    constexpr std::uint32_t kGray = 0x0100;  // ENHANCED_KEY
    const std::pair<std::vector<ConsoleKeyEvent>, std::vector<int>> records[] = {
        {{{true, 1, 0x26, 72, 0, kGray}}, {224, 72}},                                // Up
        {{{true, 1, 0x26, 72, 0, 0}, {true, 1, 0x70, 59, 0, 0}}, {224, 72, 0, 59}},  // keypad 8, F1
        {{{true, 3, 0x28, 80, 0, kGray}}, {224, 80, 224, 80, 224, 80}},              // Down held
        {{{false, 1, 0x26, 72, 0, kGray}, {true, 1, 0x10, 42, 0, 0}, {true, 1, 0x14, 58, 0, 0}}, {}},
        {{{true, 1, 0x0D, 28, 13, 0}, {true, 2, 0x20, 57, 32, 0}, {true, 1, 0x48, 35, 'H', 0}}, {13, 32, 32, 'H'}},
        {{{true, 1, 0x41, 30, 0xFF41, 0}, {true, 1, 0x10, 42, 'x', 0}},
         {'a', 'x'}},  // IME full width; a character wins
    };
    for (const auto& [events, codes] : records) {
        WindowsKeyDecoder d;
        std::vector<int> got;
        for (const ConsoleKeyEvent& e : events) FeedKeyEvent(d, e);
        while (d.HasCode()) got.push_back(d.TakeCode());
        EXPECT_EQ(got, codes) << "from " << events.size() << " events, first key " << events[0].virtualKey;
    }
}

// A compiled terminfo entry in the 16-bit or the 32-bit format: 29
// booleans (back_color_erase the last), `numbers` numbers (max_colors the
// fourteenth) and eleven strings (cursor_address the last).
std::string Entry(bool cursorAddress, bool wideNumbers, bool bce = false, int colours = 8, int numbers = 14) {
    std::string e;
    auto put = [&e](int v) { e += static_cast<char>(v & 0xFF), e += static_cast<char>(v >> 8 & 0xFF); };
    put(wideNumbers ? 01036 : 0432), put(4), put(29), put(numbers), put(11), put(3);
    e += std::string("abc\0", 4) + std::string(28, '\0') + static_cast<char>(bce);  // 45 bytes, padded to 46
    e += '\0';
    for (int i = 0; i < numbers; ++i) {
        const int v = i == 13 ? colours : 80;
        put(wideNumbers ? v & 0xFFFF : v);
        if (wideNumbers) put(v >> 16);
    }
    for (int i = 0; i < 10; ++i) put(-1);
    put(cursorAddress ? 0 : -2);
    return e + "x\0\0";
}

TEST(TerminalRequirements, AbilitiesReadFromEitherTerminfoFormat) {
    auto read = [](const std::string& e) {
        auto a = ReadTermInfo(e);
        return a ? std::to_string(a->cursorAddressing) + std::to_string(a->backgroundColourErase) +
                       std::to_string(a->directColour)
                 : "none";
    };
    for (bool wide : {false, true}) {
        EXPECT_EQ(read(Entry(true, wide)), "100");
        EXPECT_EQ(read(Entry(false, wide, true, 256, 16)), "010");
        EXPECT_EQ(read(Entry(true, wide).substr(0, 30)), "none");  // cut short
    }
    EXPECT_EQ(read(Entry(true, true, true, 1 << 24)), "111");  // xterm-direct and the like
    EXPECT_EQ(read("#!/bin/sh\necho not terminfo\n"), "none");
}

TEST(TerminalRequirements, TermInfoIsLookedForWhereCursesLooks) {
    auto paths = TermInfoPaths("xterm", "/mine", "/home/u", "/extra::/more");
    ASSERT_GE(paths.size(), 8u);
    // Each folder by letter, then by the letter's hex code.
    EXPECT_EQ(paths[0], "/mine/x/xterm");
    EXPECT_EQ(paths[2], "/home/u/.terminfo/x/xterm");
    EXPECT_EQ(paths[6], "/etc/terminfo/x/xterm");  // the empty part: the system's folders
    EXPECT_EQ(paths.back(), "/more/78/xterm");
    EXPECT_TRUE(TermInfoPaths("../../etc/passwd", nullptr, nullptr, nullptr).empty());
}

TEST(TerminalRequirements, EachRefusalSaysWhatIsWrongAndWhatToSet) {
    // LANG=C is refused by the real binary in the terminal backend test.
    // What the refusal says, "" when the terminal is fine.
    const std::pair<TerminalFacts, const char*> cases[] = {
        {{"xterm-256color", "LANG", "C.UTF-8", "UTF-8", true}, ""},
        {{"xterm", "LANG", "ja_JP.UTF-8", "", std::nullopt}, ""},  // not installed, judged by its name
        {{std::nullopt, "LANG", "C.UTF-8", "UTF-8", {}}, "TERM is not set"},
        {{"", "LANG", "C.UTF-8", "UTF-8", {}}, "TERM is not set"},
        {{"dumb", "LANG", "C.UTF-8", "UTF-8", {}}, "TERM=dumb cannot place the cursor"},
        {{"adm3\x1b[2J", "LANG", "C.UTF-8", "UTF-8", false}, "TERM=adm3\\x1b[2J cannot"},
        {{"xterm", "", "", "ANSI_X3.4-1968", true}, "(no LANG, LC_CTYPE or LC_ALL is set)"},
        {{"xterm", "LC_CTYPE", "ja_JP.eucJP", "", true}, "set LC_CTYPE=C.UTF-8"},
    };
    for (const auto& [facts, says] : cases) {
        SCOPED_TRACE(says);
        std::string refusal = TerminalRefusal(facts);
        if (*says == '\0') EXPECT_EQ(refusal, "");
        else EXPECT_NE(refusal.find(says), std::string::npos) << refusal;
        EXPECT_EQ(refusal.find('\n'), std::string::npos);
    }
}

// That no control character is left is the fuzz target's; here, what is kept and the forms.
TEST(TerminalRequirements, EchoedTextHasItsControlsEscaped) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"日本語 ok", "日本語 ok"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {"\xc2\x9b\x32J", "\\u009b2J"},                // C1 introducer as UTF-8, then 2J
        {"\x9b\xff\xc0\xaf", "\\x9b\\xff\\xc0\\xaf"},  // not UTF-8 (an overlong slash among them)
        {"\xe3\x81", "\\xe3\\x81"},                    // cut short
    };
    for (auto [in, out] : cases) EXPECT_EQ(Escaped(in), out);
}

// The real round trip runs in every terminal test: a wrong width would show there.
// By the first number of the secondary device attributes: xterm, VTE; not
// Konsole or kitty (1), qterminal or libvterm (0), mlterm, nor tmux or GNU
// screen, which answer for themselves and not for the terminal around them.
TEST(TerminalRequirements, MovedBlanksTrustedOnlyWhereTheTerminalSaysWhichItIsAndTheAmbiguousWidth) {
    struct Kind {
        int kind;
        bool kept;  // the background in moved blanks
    };
    for (auto [kind, kept] :
         {Kind{41, true}, {65, true}, {84, false}, {0, false}, {1, false}, {83, false}, {24, false}, {-1, false}})
        EXPECT_EQ(KeepsMovedBlanks(kind), kept) << kind;
    // The ambiguous width from an answer, or without one.
    struct Answer {
        int column;  // where the cursor stood after an ambiguous glyph from column 5
        int width;
    };
    for (auto [column, width] : {Answer{11, 1}, {12, 2}, {1, 0}}) EXPECT_EQ(AmbiguousWidthAnswer(5, column), width);
    EXPECT_EQ(AmbiguousWidthAnswer(7, 11), std::nullopt);
    struct Locale {
        const char* name;
        int width;
    };
    const Locale locales[] = {{"ja_JP.UTF-8", 0}, {"zh_TW.UTF-8", 0}, {"ko_KR.utf8@x", 0}, {"ja", 0},
                              {"C.UTF-8", 1},     {"en_US.UTF-8", 1}, {"jv_ID.UTF-8", 1},  {"", 1}};
    for (auto [locale, width] : locales) EXPECT_EQ(AmbiguousWidthWithoutAnswer(locale), width) << locale;
    // The form for both until the patience runs out, then the width without
    // an answer; an answer decides whenever it comes.
    const std::int64_t kT = AmbiguousWidthQuestion::kPatienceMs;
    struct Question {
        int withoutAnswer;          // the width taken without an answer
        std::int64_t answeredAt;    // when the answer comes (-1: never)
        int answer;                 // what it says
        std::array<int, 4> widths;  // at 0, kT - 1, kT and 2kT after asking
    };
    const Question cases[] = {{1, -1, 0, {0, 0, 1, 1}},
                              {0, -1, 0, {0, 0, 0, 0}},
                              {1, 1, 2, {0, 2, 2, 2}},
                              {1, kT + 1, 2, {0, 0, 1, 2}},
                              {1, 1, 0, {0, 0, 0, 0}}};
    for (const auto& [withoutAnswer, answeredAt, answer, widths] : cases) {
        AmbiguousWidthQuestion q;
        q.Asked(1000, withoutAnswer);
        int i = 0;
        for (std::int64_t t : {std::int64_t{0}, kT - 1, kT, 2 * kT}) {
            if (answeredAt >= 0 && t >= answeredAt && !q.HasAnswer()) q.Answered(answer);
            EXPECT_EQ(q.Width(1000 + t), widths[i++]) << withoutAnswer << " " << answeredAt << " at " << t;
        }
    }
}

TEST(VirtualConsoleTest, WritesGiveTheseCellsAndCursorSeenOrBlind) {
    constexpr int kLast = VirtualConsole::kHeight - 1;
    const std::string blanks(30 * 80, ' ');
    struct Write {
        int x, y;  // x < 0: where the last write left the cursor
        std::string_view bytes;
    };
    struct Expect {
        int x, y;
        std::uint16_t code;
        std::uint8_t half;
    };
    const struct {
        const char* name;
        std::vector<Write> writes;
        std::vector<Expect> cells;
        std::pair<int, int> cursor;
    } cases[] = {
        {"lead byte held across writes",
         {{0, 0, "\x82"}, {-1, 0, "\xA0"}, {-1, 0, "\x82"}, {-1, 0, "\nA"}},
         {{0, 0, 0x82A0, 1}, {1, 0, 0x82A0, 2}, {2, 0, ' ', 0}, {0, 1, 'A', 0}},
         {1, 1}},
        {"immediate wrap", {{78, 0, "xy"}}, {{79, 0, 'y', 0}}, {0, 1}},
        {"text and glyphs within a row, a lead left open",
         {{10, 4, "a●"_sj}, {-1, 0, "b\x82"}},
         {{10, 4, 'a', 0}, {11, 4, 0x819C, 1}, {13, 4, 'b', 0}},
         {14, 4}},
        {"double glyph at the last column", {{79, 2, "■"_sj}}, {{79, 2, ' ', 0}, {0, 3, 0x81A1, 1}}, {2, 3}},
        {"overwriting halves",
         {{0, 0, "●●"_sj}, {1, 0, "○"_sj}, {2, 0, "x"}},
         {{0, 0, ' ', 0}, {1, 0, ' ', 0}, {2, 0, 'x', 0}, {3, 0, ' ', 0}},
         {3, 0}},
        {"TAB, CR, LF, NUL",
         {{0, 0, "ab\tc\rZ\nQ"}, {-1, 0, std::string_view("\0", 1)}},
         {{8, 0, 'c', 0}, {5, 0, ' ', 0}, {0, 0, 'Z', 0}, {0, 1, 'Q', 0}, {1, 1, ' ', 0}},
         {2, 1}},
        {"thirty rows of blanks do not scroll", {{5, 0, "top"}, {0, 0, blanks}}, {{5, 0, ' ', 0}}, {0, 30}},
        {"past the bottom",
         {{0, 0, "top"}, {0, kLast, "last\n"}},
         {{0, 0, ' ', 0}, {0, kLast - 1, 'l', 0}, {0, kLast, ' ', 0}},
         {0, kLast}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto play = [&](VirtualConsole& on) {
            for (const auto& w : c.writes) {
                if (w.x >= 0) on.SetCursor(w.x, w.y);
                on.Write(w.bytes);
            }
        };
        VirtualConsole vc, blind;
        vc.Reset(), blind.Reset();
        vc.SetAttribute(15);
        play(vc);
        for (const auto& e : c.cells) {
            EXPECT_EQ(vc.At(e.x, e.y).code, e.code) << e.x << "," << e.y;
            EXPECT_EQ(vc.At(e.x, e.y).half, e.half) << e.x << "," << e.y;
            // Glyphs, both halves, and a row scrolled in take the attribute.
            EXPECT_TRUE((e.code == ' ' && e.y != kLast) || vc.At(e.x, e.y).attribute == 15) << e.x << "," << e.y;
        }
        EXPECT_EQ(std::pair(vc.CursorX(), vc.CursorY()), c.cursor);
        // Blind, the cursor goes exactly where it went.
        blind.SetBlind(true);
        play(blind);
        EXPECT_EQ(std::pair(blind.CursorX(), blind.CursorY()), c.cursor);
    }
}

TEST(WindowsOutput, ConsoleFedThroughTheJoinerMatchesTheModel) {
    // Written byte by byte, the console gets no lead byte alone and ends
    // with the cells the model shows (a lead byte before a control dropped).
    LeadByteJoiner j;
    VirtualConsole model, console;
    model.Reset(), console.Reset();
    std::string_view glyphs = "戦闘ソ表！"_sj;  // ソ and 表 end in a '\\' byte
    for (char c : std::string(glyphs) + "\x83\nZ") {
        model.Write(std::string_view(&c, 1));
        std::string part = j.Prepare(std::string_view(&c, 1));
        EXPECT_FALSE(part.size() == 1 && IsLeadByte(static_cast<unsigned char>(part[0])));
        console.Write(part);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(model.At(x, y), console.At(x, y)) << x << "," << y;
}

using IdleGameTest = test::GameTest;

TEST(PauseDeadlines, EachPauseEndsItsStatedTimeAfterThePreviousEndWhileTheGameKeepsUp) {
    constexpr std::int64_t ms = 1'000'000;
    PauseDeadlines d;
    struct Step {
        std::int64_t nowNs;   // when the pause is asked for
        std::uint32_t pause;  // how long it is, in ms
        std::int64_t end;     // where it ends
    };
    const Step steps[] = {
        {100 * ms, 10, 110 * ms},            // the first pause counts from now
        {110 * ms + 300'000, 10, 120 * ms},  // drawing took 0.3 ms: not added
        {124 * ms, 1, 121 * ms},             // already late: the next end is past, so it returns at once
        {125 * ms, 1, 122 * ms},
        {140 * ms, 2, 124 * ms},   // 18 ms without the processor: still caught up
        {150 * ms, 20, 170 * ms},  // more than 25 ms late (a wait, a load): from now
    };
    for (auto [nowNs, pause, end] : steps) EXPECT_EQ(d.End(nowNs, pause), end) << nowNs;
    d.Forget();
    EXPECT_EQ(d.End(171 * ms, 5), 176 * ms);
}

TEST(WebPacing, RunsOfFramesLastWhatTheyState) {
    // The menu slides (1 ms frames), the level-up panel (5 ms), a map change
    // (10 ms), each with an exact and a late timer.
    struct Run {
        int frames;
        std::uint32_t ms;  // each frame's length
        double lateMs;     // how far the browser's timer oversleeps
    };
    for (auto [frames, ms, lateMs] : {Run{15, 1, 0}, {15, 1, 1.5}, {60, 5, 1}, {60, 10, 3}, {200, 1, 0.5}}) {
        PauseAccount account;
        double now = 1000;
        int yields = 0;
        account.Yielded(now);  // the wait for the key that started it
        for (int i = 0; i < frames; ++i) {
            now += 0.05;  // drawing the frame
            double wait = account.Pause(now, ms);
            if (wait > 0) {
                EXPECT_GE(wait, PauseAccount::kYieldFromMs - PauseAccount::kTimerLateMs);
                now += wait + lateMs;
                account.Yielded(now);
                ++yields;
            }
        }
        double end = now + account.Owed(now);
        EXPECT_NEAR(end - 1000, frames * static_cast<double>(ms), lateMs + 0.05 * frames / 2 + 0.01)
            << frames << "x" << ms << ", " << lateMs << " late";
        // 1 ms frames are handed to the browser in batches, not one by one.
        EXPECT_TRUE(ms != 1 || yields <= frames / 3) << yields << " yields";
    }
}

TEST(WebPacing, AWaitOrALongStallStartsTheAccountAfreshAndThePageStillDraws) {
    constexpr double kStall = 100 + PauseAccount::kCarryMs + 1;
    PauseAccount account;
    account.Yielded(0);
    // Timers are asked to end a little early.
    EXPECT_EQ(account.Pause(0, 100), 100 - PauseAccount::kTimerLateMs);
    account.Yielded(100);
    // Well behind the last pause's end: this pause counts from now.
    EXPECT_EQ(account.Pause(kStall, 20), 20 - PauseAccount::kTimerLateMs);
    account.Yielded(kStall + 20);
    // Slightly behind: the lateness is taken from this pause, and the rest
    // is too short for a timer.
    EXPECT_EQ(account.Pause(kStall + 28, 10), 0);
    EXPECT_DOUBLE_EQ(account.Owed(kStall + 28), 2);
    // After a wait for a key the next pause counts from its own start.
    account.Forget();
    EXPECT_EQ(account.Pause(kStall + 28, 4), 0);
    EXPECT_DOUBLE_EQ(account.Owed(kStall + 28), 4);
    // The page draws even when nothing is owed: the game's own work keeps it
    // behind its pauses for 100 ms.
    account = {};
    account.Pause(0, 1);
    account.Yielded(0);
    EXPECT_EQ(account.Pause(40, 1), 0);
    EXPECT_GT(account.Pause(PauseAccount::kLongestHoldMs, 1), 0);
}

// A Pawn walks up to the hero, who stands outside the start room and
// presses no key until long after the battle has opened; then each key
// comes ten seconds after the previous one.
TEST_F(IdleGameTest, PollsBlockOnlyWhileTheGameWaitsForAKeyAndWakeTheMomentItComes) {
    test::TempDir dir;
    scenario::MakeWorld(RANKS_WORLD_DIR, dir.Path() / "w", scenario::World::kOnePawn, 8, 10);
    test::NewGameOn(dir.Path() / "w");
    for (int i = 1; i <= 200; ++i) headless::Key(headless::kEnter, 60'000 + 10'000 * i);
    // Time the game spent blocked in a key poll rather than pausing.
    auto blocked = [] { return headless::NowMs() - headless::SleptMs(); };
    std::int64_t commandsAt = -1, blockedBefore = 0, sleptAtBlock = -1;
    headless::SetPresentObserver([&] {
        // The command loop's first poll: the battle opening has been played.
        if (commandsAt < 0 && scenario::InBattle() && headless::RowUtf8(10).find("にげる") != std::string::npos) {
            commandsAt = headless::NowMs();
            EXPECT_EQ(blocked(), 0) << "a poll blocked during the chase or the opening";
        }
        if (blocked() != blockedBefore) {
            // Blocking ends only at a key's time, and that key is read next.
            EXPECT_EQ(headless::NowMs() % 10'000, 0);
            EXPECT_EQ(sleptAtBlock, -1) << "blocked again before taking the key";
            sleptAtBlock = headless::SleptMs();
            blockedBefore = blocked();
        }
        if (commandsAt > 0 && !scenario::InBattle() && scenario::OnField()) throw headless::ScriptEnded{};
    });
    int keysRead = 0;
    headless::SetKeyObserver([&] {
        ++keysRead;
        EXPECT_TRUE(sleptAtBlock < 0 || headless::SleptMs() == sleptAtBlock) << "paused between the wait and its key";
        sleptAtBlock = -1;
    });
    RunScript([] {
        for (;;) MainLoopPass();
    });
    ASSERT_GT(commandsAt, 0) << "no enemy reached the hero";
    EXPECT_LT(commandsAt, 60'000);
    EXPECT_GT(keysRead, 3);
    EXPECT_GT(blocked(), 0) << "the game never waited for a key";
}

}  // namespace
}  // namespace rf::platform
