// Keys as the game reads them: a terminal's bytes, and the Windows
// console's units and input records, as the console codes.
#include "platform/model/key_decoder.h"
#include "platform/windows/windows_keys.h"

#include <gtest/gtest.h>

namespace rf::platform {
namespace {

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
        {" aZ~H\t\x7f\x1bx", {32, 'a', 'Z', '~', 72, 9, 8, 27, 'x'}},
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
    for (auto [bytes, kind] : {std::pair{"a\x1b[>41;388;0cb", 41}, {"a\x1b[>84;0;0cb", 84}, {"a\x1b[>cb", -1}}) {
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
    // Within the quiet time a sequence may come in pieces; so may CR LF and UTF-8.
    d.Feed("\x1b", 200);
    d.Feed("[", 210);
    d.Tick(230);
    d.Feed("A\r", 230);
    d.Feed("\n\xe3\x81", 231);
    d.Feed("\x82g", 232);
    EXPECT_EQ(Drain(d), (Codes{224, 72, 13, 'g'}));
}

TEST(WindowsKeys, UnitsAsTheConsoleCodesTheGameReads) {
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
}

// Input records as the console hands them over: an arrow is whole at once,
// with no character after it; releases and lone modifiers give nothing.
TEST(WindowsKeys, InputRecordsAsTheRuntimeWouldReadThem) {
    constexpr std::uint32_t kGray = 0x0100;  // ENHANCED_KEY
    const std::pair<std::vector<ConsoleKeyEvent>, std::vector<int>> cases[] = {
        {{{true, 1, 0x26, 72, 0, kGray}}, {224, 72}},                                // Up
        {{{true, 1, 0x26, 72, 0, 0}, {true, 1, 0x70, 59, 0, 0}}, {224, 72, 0, 59}},  // keypad 8, F1
        {{{true, 3, 0x28, 80, 0, kGray}}, {224, 80, 224, 80, 224, 80}},              // Down held
        {{{false, 1, 0x26, 72, 0, kGray}, {true, 1, 0x10, 42, 0, 0}, {true, 1, 0x14, 58, 0, 0}}, {}},
        {{{true, 1, 0x0D, 28, 13, 0}, {true, 2, 0x20, 57, 32, 0}, {true, 1, 0x48, 35, 'H', 0}}, {13, 32, 32, 'H'}},
        {{{true, 1, 0x41, 30, 0xFF41, 0}, {true, 1, 0x10, 42, 'x', 0}},
         {'a', 'x'}},  // IME full width; a character wins
    };
    for (const auto& [events, codes] : cases) {
        WindowsKeyDecoder d;
        std::vector<int> got;
        for (const ConsoleKeyEvent& e : events) FeedKeyEvent(d, e);
        while (d.HasCode()) got.push_back(d.TakeCode());
        EXPECT_EQ(got, codes) << "from " << events.size() << " events, first key " << events[0].virtualKey;
    }
}

}  // namespace
}  // namespace rf::platform
