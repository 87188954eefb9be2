// Data files written in UTF-8: how they are told from code page 932 files,
// and their conversion to the code page the game reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rf {

// A file begun by a byte-order mark, or valid UTF-8 holding at least one
// character beyond ASCII. `cut` allows the last character to be incomplete
// (the file was read only in part).
bool IsUtf8Text(std::string_view bytes, bool cut);

// The text in code page 932. A character with no form there, or a byte that
// is not UTF-8, becomes "・"; `unmappable` gets where each one landed.
std::string Utf8ToCp932(std::string_view bytes, std::vector<std::size_t>* unmappable);

// Where `bytes` stops being well-formed code page 932 text: the offset of
// each bad byte (a byte that is no character, or a lead byte without its
// second byte).
std::vector<std::size_t> InvalidCp932(std::string_view bytes);

}  // namespace rf
