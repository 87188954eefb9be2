#include "platform/windows_keys.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace rf::platform {
namespace {

std::vector<int> Decode(WindowsKeyDecoder& d, std::initializer_list<std::uint32_t> units) {
    std::vector<int> codes;
    for (auto u : units) {
        d.Feed(u);
        while (d.HasCode()) codes.push_back(d.TakeCode());
    }
    return codes;
}

std::vector<int> Decode(std::initializer_list<std::uint32_t> units) {
    WindowsKeyDecoder d;
    return Decode(d, units);
}

TEST(WindowsKeys, ExtendedKeysKeepTheirPrefixAndScanCode) {
    EXPECT_EQ(Decode({0xE0, 72, 0xE0, 80, 0xE0, 75, 0xE0, 77}), (std::vector<int>{224, 72, 224, 80, 224, 75, 224, 77}));
    EXPECT_EQ(Decode({0xE0, 71, 0xE0, 83}), (std::vector<int>{224, 71, 224, 83}));  // Home, Del
    EXPECT_EQ(Decode({0, 59, 0, 68}), (std::vector<int>{0, 59, 0, 68}));            // F1, F10
    EXPECT_EQ(Decode({0xE0, 133}), (std::vector<int>{224, 133}));                   // F12
}

TEST(WindowsKeys, KeypadNavigationWithPrefixZeroReadsAsTheGrayKeys) {
    EXPECT_EQ(Decode({0, 72, 0, 80, 0, 75, 0, 77}), (std::vector<int>{224, 72, 224, 80, 224, 75, 224, 77}));
    EXPECT_EQ(Decode({0, 71, 0, 79, 0, 73, 0, 81, 0, 82, 0, 83}),
              (std::vector<int>{224, 71, 224, 79, 224, 73, 224, 81, 224, 82, 224, 83}));
    EXPECT_EQ(Decode({0, 30}), (std::vector<int>{0, 30}));  // Alt+A stays as it came
}

TEST(WindowsKeys, PrefixWaitsForItsScanCode) {
    WindowsKeyDecoder d;
    d.Feed(0xE0);
    EXPECT_FALSE(d.HasCode());  // a half-read key is not yet waiting
    EXPECT_TRUE(d.AwaitingScanCode());
    d.Feed(77);
    EXPECT_FALSE(d.AwaitingScanCode());
    ASSERT_TRUE(d.HasCode());
    EXPECT_EQ(d.TakeCode(), 224);
    EXPECT_EQ(d.TakeCode(), 77);
    EXPECT_FALSE(d.HasCode());
}

TEST(WindowsKeys, AsciiKeysPassUnchanged) {
    EXPECT_EQ(Decode({13, 32, 27, 8, 9, 'H', 'P', 'a', '~'}), (std::vector<int>{13, 32, 27, 8, 9, 'H', 'P', 'a', '~'}));
    EXPECT_EQ(Decode({'\n'}), (std::vector<int>{13}));  // Ctrl+Enter acts as Enter
}

TEST(WindowsKeys, FullWidthInputFromAnInputMethodReadsAsAscii) {
    EXPECT_EQ(Decode({0x3000}), (std::vector<int>{32}));
    EXPECT_EQ(Decode({0xFF21, 0xFF4D, 0xFF01, 0xFF5E}), (std::vector<int>{'A', 'm', '!', '~'}));
}

TEST(WindowsKeys, OtherCharactersAreDroppedWithoutFakingAKey) {
    // あ, 漢, é, the replacement character and WEOF mean nothing to the game.
    EXPECT_TRUE(Decode({0x3042, 0x6F22, 0xE9, 0xFFFD, 0xFFFF}).empty());
    // Dropping one does not disturb the prefix handling that follows.
    EXPECT_EQ(Decode({0x6F22, 0xE0, 80, 'x'}), (std::vector<int>{224, 80, 'x'}));
    EXPECT_EQ(Decode({0xFF00, 0xFF5F}), std::vector<int>{});  // just outside the full-width ASCII range
}

TEST(WindowsKeys, CtrlCRequestsTheEndAndReset) {
    WindowsKeyDecoder d;
    EXPECT_FALSE(d.QuitRequested());
    EXPECT_TRUE(Decode(d, {'a', 3}) == std::vector<int>{'a'});
    EXPECT_TRUE(d.QuitRequested());
    d.Feed(0xE0);
    d.Reset();
    EXPECT_FALSE(d.QuitRequested());
    EXPECT_FALSE(d.AwaitingScanCode());
    EXPECT_EQ(Decode(d, {72}), std::vector<int>{72});
}

// The console runtime as _kbhit and _getwch show it: after handing out a
// prefix it keeps the scan code and its key-hit test no longer reports it.
struct FakeRuntime {
    std::deque<std::uint32_t> events;  // units of keys not yet touched
    int stashed = -1;
    int reads = 0;
    bool Hit() const { return !events.empty(); }
    std::uint32_t Read() {
        ++reads;
        if (stashed >= 0) {
            auto u = static_cast<std::uint32_t>(stashed);
            stashed = -1;
            return u;
        }
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
    FakeRuntime rt{{0xE0, 72}};
    WindowsKeyDecoder d;
    auto hit = [&] { return rt.Hit(); };
    auto read = [&] { return rt.Read(); };
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 224);
    // The second code is ready at once, before any further key is pressed.
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 72);
    EXPECT_FALSE(FillWaiting(d, hit, read));
    EXPECT_EQ(rt.reads, 2);
}

TEST(WindowsKeys, WaitingTestReadsOnlyWhatIsThere) {
    FakeRuntime rt{{0x3042, 'a', 'b'}};  // a dropped character, then two keys
    WindowsKeyDecoder d;
    auto hit = [&] { return rt.Hit(); };
    auto read = [&] { return rt.Read(); };
    ASSERT_TRUE(FillWaiting(d, hit, read));
    EXPECT_EQ(d.TakeCode(), 'a');
    EXPECT_EQ(rt.events.size(), 1u);  // 'b' stays with the console until asked for
    FakeRuntime empty;
    WindowsKeyDecoder e;
    EXPECT_FALSE(FillWaiting(e, [&] { return empty.Hit(); }, [&] { return empty.Read(); }));
    EXPECT_EQ(empty.reads, 0);
}

TEST(WindowsKeys, BlockingReadSkipsDroppedCharactersAndStopsAtCtrlC) {
    FakeRuntime rt{{0x6F22, 0, 59, 3, 'z'}};
    WindowsKeyDecoder d;
    auto read = [&] { return rt.Read(); };
    FillBlocking(d, read);
    EXPECT_EQ(d.TakeCode(), 0);
    EXPECT_EQ(d.TakeCode(), 59);
    FillBlocking(d, read);
    EXPECT_TRUE(d.QuitRequested());
    EXPECT_FALSE(d.HasCode());
    EXPECT_EQ(rt.events.size(), 1u);  // nothing is read past Ctrl+C
    EXPECT_FALSE(FillWaiting(d, [&] { return rt.Hit(); }, read));
}

TEST(WindowsKeys, IdlePacerWaitsFromTheSecondIdlePollInARow) {
    IdlePollPacer p;
    EXPECT_FALSE(p.Idle());
    EXPECT_TRUE(p.Idle());
    EXPECT_TRUE(p.Idle());
    p.Busy();
    EXPECT_FALSE(p.Idle());  // a sleep or a key in between: the first idle poll never waits
}

}  // namespace
}  // namespace rf::platform
