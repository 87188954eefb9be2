// Build tool: turns a UTF-8 text file into code page 932, the encoding the
// game reads its data in. Fails on a character that code page 932 lacks.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "core/sjis.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cp932_convert INPUT OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cp932_convert: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.push_back('\0');
    std::string out;
    std::size_t i = 0;
    int line = 1;
    try {
        while (i + 1 < text.size()) {
            std::uint32_t cp = rf::sjis_detail::NextCodePoint(text.data(), i);
            if (cp == '\n') ++line;
            if (cp == '\r') continue;  // the game's files use bare line feeds
            std::uint16_t code = rf::sjis_detail::Encode(cp);
            if (code > 0xFF) out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    } catch (const char*) {
        std::fprintf(stderr, "%s:%d: character has no code page 932 form\n", argv[1], line);
        return 1;
    }
    std::ofstream o(argv[2], std::ios::binary);
    o << out;
    return o ? 0 : 1;
}
