// The console model: any byte sequence written in pieces at any cell keeps
// the cursor inside the buffer and every double-cell glyph whole.
#include "platform/model/virtual_console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using rf::platform::VirtualConsole;
    VirtualConsole vc;
    vc.Reset();
    std::size_t i = 0;
    while (i + 3 <= size) {
        // Each piece: column, row, length, then that many bytes.
        vc.SetCursor(data[i] % 90 - 5, data[i + 1] % 40 - 4);
        vc.SetAttribute(data[i + 2] & 0x0F);
        std::size_t n = data[i + 2] >> 4;
        i += 3;
        if (n > size - i) n = size - i;
        vc.Write(std::string_view(reinterpret_cast<const char*>(data + i), n));
        i += n;
        if (vc.CursorX() < 0 || vc.CursorX() >= VirtualConsole::kWidth || vc.CursorY() < 0 ||
            vc.CursorY() >= VirtualConsole::kHeight)
            __builtin_trap();
    }
    for (int y = 0; y < VirtualConsole::kHeight; ++y)
        for (int x = 0; x < VirtualConsole::kWidth; ++x) {
            const auto& c = vc.At(x, y);
            if (c.half == 1 && (x + 1 >= VirtualConsole::kWidth || vc.At(x + 1, y).half != 2)) __builtin_trap();
            if (c.half == 2 && (x == 0 || vc.At(x - 1, y).half != 1)) __builtin_trap();
        }
    return 0;
}
