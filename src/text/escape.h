// Text from outside (an argument, a path, a name stored in a file) made
// harmless to print on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace rf {

// Control characters and bytes that are not UTF-8 written as \xhh, C1
// characters as \u00hh; everything else as it is.
std::string Escaped(std::string_view text);

}  // namespace rf
