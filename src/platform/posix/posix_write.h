// Writing to a terminal or a stream on POSIX systems.
#pragma once

#include <string_view>

namespace rf::platform {

// The whole text, through partial writes, interruptions and a full
// non-blocking terminal; gives up when the other side is gone.
// Async-signal-safe.
void WriteAll(int fd, std::string_view text);

}  // namespace rf::platform
