// Terminal input: any bytes, in any pieces, at any times, give only codes
// a console read can give, each arrow prefix followed by its scan code,
// and the renderer turns any screen into a frame without control bytes of
// the data reaching the terminal.
#include <string>

#include "platform/model/key_decoder.h"
#include "platform/model/terminal_renderer.h"
#include "platform/model/virtual_console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf::platform;
    KeyDecoder decoder;
    std::int64_t now = 0;
    std::size_t i = 0;
    while (i < size) {
        // Each piece: a time step, a length, then that many bytes.
        now += data[i] % 64;
        std::size_t n = i + 1 < size ? data[i + 1] % 16 : 0;
        i += 2;
        if (n > size - i || i > size) n = i > size ? 0 : size - i;
        decoder.Feed(std::string_view(reinterpret_cast<const char*>(data + i), n), now);
        i += n;
        decoder.Tick(now);
        if (decoder.MsUntilSettled(now) > KeyDecoder::kEscapeTimeoutMs) __builtin_trap();
        while (decoder.HasKey()) {
            int code = decoder.NextKey();
            if (code < 0 || code > 255) __builtin_trap();
        }
        decoder.TakeInterrupt();
        decoder.TakeSuspend();
    }
    decoder.Tick(now + 1000);
    if (decoder.MsUntilSettled(now + 1000) > 0) __builtin_trap();

    // The same bytes as console output, rendered twice: the second frame is empty.
    VirtualConsole screen;
    screen.Reset();
    screen.Write(std::string_view(reinterpret_cast<const char*>(data), size));
    TerminalRenderer renderer;
    std::string frame = renderer.Frame(screen);
    for (unsigned char c : frame)
        if (c < 0x20 && c != 0x1B && c != '\r' && c != '\n' && c != '\b') __builtin_trap();
    if (!renderer.Frame(screen).empty()) __builtin_trap();
    return 0;
}
