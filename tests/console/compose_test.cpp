#include "console/compose.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sjis.h"

namespace rf {
namespace {

std::string Sj(std::string_view cp932) { return std::string(cp932); }

TEST(ComposeWithNumberTest, DigitsFillTheGapWithNothingAround) {
    const auto templ = "相手に のダメージ!!"_sj;
    EXPECT_EQ(ComposeWithNumber(templ, 0), Sj("相手に0のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 9), Sj("相手に9のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 10), Sj("相手に10のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 99), Sj("相手に99のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 100), Sj("相手に100のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 10000), Sj("相手に10000のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber(templ, 32767), Sj("相手に32767のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber("経験値 を得ました。"_sj, 1205), Sj("経験値1205を得ました。"_sj));
    // An experience gain is unsigned 16-bit: beyond 32767 it is still shown whole.
    EXPECT_EQ(ComposeWithNumber("経験値 を得ました。"_sj, 40000), Sj("経験値40000を得ました。"_sj));
    EXPECT_EQ(ComposeWithNumber("a b", 65535), "a65535b");
}

TEST(ComposeWithNumberTest, NegativeValueIsWrittenAsZero) {
    EXPECT_EQ(ComposeWithNumber("主人公に のダメージ!!"_sj, -7), Sj("主人公に0のダメージ!!"_sj));
    EXPECT_EQ(ComposeWithNumber("a b", -32768), "a0b");
}

TEST(ComposeWithNumberTest, OnlyTheFirstSpaceIsTheGap) {
    EXPECT_EQ(ComposeWithNumber(" の体力が 回復しました。"_sj, 5), Sj("5の体力が 回復しました。"_sj));
    EXPECT_EQ(ComposeWithNumber("end ", 42), "end42");
    EXPECT_EQ(ComposeWithNumber("nogap", 42), "nogap42");
    EXPECT_EQ(ComposeWithNumber("", 3), "3");
}

TEST(ComposeWithNumberTest, TextEndsAtItsTerminator) {
    EXPECT_EQ(ComposeWithNumber(std::string_view("a b\0c d", 7), 1), "a1b");
}

TEST(ComposeWithNameTest, NameFillsTheGap) {
    EXPECT_EQ(ComposeWithName(" の攻撃!!"_sj, "Knight"), "Knight" + Sj("の攻撃!!"_sj));
    EXPECT_EQ(ComposeWithName(" の攻撃!!"_sj, ""), Sj("の攻撃!!"_sj));
    EXPECT_EQ(ComposeWithName(" の防御力がアップした。"_sj, "勇者"_sj), Sj("勇者の防御力がアップした。"_sj));
}

TEST(ComposeWithNameTest, NameEndsAtItsTerminator) {
    const char field[16] = "Hero";
    EXPECT_EQ(ComposeWithName("x y", std::string_view(field, sizeof field)), "xHeroy");
}

TEST(ComposeTest, HealMessageIsComposedTwice) {
    const std::string once = ComposeWithName(" の体力が 回復しました。"_sj, "Hero");
    EXPECT_EQ(once, "Hero" + Sj("の体力が 回復しました。"_sj));
    EXPECT_EQ(ComposeWithNumber(once, 12), "Hero" + Sj("の体力が12回復しました。"_sj));
}

}  // namespace
}  // namespace rf
