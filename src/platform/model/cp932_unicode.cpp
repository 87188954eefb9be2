#include "platform/model/cp932_unicode.h"

#include <algorithm>
#include <iterator>

namespace rf::platform {
namespace {

struct DecodePair {
    std::uint16_t cp932;
    std::uint32_t unicode;
};

constexpr DecodePair kDecodeTable[] = {
#include "cp932_decode_table.inc"
};

}  // namespace

std::uint32_t Cp932ToUnicode(std::uint16_t code) {
    if (code < 0x80) return code;
    if (code >= 0xA1 && code <= 0xDF) return 0xFF61 + (code - 0xA1);
    if (code <= 0xFF) return 0;
    auto it = std::lower_bound(std::begin(kDecodeTable), std::end(kDecodeTable), code,
                               [](const DecodePair& p, std::uint16_t c) { return p.cp932 < c; });
    if (it == std::end(kDecodeTable) || it->cp932 != code) return 0;
    return it->unicode;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Cp932ToUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        std::uint16_t code = b;
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < text.size())
            code = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[++i]));
        std::uint32_t cp = Cp932ToUnicode(code);
        AppendUtf8(out, cp == 0 && code != 0 ? 0x30FB : cp);
    }
    return out;
}

}  // namespace rf::platform
