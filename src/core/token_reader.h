// Whitespace-separated tokens of a data file, read the way the game's
// loaders need them: a failed read leaves the field as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/load_log.h"
#include "core/world_file.h"

namespace rf {

// A token file holds a few dozen tokens; this is plenty for any of them.
inline constexpr std::size_t kTokenFileBytes = 1024;

class TokenReader {
public:
    // Reads the file (bounded, see world_file.h); Opened() tells whether it could be read.
    explicit TokenReader(const std::string& path);
    bool Opened() const { return file_.Readable(); }
    const WorldFile& File() const { return file_; }

    // The next token, or nothing at the end of the file.
    std::optional<std::string_view> Next();
    // The next token as an optionally signed decimal integer, kept modulo
    // 2^64 so the low bits of any number in the file are exact. Nothing
    // when the file ends or the token is not a number; either way reading
    // should stop.
    std::optional<std::uint64_t> NextNumber();

    // Offset of the last token read (the end of the file after it ran out).
    std::size_t TokenStart() const { return start_; }
    // The last token read (empty after the end of the file).
    std::string_view LastToken() const;
    // Numbers read so far.
    int NumbersRead() const { return numbers_; }
    // A remark at the last token (see world_file.h).
    void Remark(Severity severity, Rule rule, std::string message) const;
    // The names of the file's fields in order, for remarks; FieldName() is
    // the last token's ("" when unnamed).
    void NameFields(std::span<const std::string_view> names) { names_ = names; }
    std::string_view FieldName() const;
    std::string_view PreviousFieldName() const;

private:
    WorldFile file_;
    std::size_t pos_ = 0;
    std::size_t start_ = 0;
    int numbers_ = 0;
    int tokens_ = 0;
    std::span<const std::string_view> names_;
};

// Parses a whole token as an optionally signed decimal integer (modulo 2^64).
std::optional<std::uint64_t> ParseNumber(std::string_view token);

// Reads the next number into a 16-bit or 32-bit field, keeping its low
// bits; false (field untouched) when the reading has to stop.
bool ReadInto(TokenReader& reader, std::int16_t& field);
bool ReadInto(TokenReader& reader, std::uint32_t& field);
bool ReadInto(TokenReader& reader, std::int32_t& field);

}  // namespace rf
