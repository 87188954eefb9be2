// The program's place on a POSIX system: its standard streams, the folder
// it was started from, the path convention.
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

#include "platform/files.h"
#include "platform/posix/posix_write.h"
#include "platform/streams.h"

namespace rf::platform {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return;  // the other side is gone; nothing more can be shown
        }
    }
}

void PrintOut(std::string_view text) { WriteAll(STDOUT_FILENO, text); }
void PrintError(std::string_view text) { WriteAll(STDERR_FILENO, text); }

char PathSeparator() { return '/'; }

std::string ExecutableDirectory() {
    std::string path;
#if defined(__APPLE__)
    char buffer[4096];
    std::uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) == 0) {
        char resolved[PATH_MAX];
        path = ::realpath(buffer, resolved) ? resolved : buffer;
    }
#else
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) path.assign(buffer, static_cast<std::size_t>(n));
#endif
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace rf::platform
