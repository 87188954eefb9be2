// Keys from the Windows console as the game reads them. The console hands
// over input records (ReadConsoleInputW); each key press becomes the units
// the console runtime's _getwch would give (an extended key a prefix 0 or
// 0xE0 and then its scan code, any other key its character), and those the
// game's key codes, one per read. Plain code, so every platform's tests
// cover it.
#pragma once

#include <cstdint>
#include <deque>

namespace rf::platform {

class WindowsKeyDecoder {
public:
    // One unit as _getwch would return it.
    void Feed(std::uint32_t unit);
    bool HasCode();
    // The next key code; call only when HasCode().
    int TakeCode();
    // A prefix has come and its scan code is still to be read.
    bool AwaitingScanCode() const { return prefix_ >= 0; }
    // Ctrl+C read as a key (the console hands it over as a code while a read
    // has turned its own handling off): the game is to end.
    bool QuitRequested() const { return quit_; }
    void Reset();
    // Characters beyond ASCII as keys::kTypedCharacter + the unit (the
    // world painter's text), where they are otherwise made ASCII or dropped;
    // said when they are read, not when they come.
    void TakeText(bool on) { takeText_ = on; }

private:
    std::deque<int> codes_;
    bool takeText_ = false;
    int prefix_ = -1;
    bool quit_ = false;
};

// A key event of the console's input, its fields as KEY_EVENT_RECORD has them.
struct ConsoleKeyEvent {
    bool down = true;
    std::uint16_t repeat = 1;
    std::uint16_t virtualKey = 0;
    std::uint16_t scanCode = 0;
    std::uint32_t character = 0;  // a UTF-16 unit, 0 for none
    std::uint32_t controlKeys = 0;
};

// Feeds the units of one event: nothing for a release or a lone Shift, Ctrl,
// Alt or lock key; the character, as often as the key repeated; else the
// prefix (0xE0 for the gray keys, 0 for the keypad and function keys) and
// the scan code.
void FeedKeyEvent(WindowsKeyDecoder& keys, const ConsoleKeyEvent& event);

}  // namespace rf::platform
