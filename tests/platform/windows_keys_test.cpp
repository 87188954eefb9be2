#include "platform/windows/windows_keys.h"

#include <gtest/gtest.h>

namespace rf::platform {
namespace {

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

// The console runtime as _kbhit and _getwch show it: after handing out a
// prefix it keeps the scan code, and its key-hit test no longer reports it.
TEST(WindowsKeys, AnArrowIsWaitingWholeThoughTheRuntimeHidesItsScanCode) {
    std::vector<std::uint32_t> events{0xE0, 72, 3, 'b'};
    std::size_t next = 0, hidden = SIZE_MAX;
    auto hit = [&] { return next < events.size() && next != hidden; };
    auto read = [&] {
        hidden = events[next] == 0xE0 ? next + 1 : SIZE_MAX;
        return events[next++];
    };
    WindowsKeyDecoder d;
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 224);
    // The second code is ready at once, without another key.
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 72);
    EXPECT_EQ(next, 2u);
    EXPECT_FALSE(FillWaiting(d, hit, read));
    EXPECT_TRUE(d.QuitRequested());
    EXPECT_EQ(next, 3u);  // nothing is read past Ctrl+C
}

}  // namespace
}  // namespace rf::platform
