// What the game reads of the terminal before taking it over: any compiled
// terminfo entry is judged without reading past its end, and any text from
// outside, once escaped, is UTF-8 without a control character.
#include <string>

#include "platform/model/terminal_requirements.h"
#include "platform/platform.h"
#include "text/escape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf::platform;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TermInfoCanAddressCursor(bytes);

    const std::string shown = Escaped(bytes);
    for (std::size_t i = 0; i < shown.size();) {
        auto b = static_cast<unsigned char>(shown[i]);
        if (b < 0x20 || b == 0x7F) __builtin_trap();
        std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (len == 0 || i + len > shown.size()) __builtin_trap();
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(shown[i + k]) & 0xC0) != 0x80) __builtin_trap();
        if (b == 0xC2 && static_cast<unsigned char>(shown[i + 1]) < 0xA0) __builtin_trap();  // a C1 control
        i += len;
    }
    return 0;
}
