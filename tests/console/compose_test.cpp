#include "console/compose.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sjis.h"

namespace rf {
namespace {

std::string Sj(std::string_view cp932) { return std::string(cp932); }

TEST(ComposeTest, NumberOrNameFillsOnlyTheFirstGap) {
    const auto templ = "相手に のダメージ!!"_sj;
    for (int v : {0, 9, 10, 99, 100, 32767}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(ComposeWithNumber(templ, v), Sj("相手に"_sj) + std::to_string(v) + Sj("のダメージ!!"_sj));
    }
    // An experience gain is unsigned 16-bit: beyond 32767 it is still shown whole.
    EXPECT_EQ(ComposeWithNumber("経験値 を得ました。"_sj, 40000), Sj("経験値40000を得ました。"_sj));
    EXPECT_EQ(ComposeWithNumber("a b", -7), "a0b");
    EXPECT_EQ(ComposeWithNumber(" の体力が 回復しました。"_sj, 5), Sj("5の体力が 回復しました。"_sj));
    // A name, then the heal message composed twice.
    EXPECT_EQ(ComposeWithName(" の攻撃!!"_sj, ""), Sj("の攻撃!!"_sj));
    const char field[16] = "Hero";
    const std::string once = ComposeWithName(" の体力が 回復しました。"_sj, std::string_view(field, sizeof field));
    EXPECT_EQ(once, "Hero" + Sj("の体力が 回復しました。"_sj));
    EXPECT_EQ(ComposeWithNumber(once, 12), "Hero" + Sj("の体力が12回復しました。"_sj));
}

}  // namespace
}  // namespace rf
