#include "text/cp932.h"

#include <algorithm>
#include <iterator>

#include "text/utf8.h"

namespace rf {
namespace {

struct DecodePair {
    std::uint16_t cp932;
    std::uint32_t unicode;
};

// The same mapping as the encode table, ordered for the other direction
// (both made by tools/gen_cp932_tables.py).
constexpr DecodePair kDecodeTable[] = {
#include "text/cp932_decode_table.inc"
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void AppendCode(std::string& out, int code) {
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

}  // namespace

std::uint32_t UnicodeOf(std::uint16_t code) {
    if (code < 0x80) return code;
    if (code >= 0xA1 && code <= 0xDF) return 0xFF61 + (code - 0xA1);
    if (code <= 0xFF) return 0;
    auto it = std::lower_bound(std::begin(kDecodeTable), std::end(kDecodeTable), code,
                               [](const DecodePair& p, std::uint16_t c) { return p.cp932 < c; });
    if (it == std::end(kDecodeTable) || it->cp932 != code) return 0;
    return it->unicode;
}

std::uint16_t Cp932CodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b) && i + 1 < text.size()) {
        length = 2;
        return static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[i + 1]));
    }
    length = 1;
    return b;
}

std::string Cp932ToUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 0, n = 0; i < text.size(); i += n) {
        const std::uint16_t code = Cp932CodeAt(text, i, n);
        const std::uint32_t cp = UnicodeOf(code);
        AppendUtf8(out, cp == 0 && code != 0 ? kUnicodeUnmappable : cp);
    }
    return out;
}

bool Cp932ToUtf8Exactly(std::string_view text, std::string& utf8) {
    std::string out;
    for (std::size_t i = 0, n = 0; i < text.size(); i += n) {
        const std::uint16_t code = Cp932CodeAt(text, i, n);
        if (n == 1 && (code < 0x20 || code == 0x7F || IsLeadByte(static_cast<unsigned char>(code)))) return false;
        const std::uint32_t cp = UnicodeOf(code);
        // A code with a twin elsewhere in the table would come back as the twin.
        if (cp == 0 || Cp932CodeOf(cp) != code) return false;
        AppendUtf8(out, cp);
    }
    utf8 = std::move(out);
    return true;
}

std::string Utf8ToCp932(std::string_view bytes, std::vector<std::size_t>* unmappable) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeUtf8(bytes, i, cp);
        int code = n == 0 ? -1 : Cp932CodeOf(cp);
        i += n == 0 ? 1 : n;
        if (code < 0) {
            if (unmappable) unmappable->push_back(out.size());
            code = kCp932Unmappable;
        }
        AppendCode(out, code);
    }
    return out;
}

bool Utf8ToCp932Exactly(std::string_view utf8, std::string& cp932, std::size_t* where) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeUtf8(utf8, i, cp);
        const int code = n == 0 ? -1 : Cp932CodeOf(cp);
        if (code < 0) {
            if (where) *where = i;
            return false;
        }
        AppendCode(out, code);
        i += n;
    }
    cp932 = std::move(out);
    return true;
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

std::size_t WholeCharacters(std::string_view text, std::size_t limit) {
    std::size_t n = 0;
    while (n < text.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
        if (n + width > limit) break;
        n += width;
    }
    return n;
}

}  // namespace rf
