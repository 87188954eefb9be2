// What the authors' tools print besides text: JSON, SARIF and CSV, for
// editors, CI and scripts.
#pragma once

#include <string>
#include <string_view>

namespace rf::authoring {

enum class ReportFormat { kText, kCsv, kJson, kSarif };

// A JSON string literal; bytes that are not UTF-8 are written as \u00hh.
std::string JsonString(std::string_view text);
// A path as a relative or absolute URI reference: '/' between folders, and
// every byte but the unreserved ones percent-encoded.
std::string UriPath(std::string_view path);
// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);
// A number with one decimal, as the tables print them.
std::string Decimal(double value, int decimals = 1);

}  // namespace rf::authoring
