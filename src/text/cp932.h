// Code page 932 (Shift_JIS as Windows has it), the encoding of every text
// inside the game, and its conversion to and from Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf {

// The first byte of a two-byte (full-width) character.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// What stands for a character the other side lacks: "・" in code page 932,
// U+30FB in Unicode.
inline constexpr std::uint16_t kCp932Unmappable = 0x8145;
inline constexpr std::uint32_t kUnicodeUnmappable = 0x30FB;

namespace cp932_detail {

struct EncodePair {
    std::uint32_t unicode;
    std::uint16_t cp932;
};

inline constexpr EncodePair kEncodeTable[] = {
#include "text/cp932_encode_table.inc"
};

}  // namespace cp932_detail

// The code page 932 code of a code point (lead << 8 | trail for two bytes),
// or -1 when it has none. Usable at compile time.
constexpr int Cp932CodeOf(std::uint32_t codePoint) {
    if (codePoint < 0x80) return static_cast<int>(codePoint);
    const auto& table = cp932_detail::kEncodeTable;
    std::size_t lo = 0, hi = sizeof table / sizeof table[0];
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (table[mid].unicode < codePoint) lo = mid + 1;
        else hi = mid;
    }
    if (lo == sizeof table / sizeof table[0] || table[lo].unicode != codePoint) return -1;
    return table[lo].cp932;
}

// The code point of a one-byte code or a two-byte code (lead << 8 | trail);
// 0 when the code is unassigned.
std::uint32_t UnicodeOf(std::uint16_t code);

// The code at text[i] (one byte, or a lead byte and the byte after it) and
// its length; a lead byte at the very end counts alone.
std::uint16_t Cp932CodeAt(std::string_view text, std::size_t i, std::size_t& length);

// For display: every character as UTF-8, unassigned codes as U+30FB.
std::string Cp932ToUtf8(std::string_view text);
// For storage: UTF-8 only when every byte is a printable character that comes
// back byte for byte; false otherwise.
bool Cp932ToUtf8Exactly(std::string_view text, std::string& utf8);

// A character with no form in code page 932, or a byte that is not UTF-8,
// becomes "・"; `unmappable` gets where each one landed. A byte-order mark
// is dropped.
std::string Utf8ToCp932(std::string_view utf8, std::vector<std::size_t>* unmappable = nullptr);
// False when any character has no code page 932 form or a byte is not UTF-8;
// `where` then gets the offset of the first.
bool Utf8ToCp932Exactly(std::string_view utf8, std::string& cp932, std::size_t* where = nullptr);

// Where `bytes` stops being well-formed code page 932 text: the offset of
// each bad byte (a byte that is no character, or a lead byte without its
// second byte).
std::vector<std::size_t> InvalidCp932(std::string_view bytes);

// The longest beginning of `text` of at most `limit` bytes that does not
// end inside a two-byte character.
std::size_t WholeCharacters(std::string_view text, std::size_t limit);

}  // namespace rf
