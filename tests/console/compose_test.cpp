// The ordinary compositions show in every battle message; these are the edges.
#include "console/compose.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sjis.h"

namespace rf {
namespace {

TEST(ComposeTest, NumberOrNameFillsOnlyTheFirstGap) {
    // An experience gain is unsigned 16-bit: beyond 32767 it is still shown whole.
    EXPECT_EQ(ComposeWithNumber("経験値 を得ました。"_sj, 40000), std::string("経験値40000を得ました。"_sj));
    EXPECT_EQ(ComposeWithNumber("a b c", -7), "a0b c");
    EXPECT_EQ(ComposeWithName(" の攻撃!!"_sj, ""), std::string("の攻撃!!"_sj));
}

}  // namespace
}  // namespace rf
