#include "console/compose.h"

namespace rf {

std::string ComposeWithNumber(std::string_view templ, std::int16_t) { return std::string(templ); }
std::string ComposeWithName(std::string_view templ, std::string_view) { return std::string(templ); }

}  // namespace rf
