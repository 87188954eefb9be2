// Texts of the game are code page 932 bytes. Sources are UTF-8; the `_sj`
// literal turns a UTF-8 literal into CP932 at compile time, so every text
// the game writes is converted exactly once, before the program runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rf {

// The first byte of a two-byte (full-width) character.
inline constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace rf

namespace rf::sjis_detail {

struct CodePair {
    std::uint32_t unicode;
    std::uint16_t cp932;
};

inline constexpr CodePair kEncodeTable[] = {
#include "cp932_encode_table.inc"
};

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    constexpr Utf8Literal(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
    }
};

// Decodes the code point starting at text[i]; i advances past it.
constexpr std::uint32_t NextCodePoint(const char* text, std::size_t& i) {
    auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    std::uint32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1Fu) : extra == 2 ? (b & 0x0Fu) : (b & 0x07u);
    ++i;
    for (int k = 0; k < extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3Fu);
    return cp;
}

// The code page 932 code of a code point, or -1 when it has none.
constexpr int TryEncode(std::uint32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    std::size_t lo = 0, hi = sizeof(kEncodeTable) / sizeof(kEncodeTable[0]);
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (kEncodeTable[mid].unicode < cp) lo = mid + 1;
        else hi = mid;
    }
    if (lo == sizeof(kEncodeTable) / sizeof(kEncodeTable[0]) || kEncodeTable[lo].unicode != cp) return -1;
    return kEncodeTable[lo].cp932;
}

constexpr std::uint16_t Encode(std::uint32_t cp) {
    const int code = TryEncode(cp);
    if (code < 0) throw "character has no code page 932 form";  // a compile error in a constant expression
    return static_cast<std::uint16_t>(code);
}

template <Utf8Literal S>
constexpr std::size_t EncodedLength() {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof(S.bytes);) n += Encode(NextCodePoint(S.bytes, i)) > 0xFF ? 2 : 1;
    return n;
}

template <Utf8Literal S>
constexpr auto EncodeLiteral() {
    std::array<char, EncodedLength<S>() + 1> out{};
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof(S.bytes);) {
        std::uint16_t code = Encode(NextCodePoint(S.bytes, i));
        if (code > 0xFF) out[n++] = static_cast<char>(code >> 8);
        out[n++] = static_cast<char>(code & 0xFF);
    }
    return out;
}

template <Utf8Literal S>
struct Encoded {
    static constexpr auto value = EncodeLiteral<S>();
};

}  // namespace rf::sjis_detail

namespace rf {

// "たたかう"_sj is a view of the CP932 bytes, terminated by NUL in storage.
template <sjis_detail::Utf8Literal S>
constexpr std::string_view operator""_sj() {
    const auto& v = sjis_detail::Encoded<S>::value;
    return std::string_view(v.data(), v.size() - 1);
}

}  // namespace rf
