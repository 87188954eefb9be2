// Another program run from the Windows console: its command line gives it
// back the very words it was given, and its exit code reads as the
// terminal's status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/windows_process.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace rf::platform {
namespace {

struct LineCase {
    const char* name;
    std::vector<std::wstring> words;
    std::wstring line;
};

const LineCase kLines[] = {
    {"plain words stay bare", {L"ranks", L"--start", L"5,28,10"}, L"ranks --start 5,28,10"},
    {"a blank quotes the program whole and an argument",
     {L"C:\\Program Files\\ranks.exe", L"--world", L"my world"},
     L"\"C:\\Program Files\\ranks.exe\" --world \"my world\""},
    {"backslashes alone stand for themselves", {L"ranks", L"C:\\w\\", L"a\\\\b"}, L"ranks C:\\w\\ a\\\\b"},
    {"a folder's closing backslash doubled before the closing quote",
     {L"ranks", L"C:\\my world\\"},
     L"ranks \"C:\\my world\\\\\""},
    {"a quote escaped, and the backslashes before it doubled",
     {L"ranks", L"say \"hi\"", L"a\\\"b"},
     L"ranks \"say \\\"hi\\\"\" \"a\\\\\\\"b\""},
    {"an empty argument kept", {L"ranks", L"", L"x"}, L"ranks \"\" x"},
    {"a tab quoted, other letters left",
     {L"ranks", L"\u30b2\u30fc\u30e0\t\u8868\\"},
     L"ranks \"\u30b2\u30fc\u30e0\t\u8868\\\\\""},
};

TEST(WindowsProcess, TheCommandLineGivesBackEachWord) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.name);
        const std::wstring line = CommandLineOf(c.words);
        EXPECT_TRUE(line == c.line);
#ifdef _WIN32
        // As the system's own parser reads it back.
        int count = 0;
        LPWSTR* parsed = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(parsed, nullptr);
        std::vector<std::wstring> words(parsed, parsed + count);
        LocalFree(parsed);
        EXPECT_TRUE(words == c.words);
#endif
    }
}

TEST(WindowsProcess, AnExitCodeReadsAsTheTerminalsStatus) {
    const struct {
        const char* name;
        std::uint32_t code;
        int status;
    } cases[] = {
        {"a game that ended", 0, 0},
        {"a refusal", 2, 2},
        {"Ctrl+C, as an interrupt", 0xC000013A, 130},
        {"a crash's exception, never a program not run", 0xC0000005, 255},
    };
    for (const auto& c : cases) EXPECT_EQ(ExitStatusOf(c.code), c.status) << c.name;
}

}  // namespace
}  // namespace rf::platform
