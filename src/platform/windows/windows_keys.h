// Keys from the Windows console as the game reads them. The console runtime
// (_getwch) hands over an extended key as a prefix 0 or 0xE0 and then its
// scan code; this turns those units into the game's key codes, one per read.
// Plain code, so every platform's tests cover it.
#pragma once

#include <cstdint>
#include <deque>

namespace rf::platform {

class WindowsKeyDecoder {
public:
    // One unit as _getwch returns it.
    void Feed(std::uint32_t unit);
    bool HasCode() const { return !codes_.empty(); }
    // The next key code; call only when HasCode().
    int TakeCode();
    // A prefix has come and its scan code is still to be read.
    bool AwaitingScanCode() const { return prefix_ >= 0; }
    // Ctrl+C read as a key (the console hands it over as a code while a read
    // has turned its own handling off): the game is to end.
    bool QuitRequested() const { return quit_; }
    void Reset();

private:
    std::deque<int> codes_;
    int prefix_ = -1;
    bool quit_ = false;
};

// Reads units while none of a key is ready and the console has more. The
// console runtime keeps an extended key's scan code to itself once it has
// handed out the prefix, and its key-hit test does not count it, so after a
// prefix the scan code is read without asking. Stops at Ctrl+C.
template <typename KeyHit, typename ReadUnit>
bool FillWaiting(WindowsKeyDecoder& keys, KeyHit keyHit, ReadUnit readUnit) {
    while (!keys.HasCode() && !keys.QuitRequested() && (keys.AwaitingScanCode() || keyHit())) keys.Feed(readUnit());
    return keys.HasCode();
}

}  // namespace rf::platform
