#include "core/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace rf {
namespace {

// What a gap can hold at most: an enemy's name, a five-digit number.
constexpr int kNameCells = 19;
constexpr int kNumberCells = 5;

// Cells a text takes once its gaps are filled at their widest (code page
// 932 has one byte per cell).
int WidestCells(std::string_view text) {
    int cells = 0;
    for (char c : text) cells += c == kNameGap ? kNameCells : c == kNumberGap ? kNumberCells : 1;
    return cells;
}

// Every text of every language is there, fits its field, takes what the
// English one takes, and holds no byte that would move the cursor. (Texts
// in either language are in every recorded game and English test.)
TEST(Catalogue, EveryTextOfEachKnownLanguageIsThereAndFits) {
    EXPECT_EQ(KnownLanguages(), "ja, en");
    EXPECT_EQ(LanguageIndex("xx"), -1);
    for (int l = 0; l < kLanguageCount; ++l) {
        for (int n = 0; n < kTextCount; ++n) {
            const std::string_view text = kCatalogue[l][n];
            const std::string_view source = kCatalogue[kSourceLanguage][n];
            const std::string where = std::string(kLanguageCodes[l]) + " " + std::string(kTextEntries[n].name);
            EXPECT_FALSE(text.empty()) << where << " is not translated";
            EXPECT_LE(WidestCells(text), kTextEntries[n].cells) << where << " is too wide";
            for (char gap : {kNameGap, kNumberGap})
                EXPECT_EQ(std::count(text.begin(), text.end(), gap), std::count(source.begin(), source.end(), gap))
                    << where << " does not take what the English text takes";
            EXPECT_TRUE(std::none_of(text.begin(), text.end(),
                                     [](char c) { return c >= 0 && c < 0x20 && c != kNameGap && c != kNumberGap; }))
                << where << " holds a control byte";
        }
    }
}

}  // namespace
}  // namespace rf
