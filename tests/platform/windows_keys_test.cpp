#include "platform/windows_keys.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace rf::platform {
namespace {

using Codes = std::vector<int>;

TEST(WindowsKeys, UnitsAsTheConsoleCodesTheGameReads) {
    struct Case {
        std::vector<std::uint32_t> units;
        Codes codes;
    };
    const Case cases[] = {
        {{0xE0, 72, 0xE0, 77, 0, 59, 0xE0, 133}, {224, 72, 224, 77, 0, 59, 224, 133}},
        // Keypad navigation with prefix 0 reads as the gray keys; Alt+A stays.
        {{0, 72, 0, 83, 0, 30}, {224, 72, 224, 83, 0, 30}},
        {{13, 32, 27, 8, 'H', 'P', '\n'}, {13, 32, 27, 8, 'H', 'P', 13}},
        // Full-width input from an input method reads as ASCII.
        {{0x3000, 0xFF21, 0xFF5E}, {32, 'A', '~'}},
        // Other characters are dropped without disturbing a prefix that follows.
        {{0x3042, 0xE9, 0xFFFF, 0xFF00, 0xFF5F, 0xE0, 80, 'x'}, {224, 80, 'x'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.units));
        WindowsKeyDecoder d;
        Codes codes;
        for (auto u : c.units) {
            d.Feed(u);
            while (d.HasCode()) codes.push_back(d.TakeCode());
        }
        EXPECT_EQ(codes, c.codes);
    }
}

// The console runtime as _kbhit and _getwch show it: after handing out a
// prefix it keeps the scan code and its key-hit test no longer reports it.
struct FakeRuntime {
    std::deque<std::uint32_t> events;
    int stashed = -1;
    int reads = 0;
    bool Hit() const { return !events.empty(); }
    std::uint32_t Read() {
        ++reads;
        if (stashed >= 0) return static_cast<std::uint32_t>(std::exchange(stashed, -1));
        auto u = events.front();
        events.pop_front();
        if ((u == 0 || u == 0xE0) && !events.empty()) {
            stashed = static_cast<int>(events.front());
            events.pop_front();
        }
        return u;
    }
};

TEST(WindowsKeys, AnArrowIsWaitingWholeThoughTheRuntimeHidesItsScanCode) {
    FakeRuntime rt{{0xE0, 72, 'b'}};
    WindowsKeyDecoder d;
    auto hit = [&] { return rt.Hit(); };
    auto read = [&] { return rt.Read(); };
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 224);
    // The second code is ready at once; 'b' stays with the console until asked for.
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 72);
    EXPECT_EQ(rt.reads, 2);
}

TEST(WindowsKeys, BlockingReadStopsAtCtrlCAndResetClearsIt) {
    FakeRuntime rt{{0x6F22, 'a', 3, 'z'}};
    WindowsKeyDecoder d;
    auto read = [&] { return rt.Read(); };
    FillBlocking(d, read);
    EXPECT_EQ(d.TakeCode(), 'a');
    FillBlocking(d, read);
    EXPECT_TRUE(d.QuitRequested());
    EXPECT_EQ(rt.events.size(), 1u);  // nothing is read past Ctrl+C
    d.Feed(0xE0);
    d.Reset();
    EXPECT_FALSE(d.QuitRequested());
    EXPECT_FALSE(d.AwaitingScanCode());
}

}  // namespace
}  // namespace rf::platform
