// The `_sj` literal: "たたかう"_sj is the code page 932 form of a UTF-8
// literal, made at compile time, so every text the game writes is converted
// exactly once, before the program runs (a character code page 932 lacks
// is a compile error).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::cp932_detail {

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    constexpr Utf8Literal(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
    }
    constexpr std::string_view View() const { return std::string_view(bytes, N - 1); }
};

// The code of the character at text[i]; i advances past it.
constexpr int LiteralCode(std::string_view text, std::size_t& i) {
    std::uint32_t codePoint = 0;
    const std::size_t n = DecodeUtf8(text, i, codePoint);
    if (n == 0) throw "literal is not UTF-8";  // a compile error in a constant expression
    i += n;
    const int code = Cp932CodeOf(codePoint);
    if (code < 0) throw "character has no code page 932 form";
    return code;
}

template <Utf8Literal S>
constexpr std::size_t EncodedLength() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.View().size();) n += LiteralCode(S.View(), i) > 0xFF ? 2 : 1;
    return n;
}

template <Utf8Literal S>
constexpr auto EncodeLiteral() {
    std::array<char, EncodedLength<S>() + 1> out{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.View().size();) {
        const int code = LiteralCode(S.View(), i);
        if (code > 0xFF) out[n++] = static_cast<char>(code >> 8);
        out[n++] = static_cast<char>(code & 0xFF);
    }
    return out;
}

template <Utf8Literal S>
struct Encoded {
    static constexpr auto value = EncodeLiteral<S>();
};

}  // namespace rf::cp932_detail

namespace rf {

// A view of the code page 932 bytes, terminated by NUL in storage.
template <cp932_detail::Utf8Literal S>
constexpr std::string_view operator""_sj() {
    const auto& v = cp932_detail::Encoded<S>::value;
    return std::string_view(v.data(), v.size() - 1);
}

}  // namespace rf
