// Battle messages with a number or a name put into a template's gap: the
// catalogue's mark for it (core/catalogue.h), else the first space.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rf {

std::string ComposeWithNumber(std::string_view templ, std::int32_t value);
std::string ComposeWithName(std::string_view templ, std::string_view name);

}  // namespace rf
