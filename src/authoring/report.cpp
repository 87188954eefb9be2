#include "authoring/report.h"

#include <cstdio>

#include "text/utf8.h"

namespace rf::authoring {

std::string JsonString(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t codePoint = 0;
        const std::size_t n = c < 0x80 ? 1 : DecodeUtf8(text, i, codePoint);
        if (c >= 0x80 && n > 0) {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) out += "\\u00", out += kHex[c >> 4], out += kHex[c & 15];
        else out += static_cast<char>(c);
        ++i;
    }
    return out + "\"";
}

std::string UriPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (c == '\\') out += '/';
        else if (plain) out += ch;
        else out += '%', out += kHex[c >> 4], out += kHex[c & 15];
    }
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\n\r") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Decimal(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace rf::authoring
