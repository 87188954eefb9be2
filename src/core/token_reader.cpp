#include "token_reader.h"

#include <fstream>
#include <iterator>

namespace rf {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

TokenReader::TokenReader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    opened_ = true;
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<std::string_view> TokenReader::Next() {
    while (pos_ < bytes_.size() && IsSpace(bytes_[pos_])) ++pos_;
    if (pos_ >= bytes_.size()) return std::nullopt;
    std::size_t start = pos_;
    while (pos_ < bytes_.size() && !IsSpace(bytes_[pos_])) ++pos_;
    return std::string_view(bytes_).substr(start, pos_ - start);
}

std::optional<std::uint64_t> ParseNumber(std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    if (i == token.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(token[i] - '0');
    }
    return negative ? ~value + 1 : value;
}

std::optional<std::uint64_t> TokenReader::NextNumber() {
    auto token = Next();
    if (!token) return std::nullopt;
    return ParseNumber(*token);
}

bool ReadInto(TokenReader& reader, std::int16_t& field) {
    auto v = reader.NextNumber();
    if (!v) return false;
    field = static_cast<std::int16_t>(static_cast<std::uint16_t>(*v));
    return true;
}

bool ReadInto(TokenReader& reader, std::uint32_t& field) {
    auto v = reader.NextNumber();
    if (!v) return false;
    field = static_cast<std::uint32_t>(*v);
    return true;
}

bool ReadInto(TokenReader& reader, std::int32_t& field) {
    auto v = reader.NextNumber();
    if (!v) return false;
    field = static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
    return true;
}

}  // namespace rf
