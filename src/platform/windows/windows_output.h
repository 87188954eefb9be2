// The parts of the Windows console backend that need no console: which code
// pages to set and give back, the cursor size to keep, what each write sends
// (code page 932 bytes unchanged, a lead byte split over two writes joined),
// and the executable's directory. Plain code, tested on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rf::platform {

inline constexpr unsigned kGameCodePage = 932;

// The code pages a console had when the game started; 0 where there was none
// (output redirected, no console attached).
struct CodePages {
    unsigned input = 0;
    unsigned output = 0;
};

// What Open() changes and what the way out restores.
struct CodePagePlan {
    bool setInput = false;
    bool setOutput = false;
    CodePages restore;  // meaningful where set* is true
};

CodePagePlan PlanCodePages(CodePages previous);

// Console mode bits, with the values the console API gives them.
namespace console_mode {
inline constexpr std::uint32_t kProcessedInput = 0x0001;
inline constexpr std::uint32_t kMouseInput = 0x0010;
inline constexpr std::uint32_t kQuickEdit = 0x0040;
inline constexpr std::uint32_t kExtendedFlags = 0x0080;
inline constexpr std::uint32_t kVirtualTerminalInput = 0x0200;
inline constexpr std::uint32_t kProcessedOutput = 0x0001;
inline constexpr std::uint32_t kWrapAtEol = 0x0002;
inline constexpr std::uint32_t kVirtualTerminalOutput = 0x0004;
inline constexpr std::uint32_t kNoAutoReturn = 0x0008;
}  // namespace console_mode

// The input mode while the game runs: Ctrl+C still a signal; arrows as
// keys, not escape sequences; no mouse selection that would freeze output.
std::uint32_t GameInputMode(std::uint32_t previous);
// The output mode of the game's buffer: the legacy console's own handling
// of LF, CR and wrapping, with no escape sequences interpreted.
std::uint32_t GameOutputMode(std::uint32_t previous);

// The console refuses a cursor size outside 1 to 100; a size read from a
// failed query is replaced by the console's usual 25.
std::uint32_t KeptCursorSize(std::uint32_t size);

// Holds a lead byte that ends one write and joins it with the first byte of
// the next, as the game's byte-by-byte typing needs; a lead byte followed by
// a control byte is dropped. Every other byte passes unchanged.
class LeadByteJoiner {
public:
    // The bytes to hand to the console for this write.
    std::string Prepare(std::string_view bytes);
    void Reset() { held_ = -1; }

private:
    int held_ = -1;
};

// The directory part of a module path ("C:\games\ranks.exe" -> "C:\games"),
// empty when the path has no directory.
std::string DirectoryOf(std::string_view path);

}  // namespace rf::platform
