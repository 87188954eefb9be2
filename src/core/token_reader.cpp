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

// "the speed 99999" for a named field, else "this number".
std::string Called(const TokenReader& reader) {
    const std::string_view name = reader.FieldName();
    return name.empty() ? std::string("this number")
                        : "the " + std::string(name) + " " + std::string(reader.LastToken());
}

// A number typed in full-width digits (what a Japanese input method gives): the same number in half-width ones.
std::string HalfWidth(std::string_view token) {
    std::string digits;
    for (std::size_t i = 0; i + 1 < token.size(); i += 2) {
        const auto lead = static_cast<unsigned char>(token[i]), trail = static_cast<unsigned char>(token[i + 1]);
        if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) digits += static_cast<char>('0' + trail - 0x4F);
        else if (lead == 0x81 && (trail == 0x7C || trail == 0x5D) && digits.empty()) digits += '-';
        else return "";
    }
    return token.size() % 2 == 0 && ParseNumber(digits) ? digits : "";
}

// What to do about a word where a number belongs.
std::string Advice(const TokenReader& reader, std::string_view token) {
    const std::string_view before = reader.PreviousFieldName();
    if (const std::string digits = HalfWidth(token); !digits.empty())
        return "; it is written in full-width digits: write " + digits + " in half-width ones";
    // A short text where the kind number belongs is the symbol that comes after it.
    if (reader.FieldName() == "kind number" && token.size() <= 3 && static_cast<unsigned char>(token[0]) >= 0x80)
        return "; is this the symbol? the order is name, kind number, symbol";
    if (before == "name" || before == "symbol") return "; a " + std::string(before) + " holds no blank";
    return "";
}

template <typename Field>
bool ReadNumber(TokenReader& reader, Field& field, const char* width) {
    std::optional<std::uint64_t> v = reader.NextNumber();
    const std::string_view token = reader.LastToken();
    if (!v) {
        if (Remarking()) {
            loadLog.stopped.push_back(reader.File().name);
            const std::string what = reader.FieldName().empty()
                                         ? std::string("a number")
                                         : "the " + std::string(reader.FieldName()) + " (a number)";
            if (!token.empty())
                reader.Remark(Severity::kError, Rule::kNumberExpected,
                              what +
                                  " was expected here: reading stops, and this field and the ones after it are not "
                                  "read" +
                                  Advice(reader, token));
            else
                reader.Remark(
                    Severity::kError, Rule::kFileEnds,
                    "the file ends after " + std::to_string(reader.NumbersRead()) +
                        " numbers: the fields after them are not read" +
                        (reader.FieldName().empty() ? "" : ", from the " + std::string(reader.FieldName()) + " on"));
        }
        return false;
    }
    field = static_cast<Field>(static_cast<std::make_unsigned_t<Field>>(*v));
    if (Remarking() && !Fits(token, static_cast<long long>(std::numeric_limits<Field>::min()),
                             static_cast<long long>(std::numeric_limits<Field>::max())))
        reader.Remark(Severity::kError, Rule::kNumberWraps,
                      Called(reader) + " does not fit in " + std::string(width) + ": the game reads it as " +
                          std::to_string(field));
    return true;
}

}  // namespace

TokenReader::TokenReader(const std::string& path) : file_(ReadWorldFile(path, kTokenFileBytes)) {
    if (!Remarking() || !Opened()) return;
    // Where every token stands, for remarks about values the loaders keep as they are.
    std::vector<LoadToken> tokens;
    for (std::size_t i = 0; i < file_.bytes.size(); ++i)
        if (!IsSpace(file_.bytes[i]) && (i == 0 || IsSpace(file_.bytes[i - 1]))) tokens.push_back(PositionIn(file_, i));
    loadLog.tokens.emplace_back(file_.name, std::move(tokens));
}

std::optional<std::string_view> TokenReader::Next() {
    const std::string& bytes = file_.bytes;
    while (pos_ < bytes.size() && IsSpace(bytes[pos_])) ++pos_;
    start_ = pos_;
    ++tokens_;
    if (pos_ >= bytes.size()) return std::nullopt;
    while (pos_ < bytes.size() && !IsSpace(bytes[pos_])) ++pos_;
    return LastToken();
}

std::string_view TokenReader::LastToken() const { return std::string_view(file_.bytes).substr(start_, pos_ - start_); }

std::string_view TokenReader::FieldName() const {
    return tokens_ >= 1 && static_cast<std::size_t>(tokens_) <= names_.size()
               ? names_[static_cast<std::size_t>(tokens_ - 1)]
               : "";
}

std::string_view TokenReader::PreviousFieldName() const {
    return tokens_ >= 2 && static_cast<std::size_t>(tokens_ - 1) <= names_.size()
               ? names_[static_cast<std::size_t>(tokens_ - 2)]
               : "";
}

void TokenReader::Remark(Severity severity, Rule rule, std::string message) const {
    rf::Remark(file_, start_, severity, rule, std::move(message));
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
