// Plain UTF-8 text on standard output or standard error, for the command
// line (used before the console is taken over, and after it is given back).
#pragma once

#include <string_view>

namespace rf::platform {

void PrintOut(std::string_view text);
void PrintError(std::string_view text);

}  // namespace rf::platform
