#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace rf::platform {

std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    auto hex = [&out](const char* prefix, unsigned value) {
        out += prefix;
        out += kHex[value >> 4 & 15];
        out += kHex[value & 15];
    };
    for (std::size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (b < 0x20 || b == 0x7F) hex("\\x", b);
            else out += static_cast<char>(b);
            ++i;
            continue;
        }
        // A whole, shortest UTF-8 sequence passes; anything else byte by byte.
        const std::size_t len = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        std::uint32_t cp = len == 0 ? 0 : b & (0x7Fu >> len);
        bool valid = len > 0 && i + len <= text.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            valid = (c & 0xC0) == 0x80;
            cp = cp << 6 | (c & 0x3Fu);
        }
        valid = valid && !(len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) &&
                !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF));
        if (!valid) {
            hex("\\x", b);
            ++i;
        } else if (cp >= 0x80 && cp <= 0x9F) {
            hex("\\u00", cp);
            i += len;
        } else {
            out.append(text.substr(i, len));
            i += len;
        }
    }
    return out;
}

}  // namespace rf::platform
