// UTF-8, as the game meets it: in its own sources (the `_sj` literals), in
// world files written in UTF-8, in saved games, and on the terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rf {

// How many bytes the character begun by `lead` takes: 1 to 4, or 0 for a
// byte that begins no well-formed character.
constexpr std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// The length of the well-formed, shortest UTF-8 character at text[i] (0 when
// there is none: a stray byte, an overlong form, a surrogate, a cut end),
// with its code point.
constexpr std::size_t DecodeUtf8(std::string_view text, std::size_t i, std::uint32_t& codePoint) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        codePoint = b;
        return 1;
    }
    const std::size_t n = Utf8Length(b);
    if (n == 0) return 0;
    constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const std::uint32_t least = kLeast[n];
    codePoint = b & (0x7Fu >> n);
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (c & 0x3Fu);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return n;
}

void AppendUtf8(std::string& out, std::uint32_t codePoint);

// A file begun by a byte-order mark, or valid UTF-8 holding at least one
// character beyond ASCII. `cut` allows the last character to be incomplete
// (the file was read only in part).
bool IsUtf8Text(std::string_view bytes, bool cut);

}  // namespace rf
