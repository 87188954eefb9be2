// Build tool: turns a UTF-8 text file into code page 932, the encoding the
// game reads its data in. Fails on a character that code page 932 lacks.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "text/cp932.h"

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
    // The game's files use bare line feeds.
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::string out;
    std::size_t where = 0;
    if (!rf::Utf8ToCp932Exactly(text, out, &where)) {
        const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(where), '\n');
        std::fprintf(stderr, "%s:%ld: character has no code page 932 form\n", argv[1], static_cast<long>(line));
        return 1;
    }
    std::ofstream o(argv[2], std::ios::binary);
    o << out;
    return o ? 0 : 1;
}
