#include "platform/windows/windows_keys.h"

#include "platform/keys.h"

namespace rf::platform {
namespace {

constexpr std::uint32_t kCtrlC = keys::kCtrlC;
constexpr std::uint32_t kIdeographicSpace = 0x3000;
constexpr std::uint32_t kFullWidthFirst = 0xFF01;  // full-width '!'
constexpr std::uint32_t kFullWidthLast = 0xFF5E;   // full-width '~'
constexpr std::uint32_t kFullWidthOffset = 0xFEE0;

// The numeric keypad (NumLock off) sends Home, arrows, PgUp ... with the
// prefix 0; the gray keys send the same scan codes with 224.
bool IsKeypadNavigation(std::uint32_t scan) {
    switch (scan) {
        case keys::kHome:
        case keys::kUp:
        case keys::kPageUp:
        case keys::kLeft:
        case keys::kRight:
        case keys::kEnd:
        case keys::kDown:
        case keys::kPageDown:
        case keys::kInsert:
        case keys::kDelete: return true;
        default: return false;
    }
}

// Virtual-key codes (winuser.h) of the keys that give no unit of their own.
bool IsModifierOrLock(std::uint16_t virtualKey) {
    switch (virtualKey) {
        case 0x10:  // VK_SHIFT
        case 0x11:  // VK_CONTROL
        case 0x12:  // VK_MENU
        case 0x14:  // VK_CAPITAL
        case 0x5B:  // VK_LWIN
        case 0x5C:  // VK_RWIN
        case 0x5D:  // VK_APPS
        case 0x90:  // VK_NUMLOCK
        case 0x91:  // VK_SCROLL
            return true;
        default: return false;
    }
}

constexpr std::uint32_t kEnhancedKey = 0x0100;  // ENHANCED_KEY: a gray key

}  // namespace

void FeedKeyEvent(WindowsKeyDecoder& keys, const ConsoleKeyEvent& event) {
    if (!event.down || (event.character == 0 && IsModifierOrLock(event.virtualKey))) return;
    for (int i = 0; i < (event.repeat > 0 ? event.repeat : 1); ++i) {
        if (event.character != 0) {
            keys.Feed(event.character);
        } else {
            keys.Feed((event.controlKeys & kEnhancedKey) != 0 ? keys::kPrefix : keys::kFunctionPrefix);
            keys.Feed(event.scanCode);
        }
    }
}

void WindowsKeyDecoder::Feed(std::uint32_t unit) {
    if (prefix_ >= 0) {
        int prefix = prefix_ == keys::kFunctionPrefix && IsKeypadNavigation(unit) ? keys::kPrefix : prefix_;
        prefix_ = -1;
        codes_.push_back(prefix);
        codes_.push_back(static_cast<int>(unit & 0xFF));
        return;
    }
    if (unit == keys::kFunctionPrefix || unit == keys::kPrefix) {
        prefix_ = static_cast<int>(unit);
        return;
    }
    if (unit == kCtrlC) {
        quit_ = true;
        return;
    }
    if (unit == '\n') {  // Ctrl+Enter
        codes_.push_back(keys::kEnter);
        return;
    }
    if (unit < 0x80) {
        codes_.push_back(static_cast<int>(unit));
        return;
    }
    // A surrogate's pair names no character code page 932 has. Any other
    // character waits as text until the reader says whether it takes it.
    if (unit < 0xD800 || unit > 0xDFFF) codes_.push_back(keys::kTypedCharacter + static_cast<int>(unit));
}

bool WindowsKeyDecoder::HasCode() {
    // Text and the key that asks for it may come in one batch of records.
    while (!takeText_ && !codes_.empty() && codes_.front() >= keys::kTypedCharacter) {
        const auto unit = static_cast<std::uint32_t>(codes_.front() - keys::kTypedCharacter);
        // With a Japanese input method on, the space bar and the letter keys
        // give full-width forms; the game knows only their ASCII codes.
        if (unit == kIdeographicSpace) {
            codes_.front() = ' ';
        } else if (unit >= kFullWidthFirst && unit <= kFullWidthLast) {
            codes_.front() = static_cast<int>(unit - kFullWidthOffset);
        } else {
            // Any other character means nothing to the game and is dropped
            // whole, so no part of it can pass for a prefix or a scan code.
            codes_.pop_front();
        }
    }
    return !codes_.empty();
}

int WindowsKeyDecoder::TakeCode() {
    if (!HasCode()) return -1;
    int code = codes_.front();
    codes_.pop_front();
    return code;
}

void WindowsKeyDecoder::Reset() {
    codes_.clear();
    prefix_ = -1;
    quit_ = false;
}

}  // namespace rf::platform
