// Writing to the console or a redirected stream on Windows. A HANDLE is a
// pointer; this header stays free of windows.h.
#pragma once

#include <string_view>

namespace rf::platform {

// Whether the handle is a console (not a file or a pipe).
bool IsConsole(void* handle);
// The whole of `bytes`, as they are (code page 932 on the console).
void WriteAll(void* handle, std::string_view bytes);
// A window the system opened for the game alone (a double-click) closes
// with it: once the game has said something there, this waits for a key
// first, so the last words can be read. Runs at exit by itself; a way out
// that skips the exit handlers calls it.
void KeepOwnWindowOpen();

}  // namespace rf::platform
