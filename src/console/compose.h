// Battle messages with a number or a name put into a template's gap: the
// catalogue's mark for it (core/catalogue.h), else the first space.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/message_window.h"
#include "core/catalogue.h"

namespace rf {

std::string ComposeWithNumber(std::string_view templ, std::int32_t value);
std::string ComposeWithName(std::string_view templ, std::string_view name);

// A catalogue text as a message, with its name (as the world's files have
// it: the message shows it translated) and its number put in.
Message Say(TextId id);
Message Say(TextId id, std::int32_t number);
Message Say(TextId id, std::string_view name);
Message Say(TextId id, std::string_view name, std::int32_t number);

}  // namespace rf
