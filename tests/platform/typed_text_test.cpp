// Text typed beyond ASCII: one code a character where the painter takes
// text, decided when the key is read, so text that comes in one read with
// the key that asks for it is kept. (Where the game reads keys it is
// skipped, or read as ASCII: the key decoders' tests.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/model/key_decoder.h"
#include "platform/windows/windows_keys.h"

namespace rf::platform {
namespace {

// Each case's reader asks for text once it has read the first key.
struct TypedCase {
    const char* name;
    const char* bytes;
    std::vector<int> codes;
};

constexpr int kKan = keys::kTypedCharacter + 0x770B, kBan = keys::kTypedCharacter + 0x677F;

const TypedCase kCases[] = {
    {"taken after the key that asks, in the same read", "i\xE7\x9C\x8B\xE6\x9D\xBF\r", {'i', kKan, kBan, 13}},
    {"a broken character is no text", "i\xE7\x9Cx", {'i', 'x'}},
    {"an arrow among the text stays an arrow", "i\xE7\x9C\x8B\x1B[A", {'i', kKan, keys::kPrefix, keys::kUp}},
};

TEST(TypedText, IsTakenOnceTheReaderAsksForIt) {
    for (const TypedCase& c : kCases) {
        SCOPED_TRACE(c.name);
        KeyDecoder decoder;
        decoder.Feed(c.bytes, 0);
        std::vector<int> codes;
        while (decoder.HasKey()) {
            codes.push_back(decoder.NextKey());
            if (codes.size() == 1) decoder.TakeText(true);
        }
        EXPECT_EQ(codes, c.codes);
    }
}

// The Windows console hands over UTF-16 units, a batch of records at a
// time: decided when read as well; taken as text, each stays itself.
TEST(TypedText, FromTheWindowsConsoleAsTheTerminalsText) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> units;
        std::vector<int> codes;
    } cases[] = {
        {"taken after the key that asks, in the same batch",
         {'i', 0xFF21, 0x770B, 0xD83D, 0xDE00, '\r'},
         {'i', keys::kTypedCharacter + 0xFF21, kKan, 13}},
        {"an arrow among the text stays an arrow", {'i', 0x770B, 0xE0, 72}, {'i', kKan, 224, 72}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowsKeyDecoder decoder;
        for (std::uint32_t unit : c.units) decoder.Feed(unit);
        std::vector<int> codes;
        while (decoder.HasCode()) {
            codes.push_back(decoder.TakeCode());
            if (codes.size() == 1) decoder.TakeText(true);
        }
        EXPECT_EQ(codes, c.codes);
    }
}

}  // namespace
}  // namespace rf::platform
