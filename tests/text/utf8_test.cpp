// Which text is taken for UTF-8, and its conversion to code page 932.
#include "text/utf8.h"

#include <string>
#include <vector>

#include "test_support.h"
#include "text/cp932.h"

namespace rf {
namespace {

// Code page 932 text that comes closest to UTF-8 is still read as it is;
// UTF-8 text, with or without a byte-order mark, is converted. (Plain text
// in either is the world checker's test on the default world.)
TEST(Utf8TextTest, OnlyUtf8WithACharacterBeyondAsciiIsConverted) {
    struct Text {
        std::string bytes;
        bool utf8;  // taken for UTF-8
    };
    const Text cases[] = {
        {"\xEF\xBB\xBFHero 1", true},        // byte-order mark
        {"\xC3\x81 \xE3\x81", false},        // half-width kana that pair up, then a cut one
        {"\xE3\x81\x82\x82\xA0", false},     // UTF-8 あ, then code page 932 あ
        {"\xE0\x81\x80", false},             // an overlong form
        {"\xED\xA0\x80", false},             // a surrogate
        {"\xEA\xA0\xA0\xEA\xA0\xA0", true},  // kanji lead bytes that happen to form UTF-8
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(IsUtf8Text(bytes, false), utf8) << bytes;
    std::vector<std::size_t> unmappable;
    EXPECT_EQ(Utf8ToCp932("\xEF\xBB\xBF\xE5\x8B\x87\xE8\x80\x85\xF0\x9F\x98\x80!", &unmappable), "勇者・!"_sj);
    EXPECT_EQ(unmappable, std::vector<std::size_t>{4});
}

}  // namespace
}  // namespace rf
