#include "platform/windows_keys.h"

#include <gtest/gtest.h>

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
