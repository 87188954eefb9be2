// What the game reads of the terminal before taking it over: any compiled
// terminfo entry is judged without reading past its end, and any text from
// outside, once escaped, is UTF-8 without a control character.
#include <string>

#include "platform/model/terminal_requirements.h"
#include "text/escape.h"
#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rf::platform;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadTermInfo(bytes);

    // What is shown is whole UTF-8 with no control character, C0 or C1.
    const std::string shown = rf::Escaped(bytes);
    for (std::size_t i = 0; i < shown.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = rf::DecodeUtf8(shown, i, cp);
        if (n == 0 || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) __builtin_trap();
        i += n;
    }
    return 0;
}
