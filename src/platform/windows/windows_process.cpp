#include "platform/windows/windows_process.h"

namespace rf::platform {
namespace {

constexpr std::uint32_t kControlCExit = 0xC000013A;  // STATUS_CONTROL_C_EXIT
constexpr int kInterrupted = 130;
constexpr int kException = 255;

bool NeedsQuotes(std::wstring_view word) {
    return word.empty() || word.find_first_of(L" \t\n\v\"") != std::wstring_view::npos;
}

void AppendArgument(std::wstring& line, std::wstring_view word) {
    if (!NeedsQuotes(word)) {
        line += word;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes stand for themselves unless a quote follows them.
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');  // before the closing quote
    line += L'"';
}

}  // namespace

std::wstring CommandLineOf(const std::vector<std::wstring>& words) {
    std::wstring line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i == 0) {
            const bool quoted = words[0].empty() || words[0].find_first_of(L" \t") != std::wstring::npos;
            line += quoted ? L'"' + words[0] + L'"' : words[0];
            continue;
        }
        line += L' ';
        AppendArgument(line, words[i]);
    }
    return line;
}

int ExitStatusOf(std::uint32_t exitCode) {
    if (exitCode == kControlCExit) return kInterrupted;
    return exitCode > 0x7FFFFFFF ? kException : static_cast<int>(exitCode);
}

}  // namespace rf::platform
