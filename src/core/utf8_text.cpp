#include "utf8_text.h"

#include <cstdint>

#include "sjis.h"

namespace rf {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the well-formed UTF-8 character at bytes[i] (0 when it is not
// one), and its code point.
std::size_t Utf8Char(std::string_view bytes, std::size_t i, std::uint32_t& cp) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    std::size_t n;
    std::uint32_t min;
    if (b >= 0xC2 && b <= 0xDF) n = 2, min = 0x80, cp = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF) n = 3, min = 0x800, cp = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4) n = 4, min = 0x10000, cp = b & 0x07u;
    else return 0;
    if (i + n > bytes.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(bytes[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

bool IsUtf8Text(std::string_view bytes, bool cut) {
    if (bytes.starts_with(kByteOrderMark)) return true;
    bool wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        std::uint32_t cp;
        std::size_t n = Utf8Char(bytes, i, cp);
        if (n == 0) return cut && bytes.size() - i < 4 && static_cast<unsigned char>(bytes[i]) >= 0xC2 && wide;
        wide = wide || n > 1;
        i += n;
    }
    return wide;
}

std::string Utf8ToCp932(std::string_view bytes, std::vector<std::size_t>* unmappable) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::uint32_t cp = 0;
        std::size_t n = Utf8Char(bytes, i, cp);
        int code = n == 0 ? -1 : sjis_detail::TryEncode(cp);
        i += n == 0 ? 1 : n;
        if (code < 0) {
            if (unmappable) unmappable->push_back(out.size());
            code = 0x8145;  // ・
        }
        if (code > 0xFF) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

std::vector<std::size_t> InvalidCp932(std::string_view bytes) {
    std::vector<std::size_t> bad;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsLeadByte(b)) {
            if (i + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) ++i;
            else bad.push_back(i);
        } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
            bad.push_back(i);
        }
    }
    return bad;
}

}  // namespace rf
