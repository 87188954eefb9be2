// The Windows console's pieces that need no Windows: its key codes and
// input records, and output fed through the lead-byte joiner.
#include "platform/windows/windows_keys.h"
#include "platform/windows/windows_output.h"

#include <gtest/gtest.h>

#include "platform/model/virtual_console.h"
#include "text/sj_literal.h"

namespace rf::platform {
namespace {

using namespace rf;

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

}  // namespace
}  // namespace rf::platform
