// Code page 932 to Unicode, for the renderers and for reading tests.
#pragma once

#include <cstdint>
#include <string>

namespace rf::platform {

// The code point of a one-cell byte or a double-byte code (lead << 8 | trail);
// 0 when the code is unassigned.
std::uint32_t Cp932ToUnicode(std::uint16_t code);
void AppendUtf8(std::string& out, std::uint32_t codePoint);
// A whole CP932 text as UTF-8; unassigned codes become U+30FB (middle dot).
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace rf::platform
