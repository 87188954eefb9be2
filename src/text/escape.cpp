#include "text/escape.h"

#include <cstdint>

#include "text/utf8.h"

namespace rf {

std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    auto hex = [&out](const char* prefix, unsigned value) {
        out += prefix;
        out += kHex[value >> 4 & 15];
        out += kHex[value & 15];
    };
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeUtf8(text, i, cp);
        if (n == 0 || cp < 0x20 || cp == 0x7F) {
            hex("\\x", static_cast<unsigned char>(text[i]));
            ++i;
        } else if (cp >= 0x80 && cp <= 0x9F) {
            hex("\\u00", cp);
            i += n;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace rf
