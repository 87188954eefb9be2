#include "core/token_reader.h"
#include "core/load_log.h"

#include <limits>

namespace rf {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Whether the number token's exact value lies within [low, high].
bool Fits(std::string_view token, long long low, long long high) {
    std::size_t i = token[0] == '+' || token[0] == '-' ? 1 : 0;
    while (i + 1 < token.size() && token[i] == '0') ++i;
    if (token.size() - i > 15) return false;
    long long value = 0;
    for (; i < token.size(); ++i) value = value * 10 + (token[i] - '0');
    if (token[0] == '-') value = -value;
    return value >= low && value <= high;
}

template <typename Field>
bool ReadNumber(TokenReader& reader, Field& field, const char* width) {
    std::optional<std::uint64_t> v = reader.NextNumber();
    const std::string_view token = reader.LastToken();
    if (!v) {
        if (Remarking())
            reader.Remark(Severity::kError, !token.empty() ? "a number was expected here: reading stops, and this field and "
                                                    "the ones after it are not read"
                                                  : "the file ends after " + std::to_string(reader.NumbersRead()) +
                                                        " numbers: the fields after them are not read");
        return false;
    }
    field = static_cast<Field>(static_cast<std::make_unsigned_t<Field>>(*v));
    if (Remarking() &&
        !Fits(token, static_cast<long long>(std::numeric_limits<Field>::min()),
              static_cast<long long>(std::numeric_limits<Field>::max())))
        reader.Remark(Severity::kError, "this number does not fit in " + std::string(width) +
                                            ": the game reads it as " + std::to_string(field));
    return true;
}

}  // namespace

TokenReader::TokenReader(const std::string& path) : file_(ReadWorldFile(path, kTokenFileBytes)) {
    if (!Remarking() || !Opened()) return;
    // Where every token stands, for remarks about values the loaders keep as they are.
    std::vector<LoadToken> tokens;
    LoadToken at{1, 1};
    bool inToken = false;
    for (char c : file_.bytes) {
        if (!IsSpace(c) && !inToken) tokens.push_back(at);
        inToken = !IsSpace(c);
        if (c == '\n') at = {at.line + 1, 1};
        else if (c != '\r') ++at.column;
    }
    loadLog.tokens.emplace_back(file_.name, std::move(tokens));
}

std::optional<std::string_view> TokenReader::Next() {
    const std::string& bytes = file_.bytes;
    while (pos_ < bytes.size() && IsSpace(bytes[pos_])) ++pos_;
    start_ = pos_;
    if (pos_ >= bytes.size()) return std::nullopt;
    while (pos_ < bytes.size() && !IsSpace(bytes[pos_])) ++pos_;
    return LastToken();
}

std::string_view TokenReader::LastToken() const { return std::string_view(file_.bytes).substr(start_, pos_ - start_); }

void TokenReader::Remark(Severity severity, std::string message) const {
    rf::Remark(file_, start_, severity, std::move(message));
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
    auto v = ParseNumber(*token);
    if (v) ++numbers_;
    return v;
}

bool ReadInto(TokenReader& reader, std::int16_t& field) { return ReadNumber(reader, field, "16 bits"); }
bool ReadInto(TokenReader& reader, std::uint32_t& field) { return ReadNumber(reader, field, "32 bits (0 or more)"); }
bool ReadInto(TokenReader& reader, std::int32_t& field) { return ReadNumber(reader, field, "32 bits"); }

}  // namespace rf
