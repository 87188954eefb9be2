#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rf::platform {
namespace {

// Every code the decoder has ready, one read each.
std::vector<int> Drain(KeyDecoder& d) {
    std::vector<int> codes;
    while (d.HasKey()) codes.push_back(d.NextKey());
    return codes;
}

std::vector<int> Decode(std::string_view bytes) {
    KeyDecoder d;
    d.Feed(bytes, 0);
    return Drain(d);
}

using Codes = std::vector<int>;

TEST(KeyDecoderTest, ArrowsInBothFormsGiveThePrefixThenTheScanCode) {
    EXPECT_EQ(Decode("\x1b[A"), (Codes{224, 72}));
    EXPECT_EQ(Decode("\x1b[B"), (Codes{224, 80}));
    EXPECT_EQ(Decode("\x1b[C"), (Codes{224, 77}));
    EXPECT_EQ(Decode("\x1b[D"), (Codes{224, 75}));
    EXPECT_EQ(Decode("\x1bOA"), (Codes{224, 72}));
    EXPECT_EQ(Decode("\x1bOB"), (Codes{224, 80}));
    EXPECT_EQ(Decode("\x1bOC"), (Codes{224, 77}));
    EXPECT_EQ(Decode("\x1bOD"), (Codes{224, 75}));
    // With a modifier (Ctrl+Up) it is still the arrow.
    EXPECT_EQ(Decode("\x1b[1;5A"), (Codes{224, 72}));
}

TEST(KeyDecoderTest, APairIsHandedOverOneCodePerRead) {
    KeyDecoder d;
    d.Feed("\x1b[C\x1b[B", 0);
    EXPECT_EQ(d.NextKey(), 224);
    EXPECT_TRUE(d.HasKey());
    EXPECT_EQ(d.NextKey(), 77);
    EXPECT_EQ(d.NextKey(), 224);
    EXPECT_EQ(d.NextKey(), 80);
    EXPECT_FALSE(d.HasKey());
    EXPECT_EQ(d.NextKey(), -1);
}

TEST(KeyDecoderTest, EditingKeysInTheirCommonForms) {
    EXPECT_EQ(Decode("\x1b[H"), (Codes{224, 71}));
    EXPECT_EQ(Decode("\x1bOH"), (Codes{224, 71}));
    EXPECT_EQ(Decode("\x1b[1~"), (Codes{224, 71}));
    EXPECT_EQ(Decode("\x1b[7~"), (Codes{224, 71}));
    EXPECT_EQ(Decode("\x1b[F"), (Codes{224, 79}));
    EXPECT_EQ(Decode("\x1bOF"), (Codes{224, 79}));
    EXPECT_EQ(Decode("\x1b[4~"), (Codes{224, 79}));
    EXPECT_EQ(Decode("\x1b[8~"), (Codes{224, 79}));
    EXPECT_EQ(Decode("\x1b[5~"), (Codes{224, 73}));
    EXPECT_EQ(Decode("\x1b[6~"), (Codes{224, 81}));
    EXPECT_EQ(Decode("\x1b[2~"), (Codes{224, 82}));
    EXPECT_EQ(Decode("\x1b[3~"), (Codes{224, 83}));
    EXPECT_EQ(Decode("\x1b[3;5~"), (Codes{224, 83}));
}

TEST(KeyDecoderTest, FunctionKeysGiveTheZeroPrefix) {
    EXPECT_EQ(Decode("\x1bOP\x1bOQ\x1bOR\x1bOS"), (Codes{0, 59, 0, 60, 0, 61, 0, 62}));
    EXPECT_EQ(Decode("\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~"),
              (Codes{0, 59, 0, 60, 0, 61, 0, 62, 0, 63}));
    EXPECT_EQ(Decode("\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~"),
              (Codes{0, 64, 0, 65, 0, 66, 0, 67, 0, 68}));
    // The Linux console's F1 to F5.
    EXPECT_EQ(Decode("\x1b[[A\x1b[[E"), (Codes{0, 59, 0, 63}));
    EXPECT_EQ(Decode("\x1b[1;2P"), (Codes{0, 59}));
}

TEST(KeyDecoderTest, EnterAsCrOrLfAndCrLfOnce) {
    EXPECT_EQ(Decode("\r"), (Codes{13}));
    EXPECT_EQ(Decode("\n"), (Codes{13}));
    EXPECT_EQ(Decode("\r\n"), (Codes{13}));
    EXPECT_EQ(Decode("\r\r"), (Codes{13, 13}));
    EXPECT_EQ(Decode("\n\n"), (Codes{13, 13}));
    EXPECT_EQ(Decode("\r\n\r\n"), (Codes{13, 13}));
    EXPECT_EQ(Decode("\ra\n"), (Codes{13, 'a', 13}));
    // The pair split over two reads still counts once.
    KeyDecoder d;
    d.Feed("\r", 0);
    d.Feed("\n", 1);
    EXPECT_EQ(Drain(d), (Codes{13}));
}

TEST(KeyDecoderTest, PrintableAsciiIsItsOwnCodeEvenWhereItSharesAScanCode) {
    EXPECT_EQ(Decode(" aZ~H"), (Codes{32, 'a', 'Z', '~', 72}));
    EXPECT_EQ(Decode("\t\x7f\b"), (Codes{9, 8, 8}));
}

TEST(KeyDecoderTest, LoneEscapeCountsOnlyAfterQuiet) {
    KeyDecoder d;
    d.Feed("\x1b", 100);
    d.Tick(100);
    EXPECT_FALSE(d.HasKey());
    EXPECT_EQ(d.MsUntilSettled(100), KeyDecoder::kEscapeTimeoutMs);
    d.Tick(100 + KeyDecoder::kEscapeTimeoutMs - 1);
    EXPECT_FALSE(d.HasKey());
    EXPECT_EQ(d.MsUntilSettled(124), 1);
    d.Tick(100 + KeyDecoder::kEscapeTimeoutMs);
    EXPECT_EQ(Drain(d), (Codes{27}));
    EXPECT_EQ(d.MsUntilSettled(200), -1);
}

TEST(KeyDecoderTest, SequenceSplitAcrossReadsWithinTheQuietTime) {
    KeyDecoder d;
    d.Feed("\x1b", 0);
    d.Tick(10);
    d.Feed("[", 10);
    d.Tick(30);  // 20 ms after the last byte: still waiting
    EXPECT_FALSE(d.HasKey());
    d.Feed("A", 30);
    EXPECT_EQ(Drain(d), (Codes{224, 72}));
    // Bytes that came together are one key however late they are read.
    d.Feed("\x1b", 1000);
    d.Feed("OB", 5000);
    EXPECT_EQ(Drain(d), (Codes{224, 80}));
}

TEST(KeyDecoderTest, EscapeFollowedByLaterBytesAfterTheTimeoutIsEscapeThenKeys) {
    KeyDecoder d;
    d.Feed("\x1b", 0);
    d.Tick(30);
    d.Feed("[A", 40);
    EXPECT_EQ(Drain(d), (Codes{27, '[', 'A'}));
}

TEST(KeyDecoderTest, EscapeBeforeAnOrdinaryKeyOrAnotherEscape) {
    EXPECT_EQ(Decode("\x1bx"), (Codes{27, 'x'}));
    EXPECT_EQ(Decode("\x1b\r"), (Codes{27, 13}));
    KeyDecoder d;
    d.Feed("\x1b\x1b", 0);
    EXPECT_EQ(Drain(d), (Codes{27}));
    d.Tick(25);
    EXPECT_EQ(Drain(d), (Codes{27}));
}

TEST(KeyDecoderTest, UnknownAndUnfinishedSequencesAreSwallowed) {
    EXPECT_EQ(Decode("\x1b[99~a"), (Codes{'a'}));
    EXPECT_EQ(Decode("\x1b[Ia\x1b[Ob"), (Codes{'a', 'b'}));     // focus reports
    EXPECT_EQ(Decode("\x1b[?1;2cz"), (Codes{'z'}));             // a device report
    EXPECT_EQ(Decode("\x1bOzq"), (Codes{'q'}));
    EXPECT_EQ(Decode("\x1b[[Zq"), (Codes{'q'}));
    // A parameter run that never ends is dropped, and decoding goes on.
    EXPECT_EQ(Decode(std::string("\x1b[") + std::string(40, '1') + "~a"), (Codes{'a'}));
    EXPECT_EQ(Decode(std::string("\x1b[") + std::string(40, ';') + "\x1b[A"), (Codes{224, 72}));
    // A sequence broken off by a control byte or a new ESC.
    EXPECT_EQ(Decode("\x1b[1\r"), (Codes{13}));
    EXPECT_EQ(Decode("\x1b[1\x1b[B"), (Codes{224, 80}));
    // A cut-off sequence is dropped when the input goes quiet.
    KeyDecoder d;
    d.Feed("\x1b[1;", 0);
    d.Tick(25);
    EXPECT_FALSE(d.HasKey());
    d.Feed("k", 30);
    EXPECT_EQ(Drain(d), (Codes{'k'}));
}

TEST(KeyDecoderTest, Utf8TextIsIgnoredWhole) {
    // "あ" and "Ｍ": no continuation byte may pass for a key such as 77 or 80.
    EXPECT_EQ(Decode("\xe3\x81\x82" "a" "\xef\xbc\xad" "b"), (Codes{'a', 'b'}));
    EXPECT_EQ(Decode("\xc3\xa9\xf0\x9f\x98\x80" "c"), (Codes{'c'}));
    // Stray and broken bytes.
    EXPECT_EQ(Decode("\x80\xbf\xff\xfe" "d"), (Codes{'d'}));
    EXPECT_EQ(Decode("\xe3\x81" "e"), (Codes{'e'}));
    // A character split over two reads.
    KeyDecoder d;
    d.Feed("\xe3\x81", 0);
    d.Feed("\x82" "f", 1);
    EXPECT_EQ(Drain(d), (Codes{'f'}));
}

TEST(KeyDecoderTest, CtrlCAndCtrlZAreRequestsNotKeys) {
    KeyDecoder d;
    d.Feed("a\x03", 0);
    EXPECT_TRUE(d.TakeInterrupt());
    EXPECT_FALSE(d.TakeInterrupt());
    EXPECT_EQ(Drain(d), (Codes{'a'}));
    d.Feed("\x1a", 1);
    EXPECT_TRUE(d.TakeSuspend());
    EXPECT_FALSE(d.TakeSuspend());
    EXPECT_FALSE(d.HasKey());
    // Ctrl+Space (NUL) would pose as the function-key prefix.
    EXPECT_EQ(Decode(std::string_view("\0g", 2)), (Codes{'g'}));
}

TEST(KeyDecoderTest, ArbitraryBytesNeverCrashAndDecodingRecovers) {
    KeyDecoder d;
    std::uint32_t seed = 12345;
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        junk += static_cast<char>(seed >> 16);
    }
    for (std::size_t i = 0; i < junk.size(); i += 7) {
        d.Feed(std::string_view(junk).substr(i, 7), static_cast<std::int64_t>(i));
        d.Tick(static_cast<std::int64_t>(i));
        while (d.HasKey()) {
            int c = d.NextKey();
            EXPECT_TRUE(c >= 0 && c <= 224) << c;
        }
    }
    d.TakeInterrupt();
    d.TakeSuspend();
    d.Tick(1'000'000);
    Drain(d);
    d.Feed("\x1b[A", 1'000'001);
    EXPECT_EQ(Drain(d), (Codes{224, 72}));
}

}  // namespace
}  // namespace rf::platform
