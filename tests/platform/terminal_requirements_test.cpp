#include "platform/model/terminal_requirements.h"

#include <gtest/gtest.h>

#include "text/escape.h"

namespace rf::platform {
namespace {

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
    const struct {
        TerminalFacts facts;
        const char* says;  // "" when the terminal is fine
    } cases[] = {
        {{"xterm-256color", "LANG", "C.UTF-8", "UTF-8", true}, ""},
        {{"xterm", "LANG", "ja_JP.UTF-8", "", std::nullopt}, ""},  // not installed, judged by its name
        {{std::nullopt, "LANG", "C.UTF-8", "UTF-8", {}}, "TERM is not set"},
        {{"", "LANG", "C.UTF-8", "UTF-8", {}}, "TERM is not set"},
        {{"dumb", "LANG", "C.UTF-8", "UTF-8", {}}, "TERM=dumb cannot place the cursor"},
        {{"adm3\x1b[2J", "LANG", "C.UTF-8", "UTF-8", false}, "TERM=adm3\\x1b[2J cannot"},
        {{"xterm", "", "", "ANSI_X3.4-1968", true}, "(no LANG, LC_CTYPE or LC_ALL is set)"},
        {{"xterm", "LC_CTYPE", "ja_JP.eucJP", "", true}, "set LC_CTYPE=C.UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::string refusal = TerminalRefusal(c.facts);
        if (*c.says == '\0') EXPECT_EQ(refusal, "");
        else EXPECT_NE(refusal.find(c.says), std::string::npos) << refusal;
        EXPECT_EQ(refusal.find('\n'), std::string::npos);
    }
}

// That no control character is left is the fuzz target's; here, what is kept and the forms.
TEST(TerminalRequirements, EchoedTextHasItsControlsEscaped) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"日本語 ok", "日本語 ok"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {"\xc2\x9b"
         "2J",
         "\\u009b2J"},                                 // C1 introducer as UTF-8
        {"\x9b\xff\xc0\xaf", "\\x9b\\xff\\xc0\\xaf"},  // not UTF-8 (an overlong slash among them)
        {"\xe3\x81", "\\xe3\\x81"},                    // cut short
    };
    for (auto [in, out] : cases) EXPECT_EQ(Escaped(in), out);
}

// The real round trip runs in every terminal test: a wrong width would show there.
// By the first number of the secondary device attributes: xterm, VTE, tmux;
// not Konsole or kitty (1), qterminal or libvterm (0), GNU screen, mlterm.
TEST(TerminalRequirements, MovedBlanksTrustedOnlyWhereTheTerminalSaysWhichItIs) {
    for (auto [kind, kept] :
         {std::pair{41, true}, {65, true}, {84, true}, {0, false}, {1, false}, {83, false}, {24, false}, {-1, false}})
        EXPECT_EQ(KeepsMovedBlanks(kind), kept) << kind;
}

TEST(TerminalRequirements, TheAmbiguousWidthFromAnAnswerOrWithoutOne) {
    for (auto [column, width] : {std::pair{11, 1}, {12, 2}, {1, 0}}) EXPECT_EQ(AmbiguousWidthAnswer(5, column), width);
    EXPECT_EQ(AmbiguousWidthAnswer(7, 11), std::nullopt);
    const std::pair<const char*, int> locales[] = {
        {"ja_JP.UTF-8", 0}, {"zh_TW.UTF-8", 0}, {"ko_KR.utf8@x", 0}, {"ja", 0},
        {"C.UTF-8", 1},     {"en_US.UTF-8", 1}, {"jv_ID.UTF-8", 1},  {"", 1}};
    for (auto [locale, width] : locales) EXPECT_EQ(AmbiguousWidthWithoutAnswer(locale), width) << locale;
    // The form for both until the patience runs out, then the width without
    // an answer; an answer decides whenever it comes.
    const std::int64_t kT = AmbiguousWidthQuestion::kPatienceMs;
    const struct {
        int withoutAnswer;
        std::int64_t answeredAt;  // -1: never
        int answer;
        int widths[4];  // at 0, kT - 1, kT and 2kT after asking
    } cases[] = {{1, -1, 0, {0, 0, 1, 1}},
                 {0, -1, 0, {0, 0, 0, 0}},
                 {1, 1, 2, {0, 2, 2, 2}},
                 {1, kT + 1, 2, {0, 0, 1, 2}},
                 {1, 1, 0, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        AmbiguousWidthQuestion q;
        q.Asked(1000, c.withoutAnswer);
        int i = 0;
        for (std::int64_t t : {std::int64_t{0}, kT - 1, kT, 2 * kT}) {
            if (c.answeredAt >= 0 && t >= c.answeredAt && !q.HasAnswer()) q.Answered(c.answer);
            EXPECT_EQ(q.Width(1000 + t), c.widths[i++]) << c.withoutAnswer << " " << c.answeredAt << " at " << t;
        }
    }
}

}  // namespace
}  // namespace rf::platform
