// <windows.h> as every file of this backend includes it: without the rarely
// used parts, and without the min and max macros that break std::min.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/windows/windows_keys.h"

namespace rf::platform {

// A console input record's key event, as the key decoder takes it.
inline ConsoleKeyEvent KeyEventOf(const KEY_EVENT_RECORD& k) {
    return {k.bKeyDown != FALSE, k.wRepeatCount,      k.wVirtualKeyCode,
            k.wVirtualScanCode,  k.uChar.UnicodeChar, k.dwControlKeyState};
}

}  // namespace rf::platform
