// Text typed beyond ASCII: skipped as ever where the game reads keys, one
// code a character where the painter takes text, decided when the key is
// read, so text that comes in one read with the key that asks for it is
// kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/model/key_decoder.h"
#include "platform/windows/windows_keys.h"

namespace rf::platform {
namespace {

struct TypedCase {
    const char* name;
    const char* bytes;
    bool takenAfterFirstKey;  // the reader asks for text once it read the first key
    std::vector<int> codes;
};

constexpr int kKan = keys::kTypedCharacter + 0x770B, kBan = keys::kTypedCharacter + 0x677F;

const TypedCase kCases[] = {
    {"skipped by the game",
     "a\xE7\x9C\x8B"
     "b",
     false,
     {'a', 'b'}},
    {"taken after the key that asks, in the same read", "i\xE7\x9C\x8B\xE6\x9D\xBF\r", true, {'i', kKan, kBan, 13}},
    {"a broken character is no text",
     "i\xE7\x9C"
     "x",
     true,
     {'i', 'x'}},
    {"an arrow among the text stays an arrow", "i\xE7\x9C\x8B\x1B[A", true, {'i', kKan, keys::kPrefix, keys::kUp}},
};

TEST(TypedText, IsTakenWhenReadAndSkippedOtherwise) {
    for (const TypedCase& c : kCases) {
        SCOPED_TRACE(c.name);
        KeyDecoder decoder;
        decoder.Feed(c.bytes, 0);
        std::vector<int> codes;
        while (decoder.HasKey()) {
            codes.push_back(decoder.NextKey());
            if (codes.size() == 1 && c.takenAfterFirstKey) decoder.TakeText(true);
        }
        EXPECT_EQ(codes, c.codes);
    }
}

// The Windows console hands over UTF-16 units, a batch of records at a
// time: decided when read as well. For the game a full-width letter is its
// ASCII letter and a kanji nothing; taken as text, each stays itself.
TEST(TypedText, FromTheWindowsConsoleAsTheTerminalsText) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> units;
        bool takenAfterFirstKey;
        std::vector<int> codes;
    } cases[] = {
        {"for the game", {'a', 0xFF21, 0x770B, 0x3000, 'b'}, false, {'a', 'A', ' ', 'b'}},
        {"taken after the key that asks, in the same batch",
         {'i', 0xFF21, 0x770B, 0xD83D, 0xDE00, '\r'},
         true,
         {'i', keys::kTypedCharacter + 0xFF21, kKan, 13}},
        {"an arrow among the text stays an arrow", {'i', 0x770B, 0xE0, 72}, true, {'i', kKan, 224, 72}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowsKeyDecoder decoder;
        for (std::uint32_t unit : c.units) decoder.Feed(unit);
        std::vector<int> codes;
        while (decoder.HasCode()) {
            codes.push_back(decoder.TakeCode());
            if (codes.size() == 1 && c.takenAfterFirstKey) decoder.TakeText(true);
        }
        EXPECT_EQ(codes, c.codes);
    }
}

}  // namespace
}  // namespace rf::platform
